# Native build: the build tools, which the Windows tree runs, with
# BRIMWAVE_TESTS every host test, and with BRIMWAVE_FUZZ the fuzz targets.
# The Makefile builds it three times: build/tools optimised without the
# sanitizers, build/native with them (CMakeLists.txt), build/fuzz with clang
# and libFuzzer.
add_subdirectory(tools)
if(BRIMWAVE_TESTS)
    enable_testing()
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_subdirectory(tests/host)
endif()
if(BRIMWAVE_FUZZ)
    enable_testing()
    add_subdirectory(tests/fuzz)
endif()
