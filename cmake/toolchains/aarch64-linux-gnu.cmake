# Cross-compiles for 64-bit Arm Linux (package g++-aarch64-linux-gnu); the
# programs run under qemu-user (package qemu-user).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(KORVIMALET_TRIPLE aarch64-linux-gnu)
set(KORVIMALET_DEBIAN_ARCHITECTURE arm64)
set(KORVIMALET_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/../linux-gnu-cross.cmake)
