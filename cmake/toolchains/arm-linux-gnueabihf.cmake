# Cross-compiles for 32-bit Arm Linux with hard float, Debian's armhf
# (package g++-arm-linux-gnueabihf); the programs run under qemu-user
# (package qemu-user).
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(KORVIMALET_TRIPLE arm-linux-gnueabihf)
set(KORVIMALET_DEBIAN_ARCHITECTURE armhf)
set(KORVIMALET_EMULATOR qemu-arm -L /usr/arm-linux-gnueabihf)
include(${CMAKE_CURRENT_LIST_DIR}/../linux-gnu-cross.cmake)
