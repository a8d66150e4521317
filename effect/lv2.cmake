# The LV2 build of the effect: the same sources compiled against the LV2 wrapper (KESTRUNE_LV2),
# with the panel on the X11 host for the LV2 editor; the module Kestrune.lv2/Kestrune.so exporting
# only lv2_descriptor and lv2ui_descriptor; and the bundle's Turtle files, written at build time by
# kestrune-lv2-turtle from an instance of the effect itself.
add_library(kestrune_effect_lv2 STATIC Kestrune.cpp KestruneEditor.cpp MakeGraphicsX11.cpp KestruneLV2Entry.cpp
  $<TARGET_OBJECTS:kestrune_panel_resources>)
target_compile_definitions(kestrune_effect_lv2 PUBLIC KESTRUNE_LV2)
target_include_directories(kestrune_effect_lv2 PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_effect_lv2 PUBLIC kestrune_lv2 kestrune_dsp kestrune_plugin kestrune_containers
  kestrune_graphics_controls kestrune_graphics_x11)

if(NOT KESTRUNE_FUZZ)
  set(KESTRUNE_LV2_BUNDLE ${PROJECT_BINARY_DIR}/Kestrune.lv2)

  add_library(KestruneLV2 MODULE KestruneLV2Entry.cpp)
  target_link_libraries(KestruneLV2 PRIVATE kestrune_effect_lv2)
  set_target_properties(KestruneLV2 PROPERTIES
    PREFIX ""
    OUTPUT_NAME Kestrune
    LIBRARY_OUTPUT_DIRECTORY ${KESTRUNE_LV2_BUNDLE}
    LINK_DEPENDS ${PROJECT_SOURCE_DIR}/lv2/exports.map)
  target_link_options(KestruneLV2 PRIVATE -Wl,--version-script=${PROJECT_SOURCE_DIR}/lv2/exports.map)
  if(NOT KESTRUNE_SANITIZE)
    target_link_options(KestruneLV2 PRIVATE -Wl,--no-undefined)
  endif()

  add_executable(kestrune-lv2-turtle ${PROJECT_SOURCE_DIR}/lv2/GenerateTurtle.cpp)
  target_link_libraries(kestrune-lv2-turtle PRIVATE kestrune_effect_lv2 kestrune_lv2_turtle)
  set(KESTRUNE_LV2_TURTLE ${KESTRUNE_LV2_BUNDLE}/manifest.ttl ${KESTRUNE_LV2_BUNDLE}/kestrune.ttl
      ${KESTRUNE_LV2_BUNDLE}/presets.ttl)
  add_custom_command(OUTPUT ${KESTRUNE_LV2_TURTLE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRUNE_LV2_BUNDLE}
    COMMAND kestrune-lv2-turtle ${KESTRUNE_LV2_BUNDLE} $<TARGET_FILE_NAME:KestruneLV2>
    DEPENDS kestrune-lv2-turtle
    COMMENT "Describing Kestrune.lv2 from the plug-in's parameter list")
  # The bundle target: the module and its description together.
  add_custom_target(kestrune_lv2_bundle ALL DEPENDS ${KESTRUNE_LV2_TURTLE} KestruneLV2)
endif()
