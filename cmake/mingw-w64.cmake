# The body of the Windows toolchain files: Debian's mingw-w64 for
# CMAKE_SYSTEM_PROCESSOR (x86_64 or i686); the tests run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(KORVIMALET_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

string(REPLACE "_" "-" processor ${CMAKE_SYSTEM_PROCESSOR})
set(KORVIMALET_COMPILER_PACKAGE g++-mingw-w64-${processor})
set(CMAKE_CXX_COMPILER ${KORVIMALET_MINGW_TRIPLE}-g++-posix)
# The project is C++ alone, but GoogleTest's sources, built for the target, enable C.
set(CMAKE_C_COMPILER ${KORVIMALET_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_RC_COMPILER ${KORVIMALET_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVIMALET_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One file that needs no DLL beyond those of every Windows: the C++ runtime,
# libgcc and winpthread linked in. No link time in its header, so that the
# same sources give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

# wine with a fixed address layout: with address space randomisation, about
# one wine start in 9,000 failed here before the program ran ("failed to
# map the shared user data"), because something already lay where Windows
# keeps that page.
set(CMAKE_CROSSCOMPILING_EMULATOR setarch --addr-no-randomize wine)
