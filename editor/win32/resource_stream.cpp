#include "editor/win32/resource_stream.h"

#include <cstring>
#include <new>

ResourceStream* ResourceStream::Create(const void* bytes, size_t size) {
    return new (std::nothrow) ResourceStream(bytes, size);
}

ResourceStream::ResourceStream(const void* bytes, size_t size)
    : bytes_(static_cast<const unsigned char*>(bytes)), size_(bytes ? size : 0) {}

HRESULT ResourceStream::QueryInterface(REFIID id, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_ISequentialStream) ||
        IsEqualIID(id, IID_IStream)) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ResourceStream::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG ResourceStream::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// A read that asks for more than remains still gets the rest: decoders commonly read in
// blocks and would otherwise lose the tail of the image.
HRESULT ResourceStream::Read(void* buffer, ULONG count, ULONG* read) {
    const size_t remaining = size_ - position_;
    const size_t copied = count <= remaining ? count : remaining;
    if (copied > 0) {
        if (!buffer) return STG_E_INVALIDPOINTER;
        std::memcpy(buffer, bytes_ + position_, copied);
        position_ += copied;
    }
    if (read) *read = static_cast<ULONG>(copied);
    return copied == count ? S_OK : S_FALSE;
}

HRESULT ResourceStream::Write(const void*, ULONG, ULONG*) {
    return E_NOTIMPL;
}

HRESULT ResourceStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
    HRESULT result = S_FALSE;
    if (origin == STREAM_SEEK_SET || origin == STREAM_SEEK_CUR) {
        const LONGLONG base = origin == STREAM_SEEK_SET ? 0 : static_cast<LONGLONG>(position_);
        const LONGLONG target = base + move.QuadPart;
        if (target >= 0 && static_cast<ULONGLONG>(target) <= size_) {
            position_ = static_cast<size_t>(target);
            result = S_OK;
        }
    }
    if (position) position->QuadPart = position_;
    return result;
}

HRESULT ResourceStream::SetSize(ULARGE_INTEGER) {
    return E_NOTIMPL;
}

HRESULT ResourceStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) {
    return E_NOTIMPL;
}

HRESULT ResourceStream::Commit(DWORD) {
    return E_NOTIMPL;
}

HRESULT ResourceStream::Revert() {
    return E_NOTIMPL;
}

HRESULT ResourceStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return E_NOTIMPL;
}

HRESULT ResourceStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return E_NOTIMPL;
}

HRESULT ResourceStream::Stat(STATSTG* stat, DWORD) {
    if (!stat) return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof *stat);
    stat->cbSize.QuadPart = size_;
    return S_OK;
}

HRESULT ResourceStream::Clone(IStream**) {
    return E_NOTIMPL;
}
