# Tone processor: the tone chain on each instruction path and, once the module is built, the effect
# loaded from it and driven through its effect record, each beside the plain transcription the
# tests also use.
kestrune_add_bench(bench_tone
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tone_bench.cpp
  LIBS kestrune_dsp
)
if(TARGET Kestrune)
  target_sources(bench_tone PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tone_effect_bench.cpp)
  target_link_libraries(bench_tone PRIVATE ${CMAKE_DL_LIBS})
  target_compile_definitions(bench_tone PRIVATE KESTRUNE_MODULE_PATH="$<TARGET_FILE:Kestrune>")
  add_dependencies(bench_tone Kestrune)
endif()
