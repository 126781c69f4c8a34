# Shared by the cross toolchain files: clang for VOREL_CROSS_TRIPLE against
# Debian's multiarch libraries for that target (scripts/install-deps.sh
# cross), the target's binutils for linking and stripping, and qemu-user to
# run what the build and the tests execute. The target's loader and
# libraries sit in the multiarch directories of /, so qemu needs no -L.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${VOREL_CROSS_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${VOREL_CROSS_TRIPLE})
set(CMAKE_LIBRARY_ARCHITECTURE ${VOREL_CROSS_TRIPLE})
set(CMAKE_STRIP /usr/bin/${VOREL_CROSS_TRIPLE}-strip CACHE FILEPATH "The target's strip")
set(CMAKE_OBJCOPY /usr/bin/${VOREL_CROSS_TRIPLE}-objcopy CACHE FILEPATH "The target's objcopy")
set(CMAKE_CROSSCOMPILING_EMULATOR ${VOREL_CROSS_EMULATOR} CACHE FILEPATH "What runs the target's programs here")
# pkg-config reads the target's .pc files, not the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${VOREL_CROSS_TRIPLE}/pkgconfig:/usr/share/pkgconfig)
# The Debian architecture the packages are built for.
set(VOREL_DEB_ARCH ${VOREL_CROSS_DEB_ARCH} CACHE STRING "Debian architecture of the packages")
