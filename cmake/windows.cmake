# Windows build: SETUP.EXE on the medium, the sample product, and the Windows tests.
enable_language(RC)
passed_in(MEDIUM_DIR PATH "folder of the distribution medium, build/medium")

# Dates in the shipped files come from the commit, so that two builds of one
# commit give the same bytes wherever and whenever they run.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(source_date_epoch $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE source_date_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_failed ERROR_QUIET)
    if(git_failed OR NOT source_date_epoch)
        set(source_date_epoch 1735689600) # outside git: 2025-01-01
    endif()
endif()
set(BRIMWAVE_SOURCE_DATE_EPOCH ${source_date_epoch} CACHE STRING "Date of the shipped files" FORCE)
# ld takes the PE time stamp from the environment; as part of the link
# command, a new commit's date also relinks.
set(SHIPPED_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${BRIMWAVE_SOURCE_DATE_EPOCH})

# The ANSI code page's character boundaries, as the system knows them: what
# the pure path helpers of setup_rules step through paths by.
add_library(setup_code_page STATIC services/code_page.cpp)
target_include_directories(setup_code_page PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(setup_code_page PRIVATE setup_code_options)

# The Win32 services, shared by the setup program and Brimwave.exe; each
# program supplies services/process.h. Unused routines are dropped at link.
add_library(setup_services STATIC
    services/registry.cpp
    services/dll_search.cpp
    services/system_libraries.cpp
    services/system_paths.cpp
    services/files.cpp
    services/payload.cpp
    services/shortcuts.cpp
    services/wide_paths.cpp
    services/wide_files.cpp
    services/protected_folder.cpp
    services/log.cpp)
target_include_directories(setup_services PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

# Everything of the setup program but its entry point, so tests can link it.
add_library(setup_core STATIC
    driver/messages.cpp
    driver/install_state.cpp
    driver/install_sequence.cpp
    ui/dialog_dispatch.cpp
    ui/progress_window.cpp
    ui/setup_dialogs.cpp
    ui/licence_text.cpp)
target_include_directories(setup_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
# The shell's folder functions under their plain names (services/shell_folders.h).
set(SHELL32_PLAIN ${CMAKE_CURRENT_BINARY_DIR}/libshell32_plain.a)
add_custom_command(
    OUTPUT ${SHELL32_PLAIN}
    COMMAND ${CMAKE_DLLTOOL} -k -d ${CMAKE_CURRENT_SOURCE_DIR}/services/shell32_plain.def
            -l ${SHELL32_PLAIN}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/services/shell32_plain.def
    VERBATIM)
add_custom_target(shell32_plain DEPENDS ${SHELL32_PLAIN})
add_dependencies(setup_services shell32_plain)
target_link_libraries(setup_services PUBLIC setup_rules ${SHELL32_PLAIN} shell32 ole32 uuid
                      PRIVATE setup_code_options)
target_link_libraries(setup_core PUBLIC setup_services PRIVATE setup_code_options)

# Everything that goes on the distribution medium.
add_custom_target(medium_files ALL)

# The sample product the payload carries, and the encoder stand-in; then
# the payload packed from the product's files.
add_subdirectory(product)
add_subdirectory(payload)

set(SETUP_RC ${CMAKE_CURRENT_SOURCE_DIR}/ui/resources/setup.rc)
add_executable(setup WIN32 driver/main.cpp driver/entry.cpp ${SETUP_RC})
# No C runtime: Windows starts driver/entry.cpp, and only Windows' DLLs and
# libgcc's helpers (64-bit division, stack probes) are linked.
target_link_libraries(setup PRIVATE setup_core setup_code_options)
target_link_options(setup PRIVATE -s -Wl,--gc-sections -nostdlib -Wl,--entry=_setup_entry
                    -Wl,-T,${CMAKE_CURRENT_SOURCE_DIR}/driver/no_unwind_tables.ld)
set_target_properties(setup PROPERTIES OUTPUT_NAME SETUP SUFFIX .EXE
                      RUNTIME_OUTPUT_DIRECTORY ${MEDIUM_DIR}
                      CXX_LINKER_LAUNCHER "${SHIPPED_LINKER_LAUNCHER}")
# windres finds the packed files through the include path.
target_compile_definitions(setup PRIVATE $<$<COMPILE_LANGUAGE:RC>:BRIMWAVE_PAYLOAD>)
target_include_directories(setup PRIVATE $<$<COMPILE_LANGUAGE:RC>:${PAYLOAD_DIR}>)
add_dependencies(setup payload_files)
add_dependencies(medium_files setup)
# CMake's rule for .rc files misses what the script embeds and includes.
file(GLOB SETUP_RC_INPUTS ${CMAKE_CURRENT_SOURCE_DIR}/ui/resources/*)
set_source_files_properties(${SETUP_RC} PROPERTIES OBJECT_DEPENDS
    "${SETUP_RC_INPUTS};${PAYLOAD_DIR}/Brimwave.ex_;${PAYLOAD_DIR}/Brimwave.ch_;\
${PAYLOAD_DIR}/Brimwave.ex_.crc;${PAYLOAD_DIR}/Brimwave.ch_.crc")

if(BRIMWAVE_TESTS)
    enable_testing()
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    include(GoogleTest)
    add_subdirectory(tests/win32)
    add_subdirectory(tests/e2e)
endif()

