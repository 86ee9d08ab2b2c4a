// The host's side of the Windows window tests: top-level parent windows of its own class at
// known screen positions, pixels read back from the screen, a message loop with the editor's
// idle, and real pointer input through SendInput.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>

class EditorInstance;
class COrbelEditor;
class CFrame;
class Win32FrameWindow;

namespace win32host {

// A visible, white, borderless top-level window with its client area at (x, y) on the screen.
HWND CreateParent(int x, int y, int width, int height);
// The 0xRRGGBB colour of a pixel at client coordinates of window (0xDEADBEEF when it cannot
// be read).
uint32_t Pixel(HWND window, int x, int y);
// Dispatches every waiting message and runs effEditIdle on each instance until done() holds;
// false after the time limit.
bool PumpUntil(std::initializer_list<EditorInstance*> instances, const std::function<bool()>& done);
// Dispatches messages and idles a while, for events that should change nothing.
void Pump(std::initializer_list<EditorInstance*> instances);

// A mouse message's position parameter: client coordinates as signed 16-bit words.
LPARAM Client(int x, int y);

// Real input, as a user makes it: the system routes it to the window under the pointer, or
// to the window that captured the mouse.
void MoveTo(int screenX, int screenY);
void Button(DWORD flag);

COrbelEditor* EditorOf(EditorInstance& instance);
CFrame* FrameOf(EditorInstance& instance);
Win32FrameWindow* WindowOf(EditorInstance& instance);
HWND EditorWindow(EditorInstance& instance);

}  // namespace win32host
