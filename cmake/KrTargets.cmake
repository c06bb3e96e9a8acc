# Helpers shared by every subsystem's CMakeLists.txt.

# kr_add_library(<name> SOURCES ... LIBS ...)
# One static library per subsystem folder; includes are relative to src/.
function(kr_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# kr_add_test(<name> SOURCES ... LIBS ... [LABEL unit|widget|x11|dbus|desktop])
# One executable per test file. The label chooses the launcher:
#   unit, widget: Qt offscreen platform (set by the test main)
#   x11:          a private X server (xvfb-run -a) with the xcb platform
#   dbus:         a private session bus (dbus-run-session)
#   desktop:      a virtual desktop at 1366x768 with a window manager, a tray
#                 host and a session bus (scripts/desktop-session), xcb platform
function(kr_add_test name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kr_testsupport ${ARG_LIBS})
  set(cmd $<TARGET_FILE:${name}>)
  if(ARG_LABEL STREQUAL "x11")
    set(cmd xvfb-run -a -s "-screen 0 1280x1024x24" env KR_TEST_PLATFORM=xcb ${cmd})
  elseif(ARG_LABEL STREQUAL "desktop")
    set(cmd ${PROJECT_SOURCE_DIR}/scripts/desktop-session env KR_TEST_PLATFORM=xcb ${cmd})
  elseif(ARG_LABEL STREQUAL "dbus")
    set(cmd dbus-run-session -- ${cmd})
  endif()
  add_test(NAME ${name} COMMAND ${cmd})
  set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT 300)
endfunction()
