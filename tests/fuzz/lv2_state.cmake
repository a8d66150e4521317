kestrune_add_fuzzer(lv2_state SOURCES ${CMAKE_CURRENT_LIST_DIR}/Lv2StateFuzz.cpp LIBS kestrune_effect_lv2)
