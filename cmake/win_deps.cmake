# Imported targets for the static third-party libraries of the Windows build:
# PNG::PNG, JPEG::JPEG, ZLIB::ZLIB and MPG123::MPG123, taken from the prefix
# that scripts/build_win_deps.sh fills (built on demand at configure time).

set(WIDGET_WIN_DEPS_PREFIX "${CMAKE_SOURCE_DIR}/build/win-deps/prefix"
    CACHE PATH "Prefix holding the static MinGW builds of libpng, libjpeg and mpg123")
# zlib is Debian's MinGW package (libz-mingw-w64-dev), not something we build.
set(WIDGET_WIN_ZLIB_ROOT "/usr/i686-w64-mingw32"
    CACHE PATH "Root of the MinGW zlib (include/zlib.h, lib/libz.a)")

set(_win_deps_libs
    "${WIDGET_WIN_DEPS_PREFIX}/lib/libpng16.a"
    "${WIDGET_WIN_DEPS_PREFIX}/lib/libjpeg.a"
    "${WIDGET_WIN_DEPS_PREFIX}/lib/libmpg123.a")

set(_win_deps_missing FALSE)
foreach(_lib IN LISTS _win_deps_libs)
  if(NOT EXISTS "${_lib}")
    set(_win_deps_missing TRUE)
  endif()
endforeach()

if(_win_deps_missing)
  # The script owns BUILD_ROOT/prefix, so the prefix's parent is its BUILD_ROOT.
  get_filename_component(_win_deps_root "${WIDGET_WIN_DEPS_PREFIX}" DIRECTORY)
  message(STATUS "Windows libraries missing in ${WIDGET_WIN_DEPS_PREFIX}; building them (about a minute)")
  execute_process(
    COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/../scripts/build_win_deps.sh" "${_win_deps_root}"
    RESULT_VARIABLE _win_deps_rc)
  if(NOT _win_deps_rc EQUAL 0)
    message(FATAL_ERROR "scripts/build_win_deps.sh failed (exit ${_win_deps_rc}); see ${_win_deps_root}/logs")
  endif()
endif()

foreach(_lib IN LISTS _win_deps_libs ITEMS "${WIDGET_WIN_ZLIB_ROOT}/lib/libz.a")
  if(NOT EXISTS "${_lib}")
    message(FATAL_ERROR "Windows library ${_lib} not found")
  endif()
endforeach()

# NOTE: libz.a is named by full path on purpose: the MinGW zlib package also
# ships libz.dll.a, and a plain -lz would pick the import library and make the
# executable need zlib1.dll.
if(NOT TARGET ZLIB::ZLIB)
  add_library(ZLIB::ZLIB STATIC IMPORTED)
  set_target_properties(ZLIB::ZLIB PROPERTIES
    IMPORTED_LOCATION "${WIDGET_WIN_ZLIB_ROOT}/lib/libz.a")
  # NOTE: the toolchain's own include directory must not be repeated as an
  # -isystem path: that reorders the compiler's built-in search list and breaks
  # #include_next in the C++ headers. Only a zlib elsewhere gets an include dir.
  if(NOT WIDGET_WIN_ZLIB_ROOT STREQUAL "/usr/i686-w64-mingw32")
    set_target_properties(ZLIB::ZLIB PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES "${WIDGET_WIN_ZLIB_ROOT}/include")
  endif()
endif()

# Link order comes from the dependency edges: libpng before zlib; libmpg123
# before shlwapi (path helpers it uses for its Unicode file opening).
if(NOT TARGET PNG::PNG)
  add_library(PNG::PNG STATIC IMPORTED)
  set_target_properties(PNG::PNG PROPERTIES
    IMPORTED_LOCATION "${WIDGET_WIN_DEPS_PREFIX}/lib/libpng16.a"
    INTERFACE_INCLUDE_DIRECTORIES "${WIDGET_WIN_DEPS_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES "ZLIB::ZLIB")
endif()

if(NOT TARGET JPEG::JPEG)
  add_library(JPEG::JPEG STATIC IMPORTED)
  set_target_properties(JPEG::JPEG PROPERTIES
    IMPORTED_LOCATION "${WIDGET_WIN_DEPS_PREFIX}/lib/libjpeg.a"
    INTERFACE_INCLUDE_DIRECTORIES "${WIDGET_WIN_DEPS_PREFIX}/include")
endif()

if(NOT TARGET MPG123::MPG123)
  add_library(MPG123::MPG123 STATIC IMPORTED)
  set_target_properties(MPG123::MPG123 PROPERTIES
    IMPORTED_LOCATION "${WIDGET_WIN_DEPS_PREFIX}/lib/libmpg123.a"
    INTERFACE_INCLUDE_DIRECTORIES "${WIDGET_WIN_DEPS_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES "shlwapi")
endif()

unset(_win_deps_libs)
unset(_win_deps_missing)
unset(_win_deps_root)
unset(_win_deps_rc)
unset(_lib)
