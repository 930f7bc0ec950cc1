# Cross-compiles for 32-bit x86 Linux (package g++-i686-linux-gnu). An x86-64
# kernel that runs 32-bit programs runs them natively, through the cross C
# library's loader; one that does not (some virtual machines leave 32-bit
# mode out) runs them under qemu-user (package qemu-user).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KORVIMALET_TRIPLE i686-linux-gnu)
set(KORVIMALET_DEBIAN_ARCHITECTURE i386)
set(KORVIMALET_EMULATOR /usr/i686-linux-gnu/lib/ld-linux.so.2 --library-path /usr/i686-linux-gnu/lib)
execute_process(COMMAND ${KORVIMALET_EMULATOR} --version RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 0)
  set(KORVIMALET_EMULATOR qemu-i386 -L /usr/i686-linux-gnu)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/../linux-gnu-cross.cmake)
