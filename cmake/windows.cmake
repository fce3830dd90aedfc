# Windows build: SETUP.EXE on the medium, the sample product, and the Windows tests.
enable_language(RC)
set(MEDIUM_DIR ${CMAKE_SOURCE_DIR}/build/medium CACHE PATH "Folder of the distribution medium")

# Small and self-contained: no exceptions or RTTI, unused code dropped, the
# GCC and C++ runtimes linked in so that only Windows' own DLLs are imported.
add_library(setup_code_options INTERFACE)
target_compile_options(setup_code_options INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                                   -ffunction-sections -fdata-sections>)
target_link_libraries(setup_code_options INTERFACE project_warnings)
target_link_options(setup_code_options INTERFACE -static -static-libgcc -static-libstdc++)
target_link_libraries(setup_rules PRIVATE setup_code_options)

# Everything of the setup program but its entry point, so tests can link it.
add_library(setup_core STATIC
    driver/messages.cpp
    driver/install_state.cpp
    driver/install_sequence.cpp
    services/registry.cpp
    services/payload.cpp
    services/shortcuts.cpp
    ui/dialog_dispatch.cpp
    ui/progress_window.cpp
    ui/setup_dialogs.cpp
    ui/licence_text.cpp)
target_include_directories(setup_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(setup_core PUBLIC setup_rules comctl32 lz32 shell32 ole32 uuid
                      PRIVATE setup_code_options)

# Everything that goes on the distribution medium.
add_custom_target(medium_files ALL)

# The sample product the payload carries, and the encoder stand-in; then
# the payload packed from the product's files.
add_subdirectory(product)
add_subdirectory(payload)

set(SETUP_RC ${CMAKE_CURRENT_SOURCE_DIR}/ui/resources/setup.rc)
add_executable(setup WIN32 driver/main.cpp ${SETUP_RC})
target_link_libraries(setup PRIVATE setup_core setup_code_options)
target_link_options(setup PRIVATE -s -Wl,--gc-sections)
set_target_properties(setup PROPERTIES OUTPUT_NAME SETUP SUFFIX .EXE
                      RUNTIME_OUTPUT_DIRECTORY ${MEDIUM_DIR})
# windres finds the packed files through the include path.
target_compile_definitions(setup PRIVATE $<$<COMPILE_LANGUAGE:RC>:BRIMWAVE_PAYLOAD>)
target_include_directories(setup PRIVATE $<$<COMPILE_LANGUAGE:RC>:${PAYLOAD_DIR}>)
add_dependencies(setup payload_files)
add_dependencies(medium_files setup)
# CMake's rule for .rc files misses what the script embeds and includes.
file(GLOB SETUP_RC_INPUTS ${CMAKE_CURRENT_SOURCE_DIR}/ui/resources/*)
set_source_files_properties(${SETUP_RC} PROPERTIES OBJECT_DEPENDS
    "${SETUP_RC_INPUTS};${PAYLOAD_DIR}/Brimwave.ex_;${PAYLOAD_DIR}/Brimwave.ch_")

if(BRIMWAVE_TESTS)
    enable_testing()
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    include(GoogleTest)
    add_subdirectory(tests/win32)
    add_subdirectory(tests/e2e)
    add_subdirectory(tests/product)
endif()

