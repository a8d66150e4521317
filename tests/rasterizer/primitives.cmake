kestrune_add_test(lice_primitives_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/lice_line_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lice_shape_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lice_fill_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lice_primitive_hostile_test.cpp
  LIBS kestrune_lice_primitives)
