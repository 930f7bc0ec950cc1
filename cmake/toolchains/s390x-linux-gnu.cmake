# Cross-compiles for IBM Z Linux, big-endian (package g++-s390x-linux-gnu);
# the programs run under qemu-user (package qemu-user).
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(KORVIMALET_TRIPLE s390x-linux-gnu)
set(KORVIMALET_EMULATOR qemu-s390x -L /usr/s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/../linux-gnu-cross.cmake)
