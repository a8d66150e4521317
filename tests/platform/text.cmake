kestrune_add_test(swell_text_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/swell_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/swell_text_hostile_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_test_support.cpp
  LIBS kestrune_gdi_text PkgConfig::KESTRUNE_FREETYPE)

kestrune_add_test(swell_text_threads_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/swell_text_threads_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_test_support.cpp
  LIBS kestrune_lice_text
  LABELS threads)
