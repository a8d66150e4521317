# What every picture-writing tool shares: PNG encoding of rasteriser bitmaps and lettering in
# pinned fonts.
add_library(kestrune_picture STATIC picture/PinnedFonts.cpp picture/PngEncoder.cpp)
target_include_directories(kestrune_picture PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_picture PUBLIC kestrune_rasterizer kestrune_gdi_text PRIVATE PkgConfig::KESTRUNE_LIBPNG)
