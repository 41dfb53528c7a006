# Cross-build for the handhelds' processor generation: ARMv5TE (XScale,
# PXA255/PXA270) in ARM mode with soft floating point, with Debian's armel
# cross compilers (package g++-arm-linux-gnueabi). The built programs, the
# tests among them, run on the build machine under qemu-user (package
# qemu-user) emulating a PXA270, with the target's libraries taken from the
# cross sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv5te)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(CMAKE_C_FLAGS_INIT "-march=armv5te -marm -mfloat-abi=soft")
set(CMAKE_CXX_FLAGS_INIT "-march=armv5te -marm -mfloat-abi=soft")
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# CTest, gtest_discover_tests and tests that start programs of their own run
# target programs through this.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu pxa270 -L /usr/arm-linux-gnueabi)
