# kestrune-validate: checks any VST 2 module the way hosts treat it. Its logic lives in a library so
# tests can reach it; the executable lands at <build>/tools/kestrune-validate with the realtime
# check's preload library, kestrune-validate-preload.so, beside it.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)

add_library(kestrune_validate STATIC
  kestrune-validate/CheckContext.cpp
  kestrune-validate/CheckProcess.cpp
  kestrune-validate/Checks.cpp
  kestrune-validate/CommaLocale.cpp
  kestrune-validate/CommandLine.cpp
  kestrune-validate/ElfSymbols.cpp
  kestrune-validate/GuardedText.cpp
  kestrune-validate/Plugin.cpp
  kestrune-validate/Report.cpp
  kestrune-validate/Signals.cpp
  kestrune-validate/Strictness.cpp
  kestrune-validate/Validator.cpp
  kestrune-validate/XvfbServer.cpp
  kestrune-validate/checks/BlockRunner.cpp
  kestrune-validate/checks/DenormalsCheck.cpp
  kestrune-validate/checks/EditorCheck.cpp
  kestrune-validate/checks/InfoCheck.cpp
  kestrune-validate/checks/LifecycleCheck.cpp
  kestrune-validate/checks/LoadCheck.cpp
  kestrune-validate/checks/LocaleCheck.cpp
  kestrune-validate/checks/ParametersCheck.cpp
  kestrune-validate/checks/ProcessCheck.cpp
  kestrune-validate/checks/ProgramsCheck.cpp
  kestrune-validate/checks/RealtimeCheck.cpp
  kestrune-validate/checks/StateCheck.cpp
  kestrune-validate/checks/TextAudit.cpp
  kestrune-validate/checks/ThreadsCheck.cpp)
target_include_directories(kestrune_validate PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune_validate PUBLIC kestrune_vst_host kestrune_tool_options PkgConfig::X11 Threads::Threads ${CMAKE_DL_LIBS})

add_executable(kestrune-validate kestrune-validate/main.cpp)
target_link_libraries(kestrune-validate PRIVATE kestrune_validate)

add_library(kestrune-validate-preload MODULE kestrune-validate/RealtimePreload.cpp)
target_include_directories(kestrune-validate-preload PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(kestrune-validate-preload PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(kestrune-validate-preload PROPERTIES PREFIX "")
add_dependencies(kestrune-validate kestrune-validate-preload)
# The preload runs before any sanitizer's runtime has started (it stands in for malloc): it must not
# be instrumented itself, or its first call touches shadow memory that does not exist yet.
foreach(property COMPILE_OPTIONS LINK_OPTIONS)
  get_target_property(options kestrune-validate-preload ${property})
  if(options)
    list(FILTER options EXCLUDE REGEX "sanitize")
    set_target_properties(kestrune-validate-preload PROPERTIES ${property} "${options}")
  endif()
endforeach()
