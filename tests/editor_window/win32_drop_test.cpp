// Drops on the editor's Win32 window: the OLE drop target registered for the window is driven
// the way DoDragDrop drives it, with data objects holding file lists, shortcuts and text.
#include <gtest/gtest.h>

#include <ole2.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/drag_container.h"
#include "editor/frame.h"
#include "editor/win32/drop_target.h"
#include "editor/win32/frame_window.h"
#include "tests/editor_window/editor_effect.h"
#include "tests/editor_window/win32_host.h"

namespace {
using namespace win32host;

// A data object of one format, as a drag source offers it.
class DataObject : public IDataObject {
  public:
    DataObject(CLIPFORMAT format, std::vector<char> bytes) : format_(format), bytes_(bytes) {}
    virtual ~DataObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
        if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
        std::memcpy(GlobalLock(global), bytes_.data(), bytes_.size());
        GlobalUnlock(global);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
        return wanted->cfFormat == format_ && (wanted->tymed & TYMED_HGLOBAL) ? S_OK
                                                                              : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

  private:
    CLIPFORMAT format_;
    std::vector<char> bytes_;
    ULONG references_ = 1;
};

std::vector<char> WideBytes(const std::wstring& text, bool terminated) {
    const auto* begin = reinterpret_cast<const char*>(text.c_str());
    std::vector<char> bytes(begin, begin + (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    return bytes;
}

// CF_HDROP: the DROPFILES header, then the names, each zero-terminated, and one more zero.
DataObject FileList(const std::vector<std::wstring>& names) {
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::vector<char> bytes(reinterpret_cast<const char*>(&header),
                            reinterpret_cast<const char*>(&header) + sizeof header);
    for (const std::wstring& name : names) {
        const std::vector<char> wide = WideBytes(name, true);
        bytes.insert(bytes.end(), wide.begin(), wide.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return DataObject(CF_HDROP, bytes);
}

// Records what the frame offers the view under the pointer.
class DropProbe : public CView {
  public:
    DropProbe(const CRect& size, std::vector<std::string>& log) : CView(size), log_(log) {}
    void onDragEnter(CDragContainer& drag, const CPoint& where) override {
        log_.push_back("enter " + Where(where) + " " + std::to_string(drag.count()));
    }
    void onDragMove(CDragContainer&, const CPoint& where) override {
        log_.push_back("move " + Where(where));
    }
    void onDragLeave(CDragContainer&, const CPoint&) override { log_.push_back("leave"); }
    bool onDrop(CDragContainer& drag, const CPoint& where) override {
        std::string line = "drop " + Where(where);
        for (int32_t i = 0; i < drag.count(); ++i) {
            const CDragContainer::Entry* entry = drag.entry(i);
            line += entry->kind == CDragContainer::Kind::kFile ? " file:" : " text:";
            line += entry->utf8;
        }
        log_.push_back(line);
        return true;
    }

  private:
    static std::string Where(const CPoint& p) {
        return std::to_string(static_cast<int>(p.x)) + "," + std::to_string(static_cast<int>(p.y));
    }
    std::vector<std::string>& log_;
};

std::string Utf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring TempFolder() {
    wchar_t path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, path);
    return path;
}

std::wstring LongName(const std::wstring& path) {
    wchar_t name[MAX_PATH] = {};
    if (!GetLongPathNameW(path.c_str(), name, MAX_PATH)) return L"(no such file) " + path;
    return name;
}

// Saved through a stream on the file rather than IPersistFile::Save: Wine's file save also
// starts its menu builder, which would write desktop menu entries for the test's shortcut.
bool MakeShortcut(const std::wstring& link, const std::wstring& target) {
    IShellLinkW* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell)))) {
        return false;
    }
    IPersistStream* persist = nullptr;
    IStream* stream = nullptr;
    bool made =
        SUCCEEDED(shell->SetPath(target.c_str())) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(SHCreateStreamOnFileW(link.c_str(), STGM_CREATE | STGM_WRITE, &stream));
    if (made) made = SUCCEEDED(persist->Save(stream, TRUE));
    if (stream) stream->Release();
    if (persist) persist->Release();
    shell->Release();
    return made;
}

class Win32Drop : public ::testing::Test {
  protected:
    void SetUp() override {
        // The editor's top-left corner is at (200, 150) on the screen; the probe takes the
        // right half, the effect view (which takes no drops) the left. Positions are the
        // frame's.
        parent = CreateParent(200, 150, 200, 100);
        instance.Dispatch(effEditOpen, 0, 0, parent);
        editor = EditorWindow(instance);
        ASSERT_NE(editor, nullptr);
        FrameOf(instance)->addView(new DropProbe({100, 0, 200, 100}, log));
        target = static_cast<IDropTarget*>(GetPropW(editor, L"OleDropTargetInterface"));
        ASSERT_NE(target, nullptr) << "the window is registered as a drop target";
        ASSERT_EQ(target, static_cast<IDropTarget*>(WindowOf(instance)->dropTarget()));
    }
    void TearDown() override {
        instance.Dispatch(effEditClose);
        DestroyWindow(parent);
    }

    // One drag from enter over one move to the drop, as DoDragDrop makes it.
    DWORD DragAndDrop(IDataObject& data, POINTL at, DWORD allowed = DROPEFFECT_COPY) {
        DWORD effect = allowed;
        EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, at, &effect), S_OK);
        effect = allowed;
        EXPECT_EQ(target->DragOver(MK_LBUTTON, {at.x + 1, at.y + 1}, &effect), S_OK);
        effect = allowed;
        EXPECT_EQ(target->Drop(&data, 0, {at.x + 1, at.y + 1}, &effect), S_OK);
        return effect;
    }

    HWND parent = nullptr;
    HWND editor = nullptr;
    EditorInstance instance;
    std::vector<std::string> log;
    IDropTarget* target = nullptr;
};

TEST_F(Win32Drop, AFileListArrivesAsFileEntriesInUtf8AtTheWindowPosition) {
    DataObject files = FileList({L"C:\\music\\kick.wav", L"C:\\music\\caf\u00e9 \u266b.wav"});
    EXPECT_EQ(DragAndDrop(files, {350, 180}), static_cast<DWORD>(DROPEFFECT_COPY));
    const std::vector<std::string> expected = {
        "enter 150,30 2", "move 151,31",
        "drop 151,31 file:C:\\music\\kick.wav file:" + Utf8(L"C:\\music\\caf\u00e9 \u266b.wav")};
    EXPECT_EQ(log, expected);

    // A drag that leaves again drops nothing; one over the effect's view reaches no probe.
    log.clear();
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(&files, MK_LBUTTON, {350, 180}, &effect);
    target->DragLeave();
    effect = DROPEFFECT_COPY;
    target->DragEnter(&files, MK_LBUTTON, {250, 180}, &effect);
    target->Drop(&files, 0, {250, 180}, &effect);
    EXPECT_EQ(log, (std::vector<std::string>{"enter 150,30 2", "leave"}));
    EXPECT_TRUE(instance.effect().mouse.empty());
}

TEST_F(Win32Drop, TextArrivesAsOneTextEntryEvenWithoutATerminatingZero) {
    DataObject text(CF_UNICODETEXT, WideBytes(L"gr\u00fc\u00df", true));
    DragAndDrop(text, {310, 160});
    EXPECT_EQ(log.back(), "drop 111,11 text:" + Utf8(L"gr\u00fc\u00df"));
    // The block ends without a zero: nothing past it is read.
    DataObject unterminated(CF_UNICODETEXT, WideBytes(L"abc", false));
    DragAndDrop(unterminated, {310, 160});
    EXPECT_EQ(log.back(), "drop 111,11 text:abc");
}

TEST_F(Win32Drop, TheEffectReportedIsCopyThenMoveThenLink) {
    DataObject files = FileList({L"C:\\a.wav"});
    const struct {
        DWORD allowed;
        DWORD chosen;
    } cases[] = {
        {DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_COPY},
        {DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE},
        {DROPEFFECT_LINK, DROPEFFECT_LINK},
        {DROPEFFECT_NONE, DROPEFFECT_NONE},
    };
    for (const auto& c : cases) {
        DWORD effect = c.allowed;
        target->DragEnter(&files, MK_LBUTTON, {350, 180}, &effect);
        EXPECT_EQ(effect, c.chosen) << "enter, allowed " << c.allowed;
        effect = c.allowed;
        target->DragOver(MK_LBUTTON, {350, 180}, &effect);
        EXPECT_EQ(effect, c.chosen) << "over, allowed " << c.allowed;
        effect = c.allowed;
        target->Drop(&files, 0, {350, 180}, &effect);
        EXPECT_EQ(effect, c.chosen) << "drop, allowed " << c.allowed;
    }
}

TEST_F(Win32Drop, AShortcutArrivesAsItsTargetAndABrokenOneAsItself) {
    const std::wstring folder = TempFolder();
    const std::wstring sample = folder + L"lotta drop target sample.wav";
    const std::wstring link = folder + L"lotta drop sample.lnk";
    const std::wstring broken = folder + L"lotta missing.LNK";
    HANDLE file = CreateFileW(sample.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ASSERT_TRUE(MakeShortcut(link, sample));
    DeleteFileW(broken.c_str());

    // The target comes back in its short form where the shell link object gives one (Wine 8
    // gives the long form): either way it must name the target file.
    const std::wstring resolved = ResolveDroppedFile(link);
    EXPECT_EQ(LongName(resolved), LongName(sample)) << "resolved to " << Utf8(resolved);
    EXPECT_EQ(ResolveDroppedFile(broken), broken);
    EXPECT_EQ(ResolveDroppedFile(sample), sample);

    DataObject files = FileList({link, broken, sample});
    DragAndDrop(files, {350, 180});
    EXPECT_EQ(log.back(), "drop 151,31 file:" + Utf8(resolved) + " file:" + Utf8(broken) +
                              " file:" + Utf8(sample));
    DeleteFileW(link.c_str());
    DeleteFileW(sample.c_str());
}

TEST_F(Win32Drop, ClosingRevokesTheTargetAndLateCallsChangeNothing) {
    WindowOf(instance)->setDropActive(false);
    EXPECT_EQ(GetPropW(editor, L"OleDropTargetInterface"), nullptr);
    WindowOf(instance)->setDropActive(true);
    target = static_cast<IDropTarget*>(GetPropW(editor, L"OleDropTargetInterface"));
    ASSERT_NE(target, nullptr);
    target->AddRef();
    instance.Dispatch(effEditClose);
    // A drag that was under way when the editor closed ends without reaching the old frame.
    DataObject files = FileList({L"C:\\late.wav"});
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->DragEnter(&files, MK_LBUTTON, {350, 180}, &effect), S_OK);
    EXPECT_EQ(target->Drop(&files, 0, {350, 180}, &effect), S_OK);
    target->Release();
    EXPECT_TRUE(log.empty());
}

}  // namespace
