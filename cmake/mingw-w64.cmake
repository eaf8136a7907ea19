# 64-bit Win32 by default: 64-bit Wine runs on every x86_64 Linux host, the
# 32-bit part of Wine only where the kernel runs i386 code.
# -DVEL_ARCH=i686 selects the 32-bit build (the phone's own word size).
set(VEL_ARCH x86_64 CACHE STRING "Target processor: x86_64 or i686")
set_property(CACHE VEL_ARCH PROPERTY STRINGS x86_64 i686)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VEL_ARCH})

set(VEL_TRIPLE ${VEL_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${VEL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${VEL_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
