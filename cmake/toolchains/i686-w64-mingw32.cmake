# Cross-compiles korvimalet.exe for 32-bit Windows with Debian's mingw-w64
# (package g++-mingw-w64-i686); its tests need wine's 32-bit part.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KORVIMALET_WINDOWS_PLATFORM x86)
set(KORVIMALET_EMULATOR_PACKAGE wine32:i386)
include(${CMAKE_CURRENT_LIST_DIR}/../mingw-w64.cmake)
