# Files compiled into a module and the editor-image lookup over them (resources/).
add_library(kestrune_resources STATIC ${CMAKE_CURRENT_LIST_DIR}/resources/EmbeddedResources.cpp)
target_include_directories(kestrune_resources PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_resources PUBLIC kestrune_lice_png)
