# Cross-compiles korvimalet.exe for 64-bit Windows with Debian's mingw-w64
# (package g++-mingw-w64-x86-64); the tests run under wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVIMALET_WINDOWS_PLATFORM x64)
include(${CMAKE_CURRENT_LIST_DIR}/../mingw-w64.cmake)
