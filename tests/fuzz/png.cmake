kestrune_add_fuzzer(png SOURCES ${CMAKE_CURRENT_LIST_DIR}/png_fuzz.cpp LIBS kestrune_lice_png)
