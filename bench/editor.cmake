kestrune_add_bench(bench_editor
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_bench.cpp
  LIBS kestrune_editor_test_kit)
