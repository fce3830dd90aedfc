# Native build: the build tools, which the Windows tree runs, and with
# BRIMWAVE_TESTS every host test. The Makefile builds it twice: build/tools
# optimised without the sanitizers, build/native with them (CMakeLists.txt).
add_subdirectory(tools)
if(BRIMWAVE_TESTS)
    enable_testing()
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_subdirectory(tests/host)
endif()
