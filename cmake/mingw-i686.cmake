# 32-bit Windows: the setup program as it ships.
set(BRIMWAVE_TARGET_CPU i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
