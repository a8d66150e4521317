# The control family, drawn and clicked through a headless editor.
kestrune_add_test(test_graphics_controls
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BitmapTextTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ControlHostileInputTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FaderAndRadioButtonsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KnobControlTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LinkAndFileSelectorTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SwitchControlTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextControlTest.cpp
  LIBS kestrune_graphics_controls kestrune_editor_test_kit)
