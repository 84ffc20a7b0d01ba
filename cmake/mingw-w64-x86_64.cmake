# Cross build for 64-bit Windows with MinGW-w64 (static runtime). The tests are built
# with the posix thread model (the default here); the program we ship with win32
# (-DQX_THREADS=win32), for Windows XP x64 / Server 2003 x64 and later.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(QX_DEFAULT_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
