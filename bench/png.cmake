kestrune_add_bench(bench_png
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/png_bench.cpp ${PROJECT_SOURCE_DIR}/tests/rasterizer/png_test_encoder.cpp
  LIBS kestrune_lice_png PkgConfig::KESTRUNE_LIBPNG)
