# Windows build: Quiltmark.exe, linked statically, plus the tests that run under Wine
# (or natively on Windows).
option(QM_TESTS "Build the Windows tests" ${CMAKE_CROSSCOMPILING})
# x86 or x64: names and labels the Wine tests of this build and picks Wine's mode.
if(NOT QM_ARCH)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QM_ARCH x64)
  else()
    set(QM_ARCH x86)
  endif()
endif()

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)

add_library(qm_core STATIC ${QM_PURE_SOURCES} ${QM_WIN_SOURCES})
qm_compile_options(qm_core)
qm_embed_assets(qm_core)
target_compile_definitions(qm_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(qm_core PUBLIC PNG::PNG ZLIB::ZLIB ole32 shell32 user32 gdi32 imm32)
if(NOT MSVC)
  target_link_options(qm_core PUBLIC -static -static-libgcc -static-libstdc++)
endif()

# The icon, version block and manifest; windres finds the icon and manifest beside
# the script.
enable_language(RC)
# windres reports no dependencies, so a changed icon or manifest must be named here.
set_source_files_properties(assets/quiltmark.rc PROPERTIES OBJECT_DEPENDS
  "${PROJECT_SOURCE_DIR}/assets/quiltmark.manifest;${PROJECT_SOURCE_DIR}/assets/quiltmark.ico")
add_executable(Quiltmark WIN32 app/main_win.cpp assets/quiltmark.rc)
qm_compile_options(Quiltmark)
target_link_libraries(Quiltmark PRIVATE qm_core)
# The resource script embeds the manifest. The Visual Studio linker would make one of
# its own as well and embed it under the same number: the link then fails over the
# duplicate, or one of the two (and with it the DPI awareness) is lost. One is made,
# the same in every build.
if(MSVC)
  target_link_options(Quiltmark PRIVATE /MANIFEST:NO)
endif()

if(QM_TESTS)
  add_subdirectory(tests/win)
  add_subdirectory(tests/e2e)
endif()

# Times the window search and arrangement against the bare system calls; run it with
# scripts/bench.sh. A program that prints figures, not a test.
add_executable(arrange_bench bench/arrange_bench.cpp)
qm_compile_options(arrange_bench)
target_link_libraries(arrange_bench PRIVATE qm_core)

# Times whole runs of Quiltmark.exe, with arguments and to its window's first paint,
# against two bare programs that make only the calls the same job needs.
# With the start-up stamps, so that the benchmark can set its phases beside Quiltmark's.
add_executable(bare_arrange WIN32 bench/bare_arrange.cpp base/phases_win.cpp)
add_executable(bare_window WIN32 bench/bare_window.cpp)
add_executable(bare_controls WIN32 bench/bare_controls.cpp bench/bare_controls.rc)
set_source_files_properties(bench/bare_controls.rc PROPERTIES OBJECT_DEPENDS
  "${PROJECT_SOURCE_DIR}/assets/quiltmark.manifest;${PROJECT_SOURCE_DIR}/assets/quiltmark.ico")
add_executable(process_bench bench/process_bench.cpp bench/process_slow.cpp)
foreach(target bare_arrange bare_window bare_controls process_bench)
  qm_compile_options(${target})
  if(MSVC)
    # As for Quiltmark.exe: the one manifest is the resource script's (bare_controls)
    # or none, as the MinGW build makes them.
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  else()
    # Linked like Quiltmark.exe, so that neither loads a runtime library the other does not.
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endforeach()
target_link_libraries(bare_arrange PRIVATE shell32 user32)
target_link_libraries(bare_window PRIVATE user32)
# Only the layout tables, the picture decoder, the embedded picture and the start-up
# stamps, compiled again: the program's library would bring its allocator and
# shutdown along.
add_library(qm_window_parts STATIC ui/layout.cpp ui/picture.cpp base/phases_win.cpp)
qm_compile_options(qm_window_parts)
qm_embed_assets(qm_window_parts)
target_link_libraries(qm_window_parts PUBLIC PNG::PNG ZLIB::ZLIB)
target_link_libraries(bare_controls PRIVATE qm_window_parts comctl32 gdi32 user32)
target_link_libraries(process_bench PRIVATE user32 gdi32)
add_dependencies(process_bench Quiltmark bare_arrange bare_window bare_controls)

# What a running watch costs and how quickly it keeps its grid.
add_executable(watch_bench bench/watch_bench.cpp)
qm_compile_options(watch_bench)
target_link_libraries(watch_bench PRIVATE qm_core psapi)
add_dependencies(watch_bench Quiltmark)
