# Cross build for 32-bit Windows with MinGW-w64 (static runtime, win32 thread model),
# for Windows 2000 and later.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(QX_DEFAULT_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
