# Native build: the pure code, the build tools and the host tests under the sanitizers.
add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_link_options(-fsanitize=address,undefined)
# Options above apply to targets created from here on; setup_rules was made
# before them, so give it the same.
target_compile_options(setup_rules PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)

add_subdirectory(tools)
if(BRIMWAVE_TESTS)
    enable_testing()
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_subdirectory(tests/host)
endif()
