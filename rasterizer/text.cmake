# Cached glyph fonts: text drawn and measured in bitmaps through the platform's fonts.
add_library(kestrune_lice_text STATIC ${CMAKE_CURRENT_LIST_DIR}/lice_cachedfont.cpp)
target_include_directories(kestrune_lice_text PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_lice_text PUBLIC kestrune_lice_primitives kestrune_gdi_text kestrune_containers)
