# Fonts and text for memory drawing contexts: faces found by fontconfig, rendered by FreeType.
# A library of its own, so that only what draws text depends on the two.
pkg_check_modules(KESTRUNE_FREETYPE REQUIRED IMPORTED_TARGET GLOBAL freetype2)
pkg_check_modules(KESTRUNE_FONTCONFIG REQUIRED IMPORTED_TARGET GLOBAL fontconfig)

add_library(kestrune_gdi_text STATIC
  gdi/swell_drawtext.cpp
  gdi/swell_font.cpp
  gdi/swell_fontstore.cpp
  gdi/swell_glyphcache.cpp
  gdi/swell_textlayout.cpp
)
target_include_directories(kestrune_gdi_text PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_gdi_text
  PUBLIC kestrune_gdi kestrune_containers PkgConfig::KESTRUNE_FREETYPE
  PRIVATE PkgConfig::KESTRUNE_FONTCONFIG)
