# The editor-image lookup over a module's embedded files.
kestrune_add_test(test_platform_resources
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/EmbeddedResourcesTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/rasterizer/png_test_encoder.cpp
  LIBS kestrune_resources PkgConfig::KESTRUNE_LIBPNG)
