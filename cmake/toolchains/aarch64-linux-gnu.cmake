# 64-bit ARM (Debian arm64): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VOREL_CROSS_TRIPLE aarch64-linux-gnu)
set(VOREL_CROSS_DEB_ARCH arm64)
set(VOREL_CROSS_EMULATOR qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/clang-cross.cmake)
