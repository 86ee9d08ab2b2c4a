// What a drag over a frame's window carries, read from the OLE data object: one text entry
// for Unicode text, else one file entry per dropped file with shortcuts resolved to their
// targets. Everything in UTF-8.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "editor/drag_container.h"

class WinDragContainer : public CDragContainer {
  public:
    // Reads the data at once (a null data object gives no entries). Throws std::bad_alloc.
    explicit WinDragContainer(IDataObject* data);
};

// The entries of a data object, in the order the container holds them.
std::vector<CDragContainer::Entry> ReadDropEntries(IDataObject* data);
// The target of a ".lnk" shortcut in its short form; the shortcut's own name when it cannot
// be resolved. Other names come back unchanged. Needs COM on the calling thread.
std::wstring ResolveDroppedFile(const std::wstring& path);
std::string WideToUtf8(const wchar_t* text, size_t length);
