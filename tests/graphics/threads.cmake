# Processing and automation on host threads against the editor drawing and taking input; run
# under ThreadSanitizer by `make test TSAN=1`.
kestrune_add_test(test_graphics_threads
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/EditorThreadsTest.cpp
  LIBS kestrune_editor_test_kit kestrune_vst_test_host
  LABELS threads)
