# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model, for
# std::thread), tests run under Wine. Libraries built for Windows (libzip, GoogleTest) are
# looked up in HX_WINDOWS_DEPS, by default build-mingw/deps beside the sources.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(HX_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${HX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HX_MINGW_TRIPLET}-windres)

if(NOT HX_WINDOWS_DEPS)
  get_filename_component(HX_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build-mingw/deps" ABSOLUTE)
endif()
set(HX_WINDOWS_DEPS "${HX_WINDOWS_DEPS}" CACHE PATH "Libraries built for Windows")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HX_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${HX_MINGW_TRIPLET} ${HX_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees the Windows libraries only, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "${HX_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Static run-time libraries: the .exe files run without MinGW's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Windows 7 and later.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# zlib from libz-mingw-w64-dev, linked statically as well.
set(ZLIB_USE_STATIC_LIBS ON)
