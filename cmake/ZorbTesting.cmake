# zorb_add_gtest(NAME n SOURCES ... [LIBS ...] [TIMEOUT s] [DESKTOP])
# Builds a GoogleTest program for Windows and registers it as one CTest test run under Wine
# (through CMAKE_CROSSCOMPILING_EMULATOR). One Wine process per program, not per case:
# starting a Wine process costs far more than most cases take.
# DESKTOP: the program shows windows. Such programs share one display, where a window that
# appears takes the activation from another program's window, closing its open menu and
# taking its mouse capture mid-drag; they take turns on the display instead.
add_library(zorb_test_support STATIC ${ZORB_ROOT}/tests/support/OwnDialogBox.cpp
    ${ZORB_ROOT}/tests/support/FilesIn.cpp)
target_include_directories(zorb_test_support PUBLIC ${ZORB_ROOT})
target_link_libraries(zorb_test_support PUBLIC user32)

function(zorb_add_gtest)
    cmake_parse_arguments(T "DESKTOP" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} zorb_test_support GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${ZORB_ROOT})
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no)
    get_filename_component(label ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${label}")
    if(T_TIMEOUT)
        set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
    if(T_DESKTOP)
        set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
    endif()
endfunction()
