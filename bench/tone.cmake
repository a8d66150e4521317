# Tone processor: the four filter objects of a stereo frame, the whole per-frame chain and, once
# the module is built, the effect loaded from it and driven through its effect record, each
# beside the straightforward transcription kept in tone_reference.cpp.
kestrune_add_bench(bench_tone
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tone_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/tone_reference.cpp
  LIBS kestrune_dsp
)
if(TARGET Kestrune)
  target_sources(bench_tone PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tone_effect_bench.cpp)
  target_link_libraries(bench_tone PRIVATE ${CMAKE_DL_LIBS})
  target_compile_definitions(bench_tone PRIVATE KESTRUNE_MODULE_PATH="$<TARGET_FILE:Kestrune>")
  add_dependencies(bench_tone Kestrune)
endif()
