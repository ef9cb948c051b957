# hx_add_module(NAME DIR DEPS...): one static library per source folder. Sources are picked up
# by glob; files ending in Win.cpp build only on Windows, files ending in Unix.cpp and Curl.cpp
# (libcurl, the HTTP library outside Windows) only elsewhere.
function(hx_add_module name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "(Unix|Curl)\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "Win\\.cpp$")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC hangarix_flags ${ARGN})
endfunction()
