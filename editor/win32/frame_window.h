// The frame's window on Windows: a child of the host's window of the per-module class
// "Plugin<module handle>", painted from the frame's pixels inside WM_PAINT, with the mouse,
// wheel, leave and drop events of the host's message loop turned into frame events.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "editor/platform_window.h"

class CDropTarget;

// The window class this module's frames share: "Plugin" and the module handle as the
// runtime's "%p" prints it (upper-case hex, two digits per byte), so each loaded copy of the
// library has its own class.
std::wstring FrameWindowClassName();

// The MouseButtons bits for a mouse message's key-state parameter, alt from the menu key.
int32_t ButtonsFromKeyState(WPARAM keyState);

class Win32FrameWindow : public PlatformWindow {
  public:
    // Null when the class cannot be registered or the window cannot be made.
    static std::unique_ptr<Win32FrameWindow> Create(CFrame& frame, HWND parent, int32_t width,
                                                    int32_t height);
    ~Win32FrameWindow() override;
    Win32FrameWindow(const Win32FrameWindow&) = delete;
    Win32FrameWindow& operator=(const Win32FrameWindow&) = delete;

    void* handle() const override { return hwnd_; }
    void invalidate(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void capturePointer() override;
    void releasePointer() override;
    void trackPointerLeave() override;
    bool queryPointer(CPoint& where, int32_t& buttons) override;
    void setCursor(int32_t kind) override;
    void processEvents() override {}
    void paintPending() override;
    void present(const PixelBuffer& pixels, int32_t x, int32_t y, int32_t width,
                 int32_t height) override;
    void resize(int32_t width, int32_t height) override;
    void setDropActive(bool active) override;

    HWND hwnd() const { return hwnd_; }
    // The registered drop target while drop is active, else null.
    CDropTarget* dropTarget() const { return dropTarget_; }
    // True when the window asked for the composited style (Windows 6 and later).
    bool composited() const { return composited_; }

    // [main] The window procedure's work for one message of this window.
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    explicit Win32FrameWindow(CFrame& frame);
    bool createWindow(HWND parent, int32_t width, int32_t height);
    LRESULT paint();
    LRESULT mouseButton(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT wheel(WPARAM wParam, LPARAM lParam);

    CFrame& frame_;
    HWND hwnd_ = nullptr;
    bool registeredClass_ = false;
    bool oleInitialised_ = false;
    bool composited_ = false;
    // Set by WM_DESTROY: the window is gone and must not be destroyed again.
    bool destroyed_ = false;
    // The paint DC while WM_PAINT is being handled; present draws there.
    HDC paintDC_ = nullptr;
    CDropTarget* dropTarget_ = nullptr;
    bool cursorRemembered_ = false;
    HCURSOR rememberedCursor_ = nullptr;
};
