# The Windows build: the Win32 desktop, the widget executable with its icon, and the
# desktop's own tests, which run under Wine (scripts/wine_test.sh, registered in the
# native build's ctest).

enable_language(RC)

file(GLOB win32_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
add_library(win32_desktop STATIC ${win32_sources})
target_link_libraries(win32_desktop PUBLIC widget_logic
    user32 gdi32 kernel32 shell32 advapi32 winmm comctl32 msimg32)
target_compile_definitions(win32_desktop PUBLIC UNICODE _UNICODE NOMINMAX)

set(widget_static_link -static -static-libgcc -static-libstdc++)

# The program's icon in the executable's resources, as Explorer shows it.
set(widget_rc ${CMAKE_BINARY_DIR}/generated/desk_widget.rc)
file(WRITE ${widget_rc}.in "1 ICON \"${CMAKE_SOURCE_DIR}/units/assets/app_icon.ico\"\n")
configure_file(${widget_rc}.in ${widget_rc} COPYONLY)
set_source_files_properties(${widget_rc} PROPERTIES
    OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/units/assets/app_icon.ico)

add_executable(desk_widget WIN32 ${CMAKE_SOURCE_DIR}/app/main_win32.cpp ${widget_rc})
target_link_libraries(desk_widget PRIVATE win32_desktop)
target_link_options(desk_widget PRIVATE ${widget_static_link})
# Sections aligned to pages in the file as in memory: the loader can then map the
# program's code and constant data straight from the file, shared and only as far as
# it is used, instead of copying all of it (some 3 MB, pictures and fonts' tables of the
# static libraries included) into private memory at start.
target_link_options(desk_widget PRIVATE -Wl,--file-alignment,0x1000 -Wl,--strip-debug)
# The breathing frames are read from folders beside the program.
add_custom_command(TARGET desk_widget POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/units/themes
            $<TARGET_FILE_DIR:desk_widget>
    VERBATIM)

# GoogleTest built from Debian's sources for the cross toolchain. NOTE: the win32
# thread model has no pthreads and no std::mutex; gtest then uses its own Win32
# primitives, and the port hook under tests/win32 supplies the one it lacks.
set(gtest_root /usr/src/googletest/googletest)
if(EXISTS ${gtest_root}/src/gtest-all.cc)
    add_library(gtest_win STATIC ${gtest_root}/src/gtest-all.cc ${gtest_root}/src/gtest_main.cc)
    target_include_directories(gtest_win SYSTEM BEFORE PUBLIC
        ${CMAKE_SOURCE_DIR}/tests/win32/gtest_custom ${gtest_root}/include)
    target_include_directories(gtest_win PRIVATE ${gtest_root})
    target_compile_definitions(gtest_win PUBLIC GTEST_HAS_PTHREAD=0)
    # Its sources are not ours: no warnings, and its literals stay UTF-8.
    target_compile_options(gtest_win PRIVATE -w -fexec-charset=UTF-8)

    file(GLOB win32_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*_test.cpp)
    if(win32_test_sources)
        add_executable(widget_win32_tests ${win32_test_sources})
        target_link_libraries(widget_win32_tests PRIVATE win32_desktop gtest_win)
        target_link_options(widget_win32_tests PRIVATE ${widget_static_link})
        target_compile_definitions(widget_win32_tests PRIVATE WIDGET_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    endif()
endif()

# The timing tool, also built natively (the native build adds it itself).
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/bench/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tools/bench ${CMAKE_BINARY_DIR}/tools/bench)
endif()
