# The panel images from resources/img, compiled into Kestrune.so as a name -> bytes table
# (PanelResources.h). The generated source is rebuilt whenever an image or the script changes.
file(GLOB panel_images CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/img/*.png)
set(panel_resources_source ${CMAKE_CURRENT_BINARY_DIR}/PanelResources.cpp)
add_custom_command(
  OUTPUT ${panel_resources_source}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${panel_resources_source} -DHEADER=effect/PanelResources.h
          -DFUNCTION=KestrunePanelResources "-DFILES=${panel_images}"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/EmbedFiles.cmake
  DEPENDS ${panel_images} ${CMAKE_CURRENT_SOURCE_DIR}/EmbedFiles.cmake
  COMMENT "Embedding the panel images"
  VERBATIM)

# An object library, so that the images land in the module even before code there refers to them.
add_library(kestrune_panel_resources OBJECT ${panel_resources_source})
# Only the table's record types are needed to build it: it brings no library along.
target_include_directories(kestrune_panel_resources PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(Kestrune PRIVATE kestrune_panel_resources)
