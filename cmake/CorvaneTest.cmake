include(GoogleTest)

# add_corvane_test(<name> SOURCES <files...> LIBS <targets...> [QT | QTCORE])
# One test executable registered with CTest, one CTest entry per GoogleTest case.
# QT: the executable brings its own main() (a QApplication on the offscreen
# platform, see tests/support/qt/QtTestMain.cpp) instead of gtest_main.
# QTCORE: the same with a QCoreApplication, for tests without windows that need
# an event loop (they build without the GUI too).
function(add_corvane_test name)
  cmake_parse_arguments(T "QT;QTCORE" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(T_QT)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/qt/QtTestMain.cpp)
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test)
  elseif(T_QTCORE)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/qt/QtCoreTestMain.cpp)
    target_link_libraries(${name} PRIVATE Qt6::Core Qt6::Test)
  else()
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600)
endfunction()
