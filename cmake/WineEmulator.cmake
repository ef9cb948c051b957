# The MinGW build runs its own programs (the icon tool during the build, every test) under Wine.
# They load MinGW's shared run-time and, with the window, Qt's DLLs: a small wrapper puts both
# folders on Wine's search path, so nothing has to be copied beside each program, and gives
# Qt's offscreen platform a font folder.
set(hx_wine_dirs)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}" OR NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "MinGW run-time ${dll} not found (${CMAKE_CXX_COMPILER} -print-file-name)")
  endif()
  get_filename_component(dll_dir "${dll_path}" DIRECTORY)
  get_filename_component(dll_dir "${dll_dir}" REALPATH)
  list(APPEND hx_wine_dirs "${dll_dir}")
endforeach()
if(HANGARIX_GUI)
  get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
  if(NOT qt_core_dll)
    get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION)
  endif()
  get_filename_component(qt_bin "${qt_core_dll}" DIRECTORY)
  list(APPEND hx_wine_dirs "${qt_bin}")
endif()
list(REMOVE_DUPLICATES hx_wine_dirs)
# The run-time's folders as Wine sees them (the Z: drive is the root of the host).
set(HX_MINGW_RUNTIME_DIRS "${hx_wine_dirs}" CACHE INTERNAL "Folders of the DLLs programs load")
set(hx_winepath)
foreach(dir ${hx_wine_dirs})
  string(REPLACE "/" "\\" dir "${dir}")
  string(APPEND hx_winepath "Z:${dir};")
endforeach()
# Qt's offscreen platform on Windows reads fonts from one folder (QT_QPA_FONTDIR) instead of
# asking the system: under Wine the tests get the host's DejaVu and URW fonts, as on Linux.
set(hx_font_dir ${CMAKE_BINARY_DIR}/fonts)
file(MAKE_DIRECTORY ${hx_font_dir})
file(GLOB host_fonts /usr/share/fonts/truetype/dejavu/*.ttf /usr/share/fonts/opentype/urw-base35/*.otf)
foreach(font ${host_fonts})
  get_filename_component(font_name ${font} NAME)
  file(CREATE_LINK ${font} ${hx_font_dir}/${font_name} SYMBOLIC)
endforeach()
set(HX_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
set(HX_WINE_FONT_DIR "Z:${hx_font_dir}")
set(HX_WINEPATH "${hx_winepath}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${HX_WINE_RUN} @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${HX_WINE_RUN})
