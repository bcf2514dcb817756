# Sources shared by both builds. The pure layer never includes <windows.h>, so it
# builds into the program and into the host tests alike.
set(QM_PURE_SOURCES
  base/application.cpp
  base/value.cpp
  base/text.cpp
  base/utf.cpp
  base/arith.cpp
  base/memory.cpp
  base/fault_text.cpp
  base/msgbox_rules.cpp
  ui/layout.cpp
  ui/keys.cpp
  ui/edit_rules.cpp
  ui/cursor_file.cpp
  ui/resample.cpp
  ui/picture.cpp
  engine/grid.cpp
  engine/frames.cpp
  engine/follow_up.cpp
  engine/request.cpp
  engine/order.cpp
  engine/program_windows.cpp
  engine/title_pattern.cpp
  engine/refusal.cpp
  app/command_line.cpp
)
set(QM_WIN_SOURCES
  base/heap_win.cpp
  base/new_win.cpp
  base/fault_win.cpp
  base/console_win.cpp
  base/sysfn_win.cpp
  base/services_win.cpp
  base/process_win.cpp
  base/phases_win.cpp
  base/shutdown_win.cpp
  base/messages_win.cpp
  base/wide_win.cpp
  engine/search_win.cpp
  engine/arrange_win.cpp
  engine/helper_win.cpp
  engine/lanes_win.cpp
  engine/window_moves_win.cpp
  engine/screen_win.cpp
  engine/placement_win.cpp
  engine/follow_up_win.cpp
  engine/capture_win.cpp
  engine/window_manager_win.cpp
  engine/watch_win.cpp
  engine/least_size_win.cpp
  engine/rights_win.cpp
  ui/form_win.cpp
  ui/controls_win.cpp
  ui/edit_box_win.cpp
  ui/picture_win.cpp
  ui/main_window_win.cpp
  ui/window_dpi_win.cpp
  ui/keeping_win.cpp
  ui/common_controls_win.cpp
  ui/pretranslate_win.cpp
  ui/handlers_win.cpp
  ui/properties_win.cpp
  app/runtime_win.cpp
  app/command_line_win.cpp
  app/watch_run_win.cpp
)

# Warnings and character sets common to every target of ours: sources are UTF-8, and
# so are the program's texts at run time; the system gets them as UTF-16.
function(qm_compile_options target)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(MSVC)
    target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:/W4;/utf-8>")
  else()
    # The resource compiler takes none of these.
    target_compile_options(${target} PRIVATE
      "$<$<COMPILE_LANGUAGE:C,CXX>:-Wall;-Wextra;-finput-charset=UTF-8;-fexec-charset=UTF-8>")
  endif()
endfunction()

# The capture tool's pictures and cursor, compiled in as constant byte arrays
# (assets/embedded.h) from the committed files.
set(QM_EMBEDDED_ASSETS
  kIdlePicture ${PROJECT_SOURCE_DIR}/assets/idle.png
  kDragPicture ${PROJECT_SOURCE_DIR}/assets/drag.png
  kCaptureCursor ${PROJECT_SOURCE_DIR}/assets/capture.cur)

function(qm_embed_assets target)
  set(output ${CMAKE_BINARY_DIR}/generated/embedded_assets_${target}.cpp)
  set(files ${QM_EMBEDDED_ASSETS})
  list(FILTER files INCLUDE REGEX "/")  # the paths of the name-path pairs
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DHEADER=assets/embedded.h
      -P ${PROJECT_SOURCE_DIR}/cmake/embed.cmake -- ${QM_EMBEDDED_ASSETS}
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/embed.cmake
    COMMENT "Embedding the capture tool's pictures and cursor" VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
