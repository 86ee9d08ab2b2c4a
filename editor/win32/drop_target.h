// The OLE drop target of a frame's window: wraps what is dragged in a WinDragContainer and
// hands it, with the pointer position in the window, to the frame's drag and drop handling.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <memory>

#include "editor/view.h"
#include "editor/win32/drop_target_container.h"

class CFrame;

// [main] OLE calls it on the thread that registered it.
class CDropTarget final : public IDropTarget {
  public:
    // One reference for the caller.
    CDropTarget(CFrame& frame, HWND window);
    CDropTarget(const CDropTarget&) = delete;
    CDropTarget& operator=(const CDropTarget&) = delete;

    // Cuts the link to the frame: OLE may keep the target a while after it is revoked, and
    // calls then change nothing.
    void detach() { frame_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point,
                                   DWORD* effect) override;

  private:
    ~CDropTarget();
    CPoint windowPoint(POINTL point) const;

    LONG references_ = 1;
    CFrame* frame_;
    HWND window_;
    // What is being dragged, from drag enter to drop or drag leave.
    std::unique_ptr<WinDragContainer> container_;
    CPoint lastPoint_;
};

// The effect reported to the source: copy when allowed, else move, else link, else none.
DWORD ChooseDropEffect(DWORD allowed);
