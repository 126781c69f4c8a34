# Entry points for a fresh Debian machine. Each target installs the system
# packages its step needs first (scripts/install-deps.sh SET): using the
# effect needs the build set only, the test suite the test set.
BUILD ?= build
JOBS ?= 2
PREFIX ?= /usr/local
DEMO_OUT ?= demo-out
FUZZ_SECONDS ?= 60
CORPUS := tests/fuzz/corpus
# The 32-bit x86 build and the ARM cross builds run on amd64 machines; the
# packages of a machine of another architecture are its own.
ARCH := $(shell dpkg --print-architecture)
CROSS_TARGETS := aarch64-linux-gnu arm-linux-gnueabihf
# Debian 12 on amd64 also runs Debian 13's suite, in a chroot.
RELEASE := $(shell . /etc/os-release && echo $$VERSION_ID)
CACHE ?= $(or $(XDG_CACHE_HOME),$(HOME)/.cache)/vorel
DEBIAN13_ROOT ?= $(CACHE)/debian13-root
ifeq ($(ARCH)-$(RELEASE),amd64-12)
RELEASE_STEPS := check-debian13
endif
ifeq ($(ARCH),amd64)
OTHER_BUILDS := $(BUILD)-m32 $(foreach t,$(CROSS_TARGETS),$(BUILD)-$(t))
CROSS_STEPS := test-m32 test-arm
WINDOWS_STEPS := test-windows
else
OTHER_BUILDS :=
CROSS_STEPS := skip-cross
WINDOWS_STEPS := skip-windows
endif

.PHONY: deps-build deps-demo deps-test deps-screenshot screenshot deps-deb deps-cross deps-chroot skip-cross \
  deps-windows windows build-windows test-windows skip-windows check-debian13 build-arm test-arm count-instructions format format-check build build-m32 test test-hosts test-sanitize test-scalar test-tsan test-m32 fuzz-smoke load-cycles deb test-deb check bench demo install install-user clean

deps-build deps-demo deps-test deps-screenshot deps-deb deps-cross deps-chroot deps-windows: deps-%:
	scripts/install-deps.sh $*

build: deps-build
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# The normal build's test suite. The load cycles under valgrind have their
# own target.
test: deps-test build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -LE valgrind

# The plugin driven by LADSPA hosts from the distribution (part of test).
test-hosts: deps-test build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -L hosts

# The same tests with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps-test
	cmake -S . -B $(BUILD)-sanitize -DCMAKE_BUILD_TYPE=Debug -DVOREL_SANITIZE=address -DVOREL_BENCH=OFF
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	ctest --test-dir $(BUILD)-sanitize --output-on-failure -j $(JOBS)

# The tests with the plain paths only: scalar transform, no AVX2 or FMA
# clones, and the extended-precision steps in the integer arithmetic that
# processors without x87 use; then its golden output against the normal build's.
test-scalar: deps-test build
	cmake -S . -B $(BUILD)-scalar -DCMAKE_BUILD_TYPE=Release -DVOREL_SIMD=OFF -DVOREL_PORTABLE_EXTENDED=ON \
	  -DVOREL_BENCH=OFF
	cmake --build $(BUILD)-scalar -j $(JOBS)
	ctest --test-dir $(BUILD)-scalar --output-on-failure -j $(JOBS) -LE valgrind
	$(BUILD)/tests/vorel-golden $(BUILD)/libvorel.so > $(BUILD)/golden.txt
	$(BUILD)-scalar/tests/vorel-golden $(BUILD)-scalar/libvorel.so | diff $(BUILD)/golden.txt -
	@echo "golden output: bit-identical with the plain paths and the portable extended steps"

# The tests with ThreadSanitizer, among them plugin instances running on
# several threads at once.
test-tsan: deps-test
	cmake -S . -B $(BUILD)-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOREL_SANITIZE=thread -DVOREL_BENCH=OFF
	cmake --build $(BUILD)-tsan -j $(JOBS)
	ctest --test-dir $(BUILD)-tsan --output-on-failure -j $(JOBS)

# What runs a build's programs on this machine, as its CMake cache records
# it: qemu-user for ARM, and for 32-bit x86 where the kernel cannot; nothing
# for a native build.
RUNNER = sed -n 's/^CMAKE_CROSSCOMPILING_EMULATOR:[A-Z]*=//p' $(1)/CMakeCache.txt

# The 32-bit x86 build (SSE2 arithmetic) in $(BUILD)-m32.
build-m32: deps-test
	cmake -S . -B $(BUILD)-m32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-m32 -DCMAKE_C_FLAGS=-m32 \
	  -DVOREL_BUNDLED_GTEST=ON -DVOREL_BENCH=OFF -DVOREL_TOOLS=OFF
	cmake --build $(BUILD)-m32 -j $(JOBS)

# The 32-bit x86 target: the whole suite, then the golden cases, which must
# give the same bits as the 64-bit build.
test-m32: build build-m32
	ctest --test-dir $(BUILD)-m32 --output-on-failure -j $(JOBS)
	$(BUILD)/tests/vorel-golden $(BUILD)/libvorel.so > $(BUILD)/golden.txt
	$$($(call RUNNER,$(BUILD)-m32)) $(BUILD)-m32/tests/vorel-golden $(BUILD)-m32/libvorel.so > $(BUILD)-m32/golden.txt
	diff $(BUILD)/golden.txt $(BUILD)-m32/golden.txt
	@echo "golden output: $$(wc -l < $(BUILD)-m32/golden.txt) cases bit-identical in the 32-bit and 64-bit builds"

# The ARM targets, arm64 and armhf: cross-built with clang in
# $(BUILD)-<target>, their tests run under qemu-user (all but the 1,000 load
# cycles), then the golden output, which must give the native build's bits.
# arm64 runs its NEON paths; its plain paths come from a second build with
# VOREL_SIMD off (the library and the golden program only), whose golden
# output must give the same bits. armhf has the plain paths only.
ARM_PLAIN := $(BUILD)-aarch64-linux-gnu-plain
build-arm: deps-test deps-cross
	for t in $(CROSS_TARGETS); do \
	  cmake -S . -B $(BUILD)-$$t -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/$$t.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DVOREL_BENCH=OFF && \
	  cmake --build $(BUILD)-$$t -j $(JOBS) || exit 1; \
	done
	cmake -S . -B $(ARM_PLAIN) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DVOREL_BENCH=OFF -DVOREL_SIMD=OFF
	cmake --build $(ARM_PLAIN) -j $(JOBS) --target vorel vorel_golden vorel_run_count

test-arm: build build-arm
	$(BUILD)/tests/vorel-golden $(BUILD)/libvorel.so > $(BUILD)/golden.txt
	for t in $(CROSS_TARGETS); do \
	  ctest --test-dir $(BUILD)-$$t --output-on-failure -j $(JOBS) -E LoadCycles || exit 1; \
	done
	for dir in $(foreach t,$(CROSS_TARGETS),$(BUILD)-$(t)) $(ARM_PLAIN); do \
	  $$($(call RUNNER,$$dir)) $$dir/tests/vorel-golden $$dir/libvorel.so > $$dir/golden.txt && \
	  diff $(BUILD)/golden.txt $$dir/golden.txt || exit 1; \
	  echo "golden output: $$(wc -l < $(BUILD)/golden.txt) cases bit-identical in $$dir and $(BUILD)"; \
	done

# Instructions a sample of the run callback (block 256) on arm64, armhf and
# x86-64, counted under qemu-user from the cross builds and the normal one.
count-instructions: build build-arm
	scripts/count-instructions.sh $(BUILD)

skip-cross:
	@echo "Skipped: the 32-bit x86 and ARM cross builds and their packages run on amd64 machines only (this is $(ARCH))."

# 64-bit Windows, cross-built with mingw-w64 in $(WINDOWS) (the toolchain
# file cmake/toolchains/x86_64-w64-mingw32.cmake): the VST3, CLAP, LV2 and
# LADSPA modules, vorel-<version>-win64-setup.exe and vorel-<version>-win64.zip.
# build-windows adds the tests, which run under wine in a prefix of the
# build's own ($(WINDOWS)/wineprefix).
WINDOWS := $(BUILD)-windows
WINDOWS_CONFIGURE = cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVOREL_BUNDLED_GTEST=ON -DVOREL_BENCH=OFF
windows: deps-windows
	$(WINDOWS_CONFIGURE)
	cmake --build $(WINDOWS) -j $(JOBS) --target vorel_windows_packages
	@ls -l $(WINDOWS)/vorel-*-win64-setup.exe $(WINDOWS)/vorel-*-win64.zip

build-windows: deps-windows
	$(WINDOWS_CONFIGURE)
	cmake --build $(WINDOWS) -j $(JOBS)

# A Windows test program's lines under wine, at the 53-bit x87 precision
# Windows gives its threads, without wine's carriage returns: $(1) the
# program and its arguments, $(2) the file for its lines.
WINE_LINES = VOREL_X87_CONTROL=0x027f scripts/wine-run.sh $(WINDOWS)/wineprefix $(1) > $(2).crlf && \
  tr -d '\r' < $(2).crlf > $(2)
# The suite under wine (the editors in Xvfb), then the golden output of
# the Windows LADSPA DLL, and the CLAP module's at three rates on an audio
# thread of its own, at 53-bit precision, against the native build's.
test-windows: build build-windows
	ctest --test-dir $(WINDOWS) --output-on-failure -j $(JOBS)
	$(BUILD)/tests/vorel-golden $(BUILD)/libvorel.so > $(BUILD)/golden.txt
	$(call WINE_LINES,$(WINDOWS)/tests/vorel-golden.exe $(WINDOWS)/vorel.dll,$(WINDOWS)/golden.txt)
	diff $(BUILD)/golden.txt $(WINDOWS)/golden.txt
	$(BUILD)/tests/vorel-clap-golden $(BUILD)/clap/vorel.clap > $(BUILD)/clap-golden.txt
	$(call WINE_LINES,$(WINDOWS)/tests/vorel-clap-golden.exe $(WINDOWS)/clap/vorel.clap,$(WINDOWS)/clap-golden.txt)
	diff $(BUILD)/clap-golden.txt $(WINDOWS)/clap-golden.txt
	@echo "golden output: $$(wc -l < $(WINDOWS)/golden.txt) LADSPA cases and the CLAP module at 44.1, 48 and 96 kHz \
	bit-identical in the Windows build, on threads at 53-bit x87 precision, and the Linux build"

skip-windows:
	@echo "Skipped: the Windows cross build runs on amd64 machines only (this is $(ARCH))."

# The fuzz target (clang, libFuzzer, ASan+UBSan): replays the committed
# corpus as a regression test, then fuzzes for FUZZ_SECONDS from it. New
# inputs go to a scratch directory, not into the committed corpus.
fuzz-smoke: deps-test
	cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DVOREL_FUZZ=ON -DVOREL_TESTS=OFF -DVOREL_BENCH=OFF -DVOREL_TOOLS=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	ctest --test-dir $(BUILD)-fuzz --output-on-failure
	rm -rf $(BUILD)-fuzz/corpus && mkdir -p $(BUILD)-fuzz/corpus
	$(BUILD)-fuzz/tests/fuzz/plugin_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  -artifact_prefix=$(BUILD)-fuzz/ $(BUILD)-fuzz/corpus $(CORPUS)

# The Debian packages, into $(BUILD)/: vorel_<version>_<arch>.deb from the
# normal build and, on amd64, i386 from the 32-bit build and arm64 and armhf
# from the cross builds. dpkg-shlibdeps reads each architecture's runtimes'
# dependency information, so those architectures are enabled in dpkg and the
# runtimes installed.
ifeq ($(ARCH),amd64)
deb: deps-deb deps-cross build build-m32 build-arm
else
deb: deps-deb build
endif
	for dir in $(BUILD) $(OTHER_BUILDS); do scripts/make-deb.sh $$dir $(BUILD) || exit 1; done

# The packages checked with lintian and dpkg-deb, each one's library against
# the golden output, then each installed with apt, used and purged. Installs
# into the system, so it runs last.
test-deb: deb
	tests/package/deb_test.sh $(BUILD) $(OTHER_BUILDS)

# 1,000 loads and unloads of the plugin with an instance run each time,
# under valgrind memcheck: no leak, no error.
load-cycles: deps-test build
	ctest --test-dir $(BUILD) --output-on-failure -L valgrind

# The C++ sources as .clang-format writes them; `make format` rewrites them.
# The sources agree with clang-format 14 and 19 (Debian 12's and 13's); other
# versions lay out some lines otherwise, so with one of those the check says
# it skips.
CXX_SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null || find bench src tests tools -name '*.cpp' -o -name '*.h')
FORMAT_VERSIONS := 14 19
format-check: deps-test
	@have=$$(clang-format --version | sed -n 's/.*clang-format version \([0-9]*\)\..*/\1/p'); \
	case " $(FORMAT_VERSIONS) " in *" $$have "*) known=$$have;; *) known=;; esac; \
	if [ -n "$$known" ]; then \
	  clang-format --style=file --dry-run --Werror $(CXX_SOURCES) && \
	  echo "format-check: every source as clang-format $$have lays it out"; \
	else \
	  echo "format-check: skipped: the sources are laid out for clang-format $(FORMAT_VERSIONS), this is $${have:-unknown}"; \
	fi

format: deps-test
	clang-format --style=file -i $(CXX_SOURCES)

# The whole suite, as CI runs it; on Debian 12 (amd64) then Debian 13's in a
# chroot as well.
check: format-check test test-sanitize test-scalar test-tsan $(CROSS_STEPS) $(WINDOWS_STEPS) fuzz-smoke load-cycles
	$(MAKE) test-deb
	$(if $(RELEASE_STEPS),$(MAKE) $(RELEASE_STEPS))

# Debian 13 in a chroot: a minimal root made with debootstrap in
# $(DEBIAN13_ROOT) (reused while it exists), the tree copied in, `make demo`
# and `make check` inside, then this machine's amd64 package installed there
# and tested (scripts/check-release.sh). Needs root.
check-debian13: deps-chroot deb
	scripts/check-release.sh trixie $(DEBIAN13_ROOT) \
	  $(BUILD)/vorel_$$(sed -n 's/^Version: //p' $(BUILD)/deb/control)_amd64.deb

# Speed: the benchmarks (median of 5, pinned to one core), then applyplugin
# rendering the same file through vorel and through mbeq.
bench: deps-test build
	taskset -c 1 $(BUILD)/bench/vorel_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	scripts/bench-hosts.sh $(BUILD) 7

# Renders named presets of made-up speech, drums and a chord into $(DEMO_OUT)/
# with before/after spectrograms.
demo: deps-demo build
	scripts/demo.sh $(BUILD) $(DEMO_OUT)

# The editor as jalv.gtk3 shows it, drawn in Xvfb into the README's picture.
screenshot: deps-screenshot build
	xvfb-run -a -s "-screen 0 1024x768x24" scripts/screenshot.sh $(BUILD) docs/images/editor.png

# The LV2 bundle into $(PREFIX)/lib/lv2/vorel.lv2, libvorel.so into
# $(PREFIX)/lib/ladspa, vorel.vst3 into $(PREFIX)/lib/vst3, vorel.clap into
# $(PREFIX)/lib/clap, vorel-render into $(PREFIX)/bin.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# For the current user, without root: ~/.lv2/vorel.lv2, ~/.ladspa/libvorel.so,
# ~/.vst3/vorel.vst3, ~/.clap/vorel.clap, ~/.local/bin/vorel-render.
install-user: build
	scripts/install-user.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)-scalar $(BUILD)-tsan $(BUILD)-m32 $(BUILD)-fuzz \
	  $(foreach t,$(CROSS_TARGETS),$(BUILD)-$(t)) $(ARM_PLAIN) $(WINDOWS) $(DEMO_OUT)
