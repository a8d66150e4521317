# Vector primitives: lines, rectangle outlines, circles and arcs, polygons, curves and glyph masks.
add_library(kestrune_lice_primitives STATIC
  ${CMAKE_CURRENT_LIST_DIR}/lice_circle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lice_curves.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lice_glyph.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lice_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lice_polygon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lice_shapes.cpp
)
target_include_directories(kestrune_lice_primitives PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_lice_primitives PUBLIC kestrune_rasterizer)
