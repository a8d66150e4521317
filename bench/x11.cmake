kestrune_add_bench(bench_x11
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/x11_bench.cpp
  LIBS kestrune_x11_test_support)
