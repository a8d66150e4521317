# Plug-in base buffer plumbing (host float buffers through the double-precision processing routine
# and back) against a bare conversion loop over the same buffers, measured in the same run.
kestrune_add_bench(bench_plugin
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/plugin_bench.cpp
  LIBS kestrune_plugin
)
