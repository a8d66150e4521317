# Rasteriser blits against pixman on the same work; prints our time / pixman's time per case.
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
kestrune_add_bench(bench_rasterizer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/rasterizer_bench.cpp
  LIBS kestrune_rasterizer PkgConfig::PIXMAN
)
