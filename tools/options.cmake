# What every command-line tool here shares: reading an option word and its value.
add_library(kestrune_tool_options STATIC options/OptionWord.cpp)
target_include_directories(kestrune_tool_options PUBLIC ${PROJECT_SOURCE_DIR})
