// The smallest program with the calculator's kind of window: the same display
// mode and size, a window that is only cleared. Its memory and start-up are
// the baselines that the calculator's are measured against.
//   --textured  also uploads a 640x400 BGRA image and draws it as one textured
//               quad, as the calculator does: what that drawing costs by itself
//   --renderer  prints the GL renderer and version strings and ends
#include <GL/freeglut.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
bool print_renderer = false;
bool textured = false;
GLuint texture = 0;

void draw_textured_quad() {
  static const std::vector<std::uint32_t> image(std::size_t{640} * 400, 0xFFAAAAAAu);
  if (texture == 0) {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 640, 400, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  }
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 640, 400, GL_BGRA, GL_UNSIGNED_BYTE, image.data());
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 1, 0, 1, -1, 1);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(0, 0);
  glTexCoord2f(1, 1);
  glVertex2f(1, 0);
  glTexCoord2f(1, 0);
  glVertex2f(1, 1);
  glTexCoord2f(0, 0);
  glVertex2f(0, 1);
  glEnd();
}

void on_display() {
  glClearColor(0.66f, 0.66f, 0.66f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (textured) draw_textured_quad();
  glutSwapBuffers();
  if (print_renderer) {
    std::printf("%s | %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    std::fflush(stdout);
    glutLeaveMainLoop();
  }
}
}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    print_renderer |= std::strcmp(argv[i], "--renderer") == 0;
    textured |= std::strcmp(argv[i], "--textured") == 0;
  }
  glutInit(&argc, argv);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_MULTISAMPLE);
  glutInitWindowSize(640, 400);
  glutCreateWindow(textured ? "textured baseline" : "baseline");
  glutDisplayFunc(on_display);
  glutMainLoop();
  return 0;
}
