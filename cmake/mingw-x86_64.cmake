# 64-bit Windows: the same sources, for testing under 64-bit Wine on machines
# whose kernel does not run 32-bit code.
set(BRIMWAVE_TARGET_CPU x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
