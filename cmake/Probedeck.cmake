# Helpers shared by the project's CMakeLists.

# Puts a program or library into the runnable install folder.
function(probedeck_install_beside_console target)
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${PROBEDECK_BIN_DIR}
        LIBRARY_OUTPUT_DIRECTORY ${PROBEDECK_BIN_DIR})
endfunction()

# A library file whose exports keep their plain C names (no "lib" prefix,
# no "@N" stdcall decoration on 32-bit).
function(probedeck_plain_dll target)
    set_target_properties(${target} PROPERTIES PREFIX "")
    target_link_options(${target} PRIVATE -Wl,--kill-at)
endfunction()

# probedeck_add_test(NAME SOURCES src... [LIBS lib...])
# A Google Test program run under Wine; each test case becomes a CTest test.
function(probedeck_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} probedeck_test_support GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROBEDECK_TEST_BIN_DIR})
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        PROPERTIES TIMEOUT 120)
endfunction()

# probedeck_version_resource(TARGET FILE_NAME name.exe DESCRIPTION "text")
# Gives a shipped program or library the version resource of the project's
# one version (project(... VERSION ...)).
function(probedeck_version_resource target)
    cmake_parse_arguments(ARG "" "FILE_NAME;DESCRIPTION" "" ${ARGN})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(version_file_type VFT_APP)
    else()
        set(version_file_type VFT_DLL)
    endif()
    get_filename_component(version_internal_name ${ARG_FILE_NAME} NAME_WE)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/resources/VersionInfo.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
