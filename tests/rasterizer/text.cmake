kestrune_add_test(lice_cachedfont_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/lice_cachedfont_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/platform/text_test_support.cpp
  LIBS kestrune_lice_text)
