// The window class every frame of this module uses: registered by the first frame that
// makes a window and unregistered by the last one, so several editors of one loaded library
// share it and an unloaded library leaves no class behind.
#pragma once

#include <windows.h>

// [main] The window procedure of the class (frame_window.cpp).
LRESULT CALLBACK FrameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the class when no frame uses it yet (reading the swapped-buttons setting then)
// and counts one more user; false, and nothing counted, when it cannot be registered.
bool AcquireFrameWindowClass();
// Counts one user less; the last one unregisters the class.
void ReleaseFrameWindowClass();
// The number of frames using the class.
int FrameWindowClassUsers();
// Whether the system swaps the left and right mouse buttons, as read at registration.
bool FrameMouseButtonsSwapped();
