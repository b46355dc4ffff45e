include(GoogleTest)

# zel_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib...)
# A GoogleTest executable whose tests CTest discovers one by one.
function(zel_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# zel_add_qtest(NAME SOURCES a.cpp LIBS lib...)
# A Qt Test executable (window tests), run offscreen.
function(zel_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# zel_add_widget_gtest(NAME SOURCES a.cpp LIBS lib...)
# A GoogleTest executable for window code. One of its sources defines main(), which creates
# the QApplication (offscreen unless QT_QPA_PLATFORM says otherwise, also while CTest lists
# the tests); CTest discovers the tests one by one.
function(zel_add_widget_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test GTest::gtest GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
