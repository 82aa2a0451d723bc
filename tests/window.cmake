# Tests in a real window. Each starts an Xvfb of its own, runs the program (or
# the key probe) in it, types with xdotool and reads the screen back with xwd,
# so they run side by side under ctest -j. Label: window.
if(NOT TARGET screen_window)
  return()
endif()
find_package(X11)
drovlan_require(X11_FOUND "Xlib" libx11-dev)
if(NOT X11_Xtst_FOUND)
  drovlan_without("XTest" libxtst-dev "the window tests are not built" test)
  return()
endif()

set(window_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/window)

# The core's rendering of the screen after given keys, to compare screenshots with.
add_executable(window_reference window/reference.cpp)
target_link_libraries(window_reference PRIVATE calculator screen_core)
# The window front end with a probe in place of the calculator.
add_executable(window_key_probe window/key_probe.cpp)
target_link_libraries(window_key_probe PRIVATE screen_core screen_window)
# The few X requests that xdotool does not make.
add_executable(window_xtool window/xtool.cpp)
target_include_directories(window_xtool PRIVATE ${X11_INCLUDE_DIR} ${X11_Xtst_INCLUDE_PATH})
target_link_libraries(window_xtool PRIVATE ${X11_LIBRARIES} ${X11_Xtst_LIB})

# add_window_test(NAME SCRIPT [ARGS...] [LABELS label...] [ENVIRONMENT var=value...])
# Two processors each: a server, the program and its renderer share them, and
# the tests that time an ending want the machine not overbooked.
function(add_window_test name script)
  cmake_parse_arguments(PARSE_ARGV 2 opt "" "" "ARGS;LABELS;ENVIRONMENT")
  add_test(NAME ${name} COMMAND bash ${window_test_dir}/${script} ${opt_ARGS})
  set_tests_properties(
    ${name}
    PROPERTIES LABELS "window;${opt_LABELS}"
               TIMEOUT 300
               PROCESSORS 2
               ENVIRONMENT
               "DROVLAN=$<TARGET_FILE:drovlan>;REFERENCE=$<TARGET_FILE:window_reference>;KEY_PROBE=$<TARGET_FILE:window_key_probe>;XTOOL=$<TARGET_FILE:window_xtool>;ARTIFACTS=${CMAKE_CURRENT_BINARY_DIR}/window-artifacts/${name};${opt_ENVIRONMENT}"
  )
endfunction()

add_window_test(window_title title.sh)
add_window_test(window_geometry geometry.sh)
add_window_test(window_keys keys.sh)
add_window_test(window_scenario scenario.sh)
foreach(way close alt-f4 ctrl-break sigint sigterm sighup keys)
  add_window_test(window_exit_${way} exits.sh ARGS ${way})
endforeach()
# A close request at the menu, start after start; then the other ways there.
add_window_test(window_exit_close_repeated exits.sh ARGS repeat 100 close)
add_window_test(window_exit_menu_repeated exits.sh ARGS repeat 90 q alt-f4 h)
# A minute each on an idle machine: room for a loaded one, and ASan.
set_tests_properties(window_exit_close_repeated window_exit_menu_repeated PROPERTIES TIMEOUT 900)
add_window_test(window_pause pause.sh)
add_window_test(window_dialog dialog.sh)
add_window_test(window_dialog_openbox dialog.sh ARGS openbox)
add_window_test(window_no_display no_display.sh)
add_window_test(window_dialog_chain exits.sh ARGS yes-chain)
add_window_test(window_flood flood.sh)
# Also run by the ThreadSanitizer build (label window-tsan). llvmpipe, the
# software renderer under Xvfb, would hand the drawing to worker threads that
# synchronise in ways ThreadSanitizer cannot see, and every report would come
# from inside it; drawn on the calling thread, every thread left is ours or the
# window library's.
add_window_test(window_smoke smoke.sh LABELS window-tsan ENVIRONMENT LP_NUM_THREADS=0)
add_window_test(window_frame frame.sh)
add_window_test(window_lost_display lost_display.sh)
