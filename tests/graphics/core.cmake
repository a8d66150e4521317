# The editor core, its records, caches, drawing, redraw, input, prompts, menus, the headless host,
# and the editor on a plug-in and behind the VST 2 wrapper.
kestrune_add_test(test_graphics
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ControlBaseTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EditorDrawingTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GraphicsRecordsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HeadlessHostTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InputTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginEditorTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PromptTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RedrawTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextStyleTest.cpp
  LIBS kestrune_editor_test_kit kestrune_vst_test_host)
