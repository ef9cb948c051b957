# The rule for code that differs by system: files ending in Win.cpp build only on Windows, files
# ending in Unix.cpp and Curl.cpp (libcurl, the HTTP library outside Windows) only elsewhere.
# hx_filter_system_sources(VAR) applies it to the list in VAR.
function(hx_filter_system_sources var)
  set(sources ${${var}})
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "(Unix|Curl)\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "Win\\.cpp$")
  endif()
  set(${var} ${sources} PARENT_SCOPE)
endfunction()

# hx_add_module(NAME DIR DEPS...): one static library per source folder. Sources are picked up
# by glob, filtered by the system rule above.
function(hx_add_module name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  hx_filter_system_sources(sources)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC hangarix_flags ${ARGN})
endfunction()
