# The body of the Linux cross toolchain files: Debian's cross compiler for
# KORVIMALET_TRIPLE (package g++-<triple>), its C library as the only place
# to find target files, and KORVIMALET_EMULATOR to run the target's programs.
set(CMAKE_SYSTEM_NAME Linux)

set(KORVIMALET_COMPILER_PACKAGE g++-${KORVIMALET_TRIPLE})
set(CMAKE_CXX_COMPILER ${KORVIMALET_TRIPLE}-g++)
# The project is C++ alone, but GoogleTest's sources, built for the target, enable C.
set(CMAKE_C_COMPILER ${KORVIMALET_TRIPLE}-gcc)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVIMALET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVIMALET_EMULATOR})
