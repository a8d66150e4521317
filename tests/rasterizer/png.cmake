kestrune_add_test(lice_png_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/lice_png_test.cpp ${CMAKE_CURRENT_LIST_DIR}/png_test_encoder.cpp
  LIBS kestrune_lice_png PkgConfig::KESTRUNE_LIBPNG)
