# PNG decoding into rasteriser bitmaps, through the system's libpng 1.6.
pkg_check_modules(KESTRUNE_LIBPNG REQUIRED IMPORTED_TARGET GLOBAL libpng16)

add_library(kestrune_lice_png STATIC ${CMAKE_CURRENT_LIST_DIR}/lice_png.cpp)
target_include_directories(kestrune_lice_png PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_lice_png PUBLIC kestrune_rasterizer PRIVATE PkgConfig::KESTRUNE_LIBPNG ${CMAKE_DL_LIBS})
