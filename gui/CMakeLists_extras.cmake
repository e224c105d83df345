# Window extras built on their own until they join the window program's build: the flight
# profile chart, the main window's layout and the application icon, with their tests.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

set(_orvane_gui_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(orvane_gui_extras STATIC
  ${_orvane_gui_dir}/frontend/profilechart.cpp
  ${_orvane_gui_dir}/frontend/profilechart.h
  ${_orvane_gui_dir}/resources/orvane.qrc
)
set_target_properties(orvane_gui_extras PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(orvane_gui_extras PUBLIC ${_orvane_gui_dir})
target_link_libraries(orvane_gui_extras PUBLIC orvane_core Qt6::Widgets)

if(ORVANE_BUILD_TESTS)
  function(orvane_add_gui_extras_test name)
    add_executable(${name} ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE orvane_gui_extras orvane_flightmodel Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/tools)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endfunction()

  orvane_add_gui_extras_test(profilechart_test ${CMAKE_SOURCE_DIR}/tests/gui/profilechart_test.cpp)
  # The layout is compiled by uic into the test, as the main window will compile it.
  orvane_add_gui_extras_test(maindialog_ui_test ${CMAKE_SOURCE_DIR}/tests/gui/maindialog_ui_test.cpp
    ${_orvane_gui_dir}/frontend/maindialog.ui)
  set_target_properties(maindialog_ui_test PROPERTIES AUTOUIC ON
    AUTOUIC_SEARCH_PATHS ${_orvane_gui_dir}/frontend)
endif()
