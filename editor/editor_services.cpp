#include "editor/editor_services.h"

#include <new>

#include "editor/orbel_editor.h"
#include "plugin/orbel.h"

namespace {

// Only the editor services make editors, so any editor of an adapter is an adapter editor;
// the cast still checks, since a test or a future host service could set another kind.
COrbelEditor* EditorOf(COrbel* adapter) {
    return adapter ? dynamic_cast<COrbelEditor*>(adapter->getEditor()) : nullptr;
}

}  // namespace

int32_t createEditor(COrbel* adapter, int32_t width, int32_t height) {
    if (!adapter || adapter->getEditor()) return 0;
    // The editor registers itself with the adapter, which owns it from then on.
    return new (std::nothrow) COrbelEditor(adapter, width, height) ? 1 : 0;
}

// The editor keeps no view once it is closed, so this touches nothing while closed.
int32_t redrawEditor(COrbel* adapter) {
    COrbelEditor* editor = EditorOf(adapter);
    return editor && editor->redraw() ? 1 : 0;
}

int32_t getEditorSize(COrbel* adapter, int32_t* width, int32_t* height) {
    COrbelEditor* editor = EditorOf(adapter);
    if (!editor) return 0;
    if (width) *width = editor->width();
    if (height) *height = editor->height();
    return 1;
}
