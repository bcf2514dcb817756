# Sources shared by both builds. The pure layer never includes <windows.h>, so it
# builds into the program and into the host tests alike.
set(QM_PURE_SOURCES
  app/application.cpp
  app/value.cpp
  app/text.cpp
  app/arith.cpp
  app/memory.cpp
  app/fault_text.cpp
  app/msgbox_rules.cpp
  engine/grid.cpp
)
set(QM_WIN_SOURCES
  app/heap_win.cpp
  app/fault_win.cpp
  app/sysfn_win.cpp
  app/services_win.cpp
  app/runtime_win.cpp
)

# Warnings and character sets common to every target of ours.
function(qm_compile_options target)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /source-charset:utf-8 /execution-charset:.936)
  else()
    # Program texts are GBK at run time; sources are UTF-8.
    target_compile_options(${target} PRIVATE -Wall -Wextra
      -finput-charset=UTF-8 -fexec-charset=GBK)
  endif()
endfunction()
