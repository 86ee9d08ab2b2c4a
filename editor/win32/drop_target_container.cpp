#include "editor/win32/drop_target_container.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

namespace {
// Shortcut targets are read into a buffer of this many characters.
constexpr UINT kMaxPathChars = 2048;
// Resolving may search for a moved target; the upper word of the flags is its time limit.
constexpr DWORD kResolveFlags =
    static_cast<DWORD>(SLR_NO_UI) | static_cast<DWORD>(SLR_ANY_MATCH) | (500u << 16);

bool IsShortcut(const std::wstring& path) {
    if (path.size() < 4) return false;
    return _wcsicmp(path.c_str() + path.size() - 4, L".lnk") == 0;
}

// Releases a COM interface at the end of a scope.
template <typename Interface>
struct ComRef {
    Interface* p = nullptr;
    ~ComRef() {
        if (p) p->Release();
    }
};

// The medium of one format of the data object, released at the end of a scope.
struct Medium {
    STGMEDIUM medium{};
    bool held = false;
    Medium(IDataObject* data, CLIPFORMAT format) {
        FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        held = data->GetData(&wanted, &medium) == S_OK;
        if (held && (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal)) {
            ReleaseStgMedium(&medium);
            held = false;
        }
    }
    ~Medium() {
        if (held) ReleaseStgMedium(&medium);
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
};

// The text of a global memory block, never reading past its end even without a
// terminating zero.
std::string GlobalText(HGLOBAL global) {
    const auto* text = static_cast<const wchar_t*>(GlobalLock(global));
    if (!text) return {};
    const size_t limit = GlobalSize(global) / sizeof(wchar_t);
    size_t length = 0;
    while (length < limit && text[length]) ++length;
    std::string utf8;
    try {
        utf8 = WideToUtf8(text, length);
    } catch (...) {
        GlobalUnlock(global);
        throw;
    }
    GlobalUnlock(global);
    return utf8;
}
}  // namespace

std::string WideToUtf8(const wchar_t* text, size_t length) {
    if (!text || length == 0 || length > INT32_MAX) return {};
    const int wide = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::wstring ResolveDroppedFile(const std::wstring& path) {
    if (!IsShortcut(path)) return path;
    ComRef<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p)))) {
        return path;
    }
    ComRef<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) {
        return path;
    }
    if (FAILED(file.p->Load(path.c_str(), STGM_READ))) return path;
    if (FAILED(link.p->Resolve(nullptr, kResolveFlags))) return path;
    std::wstring target(kMaxPathChars, L'\0');
    // S_FALSE: the shortcut names no file (a shell item without a path).
    if (link.p->GetPath(target.data(), static_cast<int>(kMaxPathChars), nullptr, SLGP_SHORTPATH) !=
        S_OK) {
        return path;
    }
    target.resize(wcsnlen(target.c_str(), kMaxPathChars));
    return target.empty() ? path : target;
}

std::vector<CDragContainer::Entry> ReadDropEntries(IDataObject* data) {
    std::vector<CDragContainer::Entry> entries;
    if (!data) return entries;
    {
        Medium text(data, CF_UNICODETEXT);
        if (text.held) {
            entries.push_back({CDragContainer::Kind::kText, GlobalText(text.medium.hGlobal)});
            return entries;
        }
    }
    Medium files(data, CF_HDROP);
    if (!files.held) return entries;
    auto* drop = static_cast<HDROP>(files.medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::wstring name;
    for (UINT i = 0; i < count; ++i) {
        // Read at its full length: a name cut short would name some other file.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        name.assign(length + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(copied);
        const std::wstring resolved = ResolveDroppedFile(name);
        entries.push_back(
            {CDragContainer::Kind::kFile, WideToUtf8(resolved.c_str(), resolved.size())});
    }
    return entries;
}

WinDragContainer::WinDragContainer(IDataObject* data) : CDragContainer(ReadDropEntries(data)) {}
