# The control family: switches, radio buttons, faders, knobs, text and caption controls, links,
# file selectors and glyph-strip text, on the control base of kestrune_graphics.
add_library(kestrune_graphics_controls STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IBitmapTextControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IFaderControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IFileSelectorControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IKnobControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IRadioButtonsControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ISwitchControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ITextControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IURLControl.cpp
)
target_include_directories(kestrune_graphics_controls PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_graphics_controls PUBLIC kestrune_graphics)
