#include "editor/win32/drop_target.h"

#include <new>

#include "editor/frame.h"

DWORD ChooseDropEffect(DWORD allowed) {
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
    if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
    return DROPEFFECT_NONE;
}

CDropTarget::CDropTarget(CFrame& frame, HWND window) : frame_(&frame), window_(window) {}

CDropTarget::~CDropTarget() = default;

HRESULT STDMETHODCALLTYPE CDropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE CDropTarget::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// The point OLE reports is the pointer's screen position.
CPoint CDropTarget::windowPoint(POINTL point) const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return {static_cast<double>(point.x - rect.left), static_cast<double>(point.y - rect.top)};
}

HRESULT STDMETHODCALLTYPE CDropTarget::DragEnter(IDataObject* data, DWORD /*keyState*/,
                                                 POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    try {
        container_.reset(new WinDragContainer(data));
        lastPoint_ = windowPoint(point);
        if (frame_) frame_->onDragEnter(*container_, lastPoint_);
    } catch (...) {
        container_.reset();
        *effect = DROPEFFECT_NONE;
        return E_OUTOFMEMORY;
    }
    *effect = ChooseDropEffect(*effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTarget::DragOver(DWORD /*keyState*/, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    lastPoint_ = windowPoint(point);
    try {
        if (frame_ && container_) frame_->onDragMove(*container_, lastPoint_);
    } catch (...) {
        return E_UNEXPECTED;
    }
    *effect = container_ ? ChooseDropEffect(*effect) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTarget::DragLeave() {
    try {
        if (frame_ && container_) frame_->onDragLeave(*container_, lastPoint_);
    } catch (...) {
    }
    container_.reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTarget::Drop(IDataObject* data, DWORD /*keyState*/, POINTL point,
                                            DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    HRESULT result = S_OK;
    try {
        // A drop without a drag enter first (some sources skip it) reads the data now.
        if (!container_) container_.reset(new WinDragContainer(data));
        if (frame_) frame_->onDrop(*container_, windowPoint(point));
        *effect = ChooseDropEffect(*effect);
    } catch (...) {
        *effect = DROPEFFECT_NONE;
        result = E_OUTOFMEMORY;
    }
    container_.reset();
    return result;
}
