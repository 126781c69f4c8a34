# 64-bit Windows: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake
# Debian's mingw-w64 with the posix thread model (g++-mingw-w64-x86-64-posix):
# the win32 model has no std::thread or std::mutex, and DPF's mutexes need
# winpthread. The build's programs (the TTL generator, the tests) run under
# wine (cmake/windows.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VOREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VOREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VOREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VOREL_MINGW_TRIPLE}-windres)
set(CMAKE_STRIP /usr/bin/${VOREL_MINGW_TRIPLE}-strip CACHE FILEPATH "The target's strip")
set(CMAKE_OBJDUMP /usr/bin/${VOREL_MINGW_TRIPLE}-objdump CACHE FILEPATH "The target's objdump")
# Libraries and headers come from the mingw-w64 root only: the build
# machine's /usr/include is Linux's. Programs (python3, wine) are the build
# machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${VOREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} /usr/${VOREL_MINGW_TRIPLE}/lib/pkgconfig)
