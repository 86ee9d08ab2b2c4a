// The editor services the runtime calls on its adapter: they make, repaint and measure the
// adapter's editor. Like the host services they take the adapter first, tolerate a null
// adapter and answer 1 for success, 0 for failure.
#pragma once

#include <cstdint>

class COrbel;

// [main] Makes the adapter's editor with the given size in pixels; 0 when it already has one.
int32_t createEditor(COrbel* adapter, int32_t width, int32_t height);
// [main] Repaints the open editor's view; 0 without an open editor.
int32_t redrawEditor(COrbel* adapter);
// [main] The editor's size in pixels; 0 without an editor, outputs untouched.
int32_t getEditorSize(COrbel* adapter, int32_t* width, int32_t* height);
