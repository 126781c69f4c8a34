# The 32-bit x86 build runs its programs (the generators at build time, the
# tests) on the 64-bit machine that builds it. A kernel built without 32-bit
# support, as some virtual machines' are, refuses to start them; they then
# run under qemu-i386, as the ARM builds' programs run under qemu-user, and
# the build counts as a cross build: CMake then puts the emulator before
# every program it runs, and the tests take the emulated path they take on
# ARM (the LV2 bundle read from tmpfs, no valgrind).
if(VOREL_X86 AND CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(probe ${PROJECT_BINARY_DIR}/run_32bit_probe.cpp)
  file(WRITE ${probe} "int main() { return 0; }\n")
  try_run(VOREL_32BIT_RUNS VOREL_32BIT_BUILDS ${PROJECT_BINARY_DIR}/run_32bit_probe ${probe})
  if(NOT VOREL_32BIT_BUILDS)
    message(FATAL_ERROR "The 32-bit build cannot link a program: are g++-multilib and the i386 runtimes installed?")
  endif()
  if(NOT VOREL_32BIT_RUNS EQUAL 0)
    find_program(VOREL_QEMU_I386 qemu-i386)
    if(NOT VOREL_QEMU_I386)
      message(FATAL_ERROR "This kernel does not run 32-bit x86 programs, and qemu-i386 (Debian's qemu-user) is missing")
    endif()
    message(STATUS "This kernel does not run 32-bit x86 programs: they run under ${VOREL_QEMU_I386}")
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VOREL_QEMU_I386} CACHE FILEPATH "What runs the target's programs here")
  endif()
endif()
if(VOREL_X86 AND CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING ON)
endif()
