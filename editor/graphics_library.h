// The process-wide platform graphics library instance (GDIPlusGlobals on Windows), shared by
// bitmaps and editor frames. The first user starts the library, the last one ends it, and a
// later user starts it again.
#pragma once

#include <cstdint>

class GraphicsLibrary {
  public:
    // [main] Not synchronised: bitmaps and frames live on the host's UI thread.
    // False when the library could not start; the user then holds no reference.
    static bool Acquire();
    static void Release();

    static bool Running();
    static int32_t Users();
    // How often the library has been started in this process.
    static int32_t Starts();
};
