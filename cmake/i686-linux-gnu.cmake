# Cross-compiles for 32-bit x86 Linux (package g++-i686-linux-gnu). An x86-64
# kernel runs the programs natively, through the cross C library's loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KORVIMALET_TRIPLE i686-linux-gnu)
set(KORVIMALET_EMULATOR /usr/i686-linux-gnu/lib/ld-linux.so.2 --library-path /usr/i686-linux-gnu/lib)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu-cross.cmake)
