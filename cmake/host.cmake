# Host build: the pure layer under AddressSanitizer and UBSan, its unit tests and
# fuzzers; the Windows build as a sub-build whose tests join this ctest run.
option(QM_WINDOWS_BUILD "Cross-build Quiltmark.exe with MinGW-w64 as part of this build" ON)
option(QM_FUZZERS "Build the libFuzzer targets with clang++" ON)
set(QM_WINDOWS_ARCHS "x86;x64" CACHE STRING "The Windows builds to make: x86 (the product), x64, or both")

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
  # Two Windows builds of the one tree: the 32-bit program (the product, in win/) and
  # the same program built for x64 (in win64/), each with its own libpng and its own
  # Wine tests, labelled x86 and x64.
  include(ExternalProject)
  set(win_tests "")
  foreach(arch ${QM_WINDOWS_ARCHS})
    if(arch STREQUAL "x86")
      set(dir ${CMAKE_BINARY_DIR}/win)
      set(toolchain mingw-i686.cmake)
    else()
      set(dir ${CMAKE_BINARY_DIR}/win64)
      set(toolchain mingw-x86_64.cmake)
    endif()
    set(prefix ${CMAKE_BINARY_DIR}/deps/${arch}/prefix)
    add_custom_command(OUTPUT ${prefix}/lib/libpng16.a
      COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/build-deps.sh ${CMAKE_BINARY_DIR} ${arch}
      COMMENT "Building libpng for the ${arch} Windows target")
    add_custom_target(qm_deps_${arch} DEPENDS ${prefix}/lib/libpng16.a)
    ExternalProject_Add(quiltmark_${arch}
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${dir}
      CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/${toolchain}
        -DQM_DEPS_PREFIX=${prefix}
        -DQM_ARCH=${arch}
        -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ""
      USES_TERMINAL_BUILD ON
      DEPENDS qm_deps_${arch})
    string(APPEND win_tests "subdirs(\"${dir}\")\n")
  endforeach()
  # The Windows tests are registered in the sub-builds; pull them into this run.
  file(WRITE ${CMAKE_BINARY_DIR}/win-tests.cmake "${win_tests}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/win-tests.cmake)
endif()
