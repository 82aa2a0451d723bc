# Bench-only programs for the window figures of `make bench`: the X probe that
# types keys and reads pixels back, and the baseline freeglut program.
find_package(X11 QUIET)
if(NOT X11_FOUND OR NOT X11_Xtst_FOUND OR NOT X11_XShm_FOUND)
  drovlan_without("XTest or MIT-SHM" "libxtst-dev, libxext-dev" "the window probes of make bench are not built" test)
  return()
endif()

add_executable(xprobe ${CMAKE_CURRENT_LIST_DIR}/xprobe.cpp)
target_include_directories(xprobe PRIVATE ${X11_INCLUDE_DIR} ${X11_Xtst_INCLUDE_PATH}
                                          ${X11_XShm_INCLUDE_PATH})
target_link_libraries(xprobe PRIVATE ${X11_LIBRARIES} ${X11_Xtst_LIB} ${X11_Xext_LIB})
set_target_properties(xprobe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)

set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL QUIET)
find_package(GLUT QUIET)
if(OpenGL_FOUND AND GLUT_FOUND)
  add_executable(min_glut ${CMAKE_CURRENT_LIST_DIR}/min_glut.cpp)
  target_link_libraries(min_glut PRIVATE GLUT::GLUT OpenGL::GL)
  set_target_properties(min_glut PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
endif()

# The CPU time of one redraw, through the window front end's own painter.
find_package(GLEW QUIET)
if(TARGET screen_window AND GLEW_FOUND AND GLUT_FOUND)
  add_executable(frame_cost ${CMAKE_CURRENT_LIST_DIR}/frame_cost.cpp)
  target_link_libraries(frame_cost PRIVATE screen_window GLUT::GLUT GLEW::GLEW OpenGL::GL)
  set_target_properties(frame_cost PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
endif()
