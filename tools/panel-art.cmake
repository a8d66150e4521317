# kestrune-panel-art: draws the panel images with the rasteriser and writes them as PNG files
# (make panel-art refreshes resources/img with it). The drawing lives in a library so tests can
# regenerate and inspect the art.
add_library(kestrune_panel_art STATIC
  kestrune-panel-art/Background.cpp
  kestrune-panel-art/Knob.cpp
  kestrune-panel-art/Layers.cpp
  kestrune-panel-art/PanelArt.cpp
  kestrune-panel-art/PngEncoder.cpp
  kestrune-panel-art/Surface.cpp
  kestrune-panel-art/Switches.cpp
  kestrune-panel-art/Typesetter.cpp)
target_include_directories(kestrune_panel_art PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_panel_art PUBLIC kestrune_lice_primitives kestrune_lice_png kestrune_gdi_text kestrune_render
  PRIVATE PkgConfig::KESTRUNE_LIBPNG)

add_executable(kestrune-panel-art kestrune-panel-art/main.cpp)
target_link_libraries(kestrune-panel-art PRIVATE kestrune_panel_art)
