// A read-only COM stream over bytes that outlive it (a locked module resource), so that
// GDI+ can decode an image held in the module.
#pragma once

#include <cstddef>

#include "editor/win32/gdiplus_api.h"

class ResourceStream : public IStream {
  public:
    // Made with one reference; Release() deletes it at zero. GDI+ may keep its own
    // reference for as long as a decoded bitmap reads lazily.
    static ResourceStream* Create(const void* bytes, size_t size);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // ISequentialStream: reads what remains up to count; S_FALSE when that is less than
    // count. Writing is not offered.
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;
    // IStream: seeks from the start or the current position to a place inside the data
    // (0 .. size); any other target, and any seek from the end, answers S_FALSE and stays.
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* position) override;
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override;
    HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Revert() override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                         DWORD type) override;
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                           DWORD type) override;
    // Reports the size only; every other field is zero.
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Clone(IStream** copy) override;

  private:
    ResourceStream(const void* bytes, size_t size);
    virtual ~ResourceStream() = default;

    const unsigned char* bytes_;
    size_t size_;
    size_t position_ = 0;
    LONG references_ = 1;
};
