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
