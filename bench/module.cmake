# The built module's processing callbacks, loaded through the test host, against the tone chain
# alone on the same blocks (ratio = module time / chain time, measured in the same run).
if(TARGET Kestrune)
  kestrune_add_bench(bench_module
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/module_bench.cpp
    LIBS kestrune_vst_test_host kestrune_dsp
  )
  target_compile_definitions(bench_module PRIVATE KESTRUNE_MODULE_PATH="$<TARGET_FILE:Kestrune>")
  add_dependencies(bench_module Kestrune)
endif()
