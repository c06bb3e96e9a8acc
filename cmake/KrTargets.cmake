# Helpers shared by every subsystem's CMakeLists.txt.

# kr_add_library(<name> SOURCES ... LIBS ...)
# One static library per subsystem folder; includes are relative to src/.
function(kr_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  if(KR_UNITY_BUILD)
    kr_unity_build(${name} ${ARG_SOURCES})
  endif()
  # Under the sanitizers, unoptimised library code runs several times slower
  # than at -O1, which keeps the reports' lines and frames: the settings
  # writes, calendar reads and rich-text work the tests wait on then finish
  # within the program's own time limits. The tests' own code, the costlier
  # to compile, stays at -O0.
  if(KR_SANITIZE)
    target_compile_options(${name} PRIVATE $<$<CONFIG:Debug>:-O1>)
  endif()
endfunction()

# kr_unity_build(<target> <sources>...)
# Compiles the target's sources in batches of up to eight, each batch one
# compiler run that reads the Qt headers once. cmake/unity_groups.py puts
# together only sources that cannot clash: no name one of them declares at
# file scope (a helper, a constant, a class or an alias of its own) appears in
# another of its batch, and a source that defines a macro stays alone.
# `make build` configures again each time, so that the batches follow the
# sources' edits.
function(kr_unity_build target)
  set(sources)
  foreach(source ${ARGN})
    get_filename_component(path ${source} ABSOLUTE)
    if(source MATCHES "\\.cpp$" AND EXISTS ${path})
      list(APPEND sources ${path})
    endif()
  endforeach()
  if(NOT sources)
    return()
  endif()
  execute_process(COMMAND ${KR_PYTHON} ${PROJECT_SOURCE_DIR}/cmake/unity_groups.py 8 ${sources}
                  OUTPUT_VARIABLE batches RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cmake/unity_groups.py could not sort the sources of ${target}")
  endif()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
  # In a batch, g++ sees each source after the first as an included file, and
  # warns of a class there whose member has a type from an unnamed namespace,
  # as it would of such a class in a header.
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  while(batches)
    list(POP_FRONT batches source batch)
    if(batch STREQUAL "0")
      set_source_files_properties(${source} TARGET_DIRECTORY ${target}
                                  PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    else()
      set_source_files_properties(${source} TARGET_DIRECTORY ${target}
                                  PROPERTIES UNITY_GROUP ${target}_${batch})
    endif()
  endwhile()
endfunction()

# What every test gets from its launcher. The desktop programs it might start
# (the opener, a file manager, a browser) are the stand-ins of
# tests/support/fake-bin, first in PATH, which only write down how they were
# called. Under the sanitizers the tests run without OpenGL on X11: the web
# engine, linked into the program, makes a shared GL context at start-up, and
# the GL driver keeps a few bytes of it that LeakSanitizer cannot see past.
# Leaks inside other libraries we only call are listed in tests/lsan.supp.
function(kr_test_environment test)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT_MODIFICATION
               "PATH=path_list_prepend:${PROJECT_SOURCE_DIR}/tests/support/fake-bin")
  if(KR_SANITIZE)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT QT_XCB_GL_INTEGRATION=none
                 "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")
  endif()
endfunction()

# kr_test_compile_settings(<target>)
# What a test's own code is compiled with, beyond the build's flags: in the
# optimised build -O1, which is a fifth faster to compile than -O2 and still
# optimised (the product's code, in the libraries, keeps -O2); an invalid
# precompiled header is an error rather than a silent slowdown.
function(kr_test_compile_settings target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-O1> -Winvalid-pch)
endfunction()

# kr_add_test(<name> SOURCES ... LIBS ... [LABEL unit|widget|x11|dbus|desktop|web])
# One executable per test file. The label chooses the launcher:
#   unit, widget: Qt offscreen platform (set by the test main)
#   x11:          a private X server (xvfb-run -a) with the xcb platform
#   dbus:         a private session bus (dbus-run-session) that starts no
#                 service installed on the machine (scripts/session-bus.conf)
#   desktop:      a virtual desktop at 1366x768 with a window manager, a tray
#                 host and such a session bus (scripts/desktop-session), xcb
#                 platform
#   web:          a private X server with the xcb platform and Qt WebEngine
#                 without sandbox and GPU
# Only "dbus" and "desktop" tests keep the session bus they are given (marked
# by KR_PRIVATE_SESSION_BUS); the test main gives the others none.
function(kr_add_test name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kr_testsupport ${ARG_LIBS})
  # Only a test with a QObject class of its own runs moc.
  set(moc OFF)
  foreach(source ${ARG_SOURCES})
    get_filename_component(path ${source} ABSOLUTE)
    if(EXISTS ${path})
      file(STRINGS ${path} found REGEX "Q_OBJECT|Q_GADGET|Q_NAMESPACE" LIMIT_COUNT 1)
      if(found)
        set(moc ON)
      endif()
    endif()
  endforeach()
  set_target_properties(${name} PROPERTIES AUTOMOC ${moc})
  kr_test_compile_settings(${name})
  # The Qt, GoogleTest and standard headers most tests read, read once.
  target_precompile_headers(${name} REUSE_FROM kr_test_precompiled)
  set(cmd $<TARGET_FILE:${name}>)
  if(ARG_LABEL STREQUAL "x11")
    set(cmd xvfb-run -a -s "-screen 0 1280x1024x24" env KR_TEST_PLATFORM=xcb ${cmd})
  elseif(ARG_LABEL STREQUAL "web")
    set(cmd xvfb-run -a -s "-screen 0 1280x1024x24" env KR_TEST_PLATFORM=xcb
        "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu" ${cmd})
  elseif(ARG_LABEL STREQUAL "desktop")
    set(cmd ${PROJECT_SOURCE_DIR}/scripts/desktop-session env KR_TEST_PLATFORM=xcb ${cmd})
  elseif(ARG_LABEL STREQUAL "dbus")
    set(cmd dbus-run-session --config-file=${PROJECT_SOURCE_DIR}/scripts/session-bus.conf --
        env KR_PRIVATE_SESSION_BUS=1 ${cmd})
  endif()
  add_test(NAME ${name} COMMAND ${cmd})
  set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL} TIMEOUT 300)
  kr_test_environment(${name})
endfunction()
