# Prints one line on the target of the toolchain file TOOLCHAIN, for the
# scripts that loop over cmake/toolchains/: its name, its system (Linux or
# Windows), the release file it makes (deb:<Debian architecture>,
# zip:<Windows platform>, or - for none), the command that runs its
# programs here (words joined by "|"), the Debian package that command
# needs beyond CI's (- for none), and the cross compiler's package.
#
# usage: cmake -DTOOLCHAIN=cmake/toolchains/<name>.cmake -P cmake/describe_target.cmake
include(${TOOLCHAIN})
get_filename_component(name ${TOOLCHAIN} NAME_WE)
if(KORVIMALET_DEBIAN_ARCHITECTURE)
  set(release deb:${KORVIMALET_DEBIAN_ARCHITECTURE})
elseif(KORVIMALET_WINDOWS_PLATFORM)
  set(release zip:${KORVIMALET_WINDOWS_PLATFORM})
else()
  set(release -)
endif()
list(JOIN CMAKE_CROSSCOMPILING_EMULATOR "|" emulator)
if(NOT KORVIMALET_EMULATOR_PACKAGE)
  set(KORVIMALET_EMULATOR_PACKAGE -)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E echo
                "${name} ${CMAKE_SYSTEM_NAME} ${release} ${emulator} ${KORVIMALET_EMULATOR_PACKAGE}"
                "${KORVIMALET_COMPILER_PACKAGE}")
