kestrune_add_fuzzer(draw_text SOURCES ${CMAKE_CURRENT_LIST_DIR}/draw_text_fuzz.cpp LIBS kestrune_gdi_text)
