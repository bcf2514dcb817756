# Host build: the pure layer under AddressSanitizer and UBSan, its unit tests and
# fuzzers; the Windows build as a sub-build whose tests join this ctest run.
option(QM_WINDOWS_BUILD "Cross-build Quiltmark.exe with MinGW-w64 as part of this build" ON)
option(QM_FUZZERS "Build the libFuzzer targets with clang++" ON)

set(QM_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE ${QM_SANITIZE})
endforeach()

find_package(PNG REQUIRED)
add_library(qm_pure STATIC ${QM_PURE_SOURCES})
qm_compile_options(qm_pure)
target_link_libraries(qm_pure PUBLIC PNG::PNG)
qm_embed_assets(qm_pure)
target_compile_options(qm_pure PUBLIC ${QM_SANITIZE})
target_link_options(qm_pure PUBLIC ${QM_SANITIZE})

# Draws the files in assets/; run by hand after changing the artwork, and by the
# unit tests to check that the committed files are its output.
find_package(ZLIB REQUIRED)
add_executable(make_assets tools/make_assets.cpp)
target_compile_options(make_assets PRIVATE -Wall -Wextra)
target_link_libraries(make_assets PRIVATE ZLIB::ZLIB)

add_subdirectory(tests/unit)
if(QM_FUZZERS)
  add_subdirectory(tests/fuzz)
endif()

if(QM_WINDOWS_BUILD)
  include(ExternalProject)
  set(QM_WIN_DIR ${CMAKE_BINARY_DIR}/win)
  set(QM_DEPS_PREFIX ${CMAKE_BINARY_DIR}/deps/prefix)
  add_custom_command(OUTPUT ${QM_DEPS_PREFIX}/lib/libpng16.a
    COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/build-deps.sh ${CMAKE_BINARY_DIR}
    COMMENT "Building libpng for i686-w64-mingw32")
  add_custom_target(qm_deps DEPENDS ${QM_DEPS_PREFIX}/lib/libpng16.a)
  ExternalProject_Add(quiltmark_win
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${QM_WIN_DIR}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-i686.cmake
      -DQM_DEPS_PREFIX=${QM_DEPS_PREFIX}
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON
    DEPENDS qm_deps)
  # The Windows tests are registered in the sub-build; pull them into this run.
  file(WRITE ${CMAKE_BINARY_DIR}/win-tests.cmake "subdirs(\"${QM_WIN_DIR}\")\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/win-tests.cmake)
endif()
