# Native build, under the sanitizers (CMakeLists.txt): the build tools, which
# the Windows tree runs, and every host test.
add_subdirectory(tools)
if(BRIMWAVE_TESTS)
    enable_testing()
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_subdirectory(tests/host)
endif()
