# Text drawing and measuring against cairo's cairo_show_text with the same face and size.
pkg_check_modules(KESTRUNE_CAIRO IMPORTED_TARGET cairo)
if(KESTRUNE_CAIRO_FOUND)
  kestrune_add_bench(bench_text
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_bench.cpp
    LIBS kestrune_lice_text PkgConfig::KESTRUNE_CAIRO PkgConfig::KESTRUNE_FREETYPE)
endif()
