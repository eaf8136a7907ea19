# The 32-bit build: the records keep the byte sizes the phone lays out.
set(VEL_ARCH i686 CACHE STRING "Target processor: x86_64 or i686" FORCE)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
