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
# The scripts' own checks, such as the list of builds: each tests/scripts/*_test.sh.
file(GLOB script_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/scripts/*_test.sh)
foreach(script ${script_tests})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME scripts.${name} COMMAND sh ${script})
  set_tests_properties(scripts.${name} PROPERTIES LABELS unit)
endforeach()
# The Windows builds, one a line, with their names: each one's Wine tests end with the
# tear-downs wine_down_<name> and wine_down_<name>_144, after which the fuzzers run.
file(STRINGS ${PROJECT_SOURCE_DIR}/scripts/builds.list build_lines REGEX "^[^#]")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/scripts/builds.list)
set(QM_WINE_DOWN "")
foreach(line ${build_lines})
  string(REGEX MATCH "^[^ \t]+" arch "${line}")
  list(APPEND QM_WINE_DOWN wine_down_${arch} wine_down_${arch}_144)
endforeach()
if(QM_FUZZERS)
  add_subdirectory(tests/fuzz)
endif()

if(QM_WINDOWS_BUILD)
  # The Windows builds of the one tree (the 32-bit program, the product, and the same
  # program built for x64), each with its own libpng and its own Wine tests labelled
  # by its name. Which build is called what and lives where is scripts/builds.list.
  include(ExternalProject)
  set(known "")
  set(win_tests "")
  foreach(line ${build_lines})
    string(REGEX MATCHALL "[^ \t]+" fields "${line}")
    list(GET fields 0 arch)
    list(GET fields 1 folder)
    list(GET fields 2 triple)
    list(APPEND known ${arch})
    if(NOT arch IN_LIST QM_WINDOWS_ARCHS)
      continue()
    endif()
    set(dir ${CMAKE_BINARY_DIR}/${folder})
    string(REGEX REPLACE "-.*" "" cpu ${triple})
    set(prefix ${CMAKE_BINARY_DIR}/deps/${arch}/prefix)
    add_custom_command(OUTPUT ${prefix}/lib/libpng16.a
      COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/build-deps.sh ${CMAKE_BINARY_DIR} ${arch}
      COMMENT "Building libpng for the ${arch} Windows target")
    add_custom_target(qm_deps_${arch} DEPENDS ${prefix}/lib/libpng16.a)
    ExternalProject_Add(quiltmark_${arch}
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${dir}
      CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-${cpu}.cmake
        -DQM_DEPS_PREFIX=${prefix}
        -DQM_ARCH=${arch}
        -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      BUILD_ALWAYS ON
      INSTALL_COMMAND ""
      USES_TERMINAL_BUILD ON
      DEPENDS qm_deps_${arch})
    # The scripts start a build's programs only after its build finished since the
    # last change to the sources (scripts/builds.sh).
    ExternalProject_Add_Step(quiltmark_${arch} stamp
      COMMAND ${CMAKE_COMMAND} -E touch ${dir}/.qm-built
      DEPENDEES build ALWAYS ON)
    # A build's tests join this run unless QM_TEST_BUILDS, set by scripts/test.sh,
    # leaves it out: a plain ctest runs them all, and ctest's own -L, -LE and -R
    # cannot undo the script's choice.
    string(APPEND win_tests
      "if(NOT DEFINED ENV{QM_TEST_BUILDS} OR \" \$ENV{QM_TEST_BUILDS} \" MATCHES \" ${arch} \")\n"
      "  subdirs(\"${dir}\")\n"
      "endif()\n")
  endforeach()
  foreach(arch ${QM_WINDOWS_ARCHS})
    if(NOT arch IN_LIST known)
      message(FATAL_ERROR "QM_WINDOWS_ARCHS: ${arch} is no build of scripts/builds.list (${known})")
    endif()
  endforeach()
  # The Windows tests are registered in the sub-builds; pull them into this run.
  file(WRITE ${CMAKE_BINARY_DIR}/win-tests.cmake "${win_tests}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/win-tests.cmake)
endif()
