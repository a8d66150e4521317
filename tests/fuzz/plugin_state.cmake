kestrune_add_fuzzer(unserialize_params SOURCES ${CMAKE_CURRENT_LIST_DIR}/UnserializeParamsFuzz.cpp LIBS kestrune_plugin)
kestrune_add_fuzzer(unserialize_presets SOURCES ${CMAKE_CURRENT_LIST_DIR}/UnserializePresetsFuzz.cpp LIBS kestrune_plugin)
kestrune_add_fuzzer(load_fxp SOURCES ${CMAKE_CURRENT_LIST_DIR}/LoadFxpFuzz.cpp LIBS kestrune_plugin)
kestrune_add_fuzzer(load_fxb SOURCES ${CMAKE_CURRENT_LIST_DIR}/LoadFxbFuzz.cpp LIBS kestrune_plugin)
