# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX thread model, for
# std::thread), tests run under Wine. Libraries built for Windows (libzip, GoogleTest) are
# looked up in HX_WINDOWS_DEPS, by default build-mingw/deps beside the sources; Qt for Windows
# (scripts/qt-windows.sh) in HX_WINDOWS_QT, whose moc, rcc and uic come from the host's Qt.
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

set(HX_WINDOWS_QT "${HX_WINDOWS_QT}" CACHE PATH "Qt built for Windows (empty: no window)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HX_WINDOWS_QT)

set(CMAKE_FIND_ROOT_PATH /usr/${HX_MINGW_TRIPLET} ${HX_WINDOWS_DEPS} ${HX_WINDOWS_QT})
if(HX_WINDOWS_QT)
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees the Windows libraries only, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "${HX_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# One C++ run-time per process: Qt's DLLs use MinGW's shared libstdc++, libgcc and winpthread,
# so every program of this build does too (the DLLs ship beside them). Only libzip and zlib are
# linked statically, as they are not shared with Qt.
# Windows 7 and later.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")

# Programs run under Wine; the top-level CMakeLists.txt replaces this with a wrapper that puts
# the run-time DLLs and Qt's on Wine's search path.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# zlib from libz-mingw-w64-dev, linked statically as well.
set(ZLIB_USE_STATIC_LIBS ON)
