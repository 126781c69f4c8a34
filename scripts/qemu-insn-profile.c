/* Counts the instructions a program executes under qemu-user, by the
   address of each translated block: a TCG plugin (plugin API version 1, as
   in Debian 12's qemu-user 7.2), the profiling twin of qemu-insn-count.c.

   Build:  gcc -O2 -shared -fPIC -o qemu-insn-profile.so qemu-insn-profile.c
   Use:    qemu-arm -plugin ./qemu-insn-profile.so,out=FILE -d plugin PROGRAM ARGS...
           At exit FILE holds one line "ADDRESS COUNT" (hexadecimal,
           decimal) for each block that ran: its first instruction's guest
           address and the instructions executed in it.
   scripts/profile-instructions.sh maps the addresses to the plugin's
   functions. */
#include <inttypes.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef uint64_t qemu_plugin_id_t;
struct qemu_plugin_tb;
typedef void (*tb_trans_cb)(qemu_plugin_id_t, struct qemu_plugin_tb *);
typedef void (*udata_cb)(qemu_plugin_id_t, void *);
extern void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t, tb_trans_cb);
extern size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb *);
extern uint64_t qemu_plugin_tb_vaddr(const struct qemu_plugin_tb *);
extern void qemu_plugin_register_vcpu_tb_exec_inline(struct qemu_plugin_tb *, int op, void *ptr, uint64_t imm);
extern void qemu_plugin_register_atexit_cb(qemu_plugin_id_t, udata_cb, void *);

enum { kInlineAddU64 = 0 };

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

/* One translation of a block. A block translated again gets a second entry;
   the lines are summed by address when they are read. */
struct block {
  uint64_t address;
  uint64_t executed;
};

static struct block **blocks;
static size_t block_count, block_capacity;
static char out_path[4096];

static void on_translate(qemu_plugin_id_t id, struct qemu_plugin_tb *tb) {
  (void)id;
  if (block_count == block_capacity) {
    block_capacity = block_capacity ? 2 * block_capacity : 65536;
    blocks = realloc(blocks, block_capacity * sizeof *blocks);
    if (blocks == NULL) abort();
  }
  struct block *b = calloc(1, sizeof *b);
  if (b == NULL) abort();
  b->address = qemu_plugin_tb_vaddr(tb);
  blocks[block_count++] = b;
  qemu_plugin_register_vcpu_tb_exec_inline(tb, kInlineAddU64, &b->executed, qemu_plugin_tb_n_insns(tb));
}

static void write_at_exit(qemu_plugin_id_t id, void *unused) {
  (void)id;
  (void)unused;
  FILE *f = fopen(out_path, "w");
  if (f == NULL) return;
  for (size_t i = 0; i < block_count; ++i) {
    if (blocks[i]->executed != 0) fprintf(f, "%" PRIx64 " %" PRIu64 "\n", blocks[i]->address, blocks[i]->executed);
  }
  fclose(f);
}

__attribute__((visibility("default"))) int qemu_plugin_install(qemu_plugin_id_t id, const void *info, int argc,
                                                                char **argv) {
  (void)info;
  for (int i = 0; i < argc; ++i) {
    if (strncmp(argv[i], "out=", 4) == 0) snprintf(out_path, sizeof out_path, "%s", argv[i] + 4);
  }
  if (out_path[0] == '\0') return -1;
  qemu_plugin_register_vcpu_tb_trans_cb(id, on_translate);
  qemu_plugin_register_atexit_cb(id, write_at_exit, NULL);
  return 0;
}
