# 32-bit ARM, ARMv7 with hard float (Debian armhf):
# cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(VOREL_CROSS_TRIPLE arm-linux-gnueabihf)
set(VOREL_CROSS_DEB_ARCH armhf)
set(VOREL_CROSS_EMULATOR qemu-arm)
# Debian's armhf baseline: ARMv7-A, Thumb-2, VFPv3 with 16 double registers.
set(CMAKE_C_FLAGS_INIT "-march=armv7-a -mthumb -mfpu=vfpv3-d16 -mfloat-abi=hard")
set(CMAKE_CXX_FLAGS_INIT "-march=armv7-a -mthumb -mfpu=vfpv3-d16 -mfloat-abi=hard")
include(${CMAKE_CURRENT_LIST_DIR}/clang-cross.cmake)
