# What the 64-bit Windows build (cmake/toolchains/x86_64-w64-mingw32.cmake)
# does otherwise than the ELF builds. The plugins' sources are the same.

# PE has no RELRO or lazy binding to turn off: the shipped modules ask for
# address-space randomisation with 64-bit addresses and no-execute data.
target_link_options(vorel_hardening INTERFACE -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)

# Every module and program carries its C and C++ runtime and winpthread,
# so that a host needs no libstdc++-6.dll, libgcc_s_seh-1.dll or
# libwinpthread-1.dll beside it: only Windows' own DLLs are imported.
add_link_options(-static)

# vorel-render needs libsndfile, which Debian has no Windows build of, and
# POSIX calls: it stays a Linux program.
if(VOREL_TOOLS)
  message(STATUS "vorel-render: not built for Windows (needs libsndfile and POSIX)")
  set(VOREL_TOOLS OFF)
endif()

# The LV2 headers are the same for every target, but the build machine's
# /usr/include, where Debian's lv2-dev puts them, holds Linux's C library
# too: the Windows build sees lv2/ alone, through a folder of its own.
if(NOT LV2_INCLUDE_DIR AND EXISTS /usr/include/lv2/core/lv2.h)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/lv2-headers)
  file(CREATE_LINK /usr/include/lv2 ${PROJECT_BINARY_DIR}/lv2-headers/lv2 SYMBOLIC)
  set(LV2_INCLUDE_DIR ${PROJECT_BINARY_DIR}/lv2-headers CACHE PATH "Folder holding lv2/core/lv2.h")
endif()

# The build's programs (the TTL and JSON generators, the tests) run under
# wine, in a prefix of the build's own that the first run makes.
find_program(VOREL_WINE wine)
if(NOT CMAKE_CROSSCOMPILING_EMULATOR AND VOREL_WINE)
  set(VOREL_WINEPREFIX ${PROJECT_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${VOREL_WINEPREFIX})
endif()
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(FATAL_ERROR "The Windows build runs its generators under wine: install wine and wine64 (scripts/install-deps.sh windows)")
endif()
