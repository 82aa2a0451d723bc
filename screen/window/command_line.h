// The command line as the window library reads it, mended where the library
// would misplace the window.
#pragma once

#include <optional>
#include <string>

namespace screen::window {

// The window library places a window by an offset from the right or the
// bottom of the screen using the size in the same geometry, and reads a size
// that the geometry leaves out from uninitialised memory. For a geometry with
// such an offset, the same geometry with the window's own size in it;
// nullopt for any other, which the library reads right as it stands.
std::optional<std::string> placed_geometry(const std::string& geometry, int width, int height);

// Applies placed_geometry to the value of each -geometry argument, in place:
// argv is then handed to the window library as before.
void mend_geometry_arguments(int argc, char** argv, int width, int height);

}  // namespace screen::window
