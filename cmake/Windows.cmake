# The Windows program, its tests and benchmark (cross-built with mingw-w64).
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res")
set(PX_WIN_FLAGS -Wall -Wextra -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX
    -D_WIN32_WINNT=0x0601)

file(GLOB PX_WIN_SOURCES CONFIGURE_DEPENDS
     framework/*.cpp app/*.cpp panels/*.cpp ui/*.cpp fileops/*.cpp viewer/*.cpp)
list(FILTER PX_WIN_SOURCES EXCLUDE REGEX "app/Main\\.cpp$")
add_library(pxwin STATIC ${PX_WIN_SOURCES})
target_include_directories(pxwin PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(pxwin PRIVATE ${PX_WIN_FLAGS})
target_compile_definitions(pxcore PUBLIC NOMINMAX)
target_link_libraries(pxwin PUBLIC pxcore comctl32 shell32 shlwapi ole32 uuid gdi32 user32 comdlg32 windowscodecs)

set(PX_STATIC_LINK -static -static-libgcc -static-libstdc++ -municode)

# windres reports no dependencies: name what the resource script includes, so
# that an edited dialog template or picture rebuilds the resources.
file(GLOB px_resource_files CONFIGURE_DEPENDS res/*.rc res/*.h res/*.manifest res/images/*.*)
set_source_files_properties(res/Pannex.rc PROPERTIES OBJECT_DEPENDS "${px_resource_files}")

add_executable(Pannex WIN32 app/Main.cpp res/Pannex.rc)
target_compile_options(Pannex PRIVATE ${PX_WIN_FLAGS})
target_link_libraries(Pannex PRIVATE pxwin)
target_link_options(Pannex PRIVATE ${PX_STATIC_LINK} -mwindows)

# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB PX_WIN_TESTS CONFIGURE_DEPENDS tests/win/*.cpp)
add_executable(win_tests ${PX_WIN_TESTS} res/Pannex.rc)
target_compile_options(win_tests PRIVATE ${PX_WIN_FLAGS})
target_compile_definitions(win_tests PRIVATE PX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(win_tests PRIVATE pxwin gtest)
target_link_options(win_tests PRIVATE ${PX_STATIC_LINK} -mconsole)

add_executable(listing_bench bench/ListingBench.cpp res/Pannex.rc)
target_compile_options(listing_bench PRIVATE ${PX_WIN_FLAGS})
target_link_libraries(listing_bench PRIVATE pxwin)
target_link_options(listing_bench PRIVATE ${PX_STATIC_LINK} -mconsole)

add_executable(tree_bench bench/TreeBench.cpp res/Pannex.rc)
target_compile_options(tree_bench PRIVATE ${PX_WIN_FLAGS})
target_link_libraries(tree_bench PRIVATE pxwin)
target_link_options(tree_bench PRIVATE ${PX_STATIC_LINK} -mconsole)

add_executable(search_bench bench/SearchBench.cpp res/Pannex.rc)
target_compile_options(search_bench PRIVATE ${PX_WIN_FLAGS})
target_link_libraries(search_bench PRIVATE pxwin)
target_link_options(search_bench PRIVATE ${PX_STATIC_LINK} -mconsole)

add_executable(fileops_bench bench/FileOpsBench.cpp res/Pannex.rc)
target_compile_options(fileops_bench PRIVATE ${PX_WIN_FLAGS})
target_link_libraries(fileops_bench PRIVATE pxwin)
target_link_options(fileops_bench PRIVATE ${PX_STATIC_LINK} -mconsole)

add_executable(viewer_bench bench/ViewerBench.cpp res/Pannex.rc)
target_compile_options(viewer_bench PRIVATE ${PX_WIN_FLAGS})
target_link_libraries(viewer_bench PRIVATE pxwin psapi)
target_link_options(viewer_bench PRIVATE ${PX_STATIC_LINK} -mconsole)

# The icon libraries of the menus and the toolbar: resource-only DLLs without code
# or an entry point, loaded by the program as data files.
foreach(px_icon_library Menu ToolBar)
  add_library(${px_icon_library} SHARED res/${px_icon_library}.rc)
  # windres reports no dependencies: name the pictures so that a redrawn icon relinks the library.
  string(TOLOWER ${px_icon_library} px_icon_folder)
  file(GLOB px_icon_files CONFIGURE_DEPENDS res/images/${px_icon_folder}/*.ico)
  set_source_files_properties(res/${px_icon_library}.rc PROPERTIES OBJECT_DEPENDS "${px_icon_files}")
  set_target_properties(${px_icon_library} PROPERTIES PREFIX "" LINKER_LANGUAGE CXX)
  target_link_options(${px_icon_library} PRIVATE -nostdlib -Wl,-e,0 -s)
endforeach()

add_executable(menu_bench bench/MenuBench.cpp res/Pannex.rc)
target_compile_options(menu_bench PRIVATE ${PX_WIN_FLAGS})
target_compile_definitions(menu_bench PRIVATE PX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(menu_bench PRIVATE pxwin)
target_link_options(menu_bench PRIVATE ${PX_STATIC_LINK} -mconsole)

# Screenshots of an open drop-down (scripts/screenshot.sh).
add_executable(window_capture tools/WindowCapture.cpp)
target_compile_options(window_capture PRIVATE ${PX_WIN_FLAGS})
target_include_directories(window_capture PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(window_capture PRIVATE gdi32 user32)
target_link_options(window_capture PRIVATE ${PX_STATIC_LINK} -mconsole)

# Drives the running window for the dialog screenshots (scripts/screenshot-dialogs.sh).
add_executable(window_remote tools/WindowRemote.cpp)
target_compile_options(window_remote PRIVATE ${PX_WIN_FLAGS})
target_include_directories(window_remote PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(window_remote PRIVATE user32)
target_link_options(window_remote PRIVATE ${PX_STATIC_LINK} -mconsole)

add_executable(keyboard_bench bench/KeyboardBench.cpp res/Pannex.rc)
target_compile_options(keyboard_bench PRIVATE ${PX_WIN_FLAGS})
target_link_libraries(keyboard_bench PRIVATE pxwin)
target_link_options(keyboard_bench PRIVATE ${PX_STATIC_LINK} -mconsole)

add_executable(live_bench bench/LiveBench.cpp res/Pannex.rc)
target_compile_options(live_bench PRIVATE ${PX_WIN_FLAGS})
target_link_libraries(live_bench PRIVATE pxwin)
target_link_options(live_bench PRIVATE ${PX_STATIC_LINK} -mconsole)

add_executable(startup_bench bench/StartupBench.cpp)
target_compile_options(startup_bench PRIVATE ${PX_WIN_FLAGS})
target_include_directories(startup_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(startup_bench PRIVATE user32 advapi32)
target_link_options(startup_bench PRIVATE ${PX_STATIC_LINK} -mconsole)
