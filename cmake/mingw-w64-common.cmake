# Shared part of the MinGW-w64 cross toolchains; the including file sets
# CMAKE_SYSTEM_PROCESSOR, TOOLCHAIN_PREFIX and the default thread model.
#
# QX_THREADS picks the compiler's thread model. "win32" links no threading runtime, so
# the program imports nothing newer than the Windows it targets: the programs we ship
# are built so. "posix" brings std::thread and std::mutex, which GoogleTest and the
# tests need, at the price of a runtime that imports Vista's functions: the test build
# is made so.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT QX_THREADS)
  set(QX_THREADS ${QX_DEFAULT_THREADS})
endif()
set(QX_THREADS ${QX_THREADS} CACHE STRING "Thread model of the compiler (win32 or posix)")
set_property(CACHE QX_THREADS PROPERTY STRINGS win32 posix)
# try_compile projects see the toolchain file again: hand the choice on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QX_THREADS)

find_program(CMAKE_C_COMPILER NAMES ${TOOLCHAIN_PREFIX}-gcc-${QX_THREADS} REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOOLCHAIN_PREFIX}-g++-${QX_THREADS} REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TOOLCHAIN_PREFIX}-windres REQUIRED)
find_program(QX_OBJDUMP NAMES ${TOOLCHAIN_PREFIX}-objdump REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every test and tool runs under Wine through our wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
