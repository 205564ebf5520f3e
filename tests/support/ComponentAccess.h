#pragma once

#include "editor/TSynMemo.h"

// The editor component under a TSynMemo, for the tests and benchmarks that check the component
// itself: its raw messages, styles and layout. The program reaches it only through TSynMemo.
struct ComponentAccess {
    static QsciScintillaBase& of(TSynMemo& editor) { return editor; }
};

inline QsciScintillaBase& component(TSynMemo& editor)
{
    return ComponentAccess::of(editor);
}

inline QsciScintillaBase* component(TSynMemo* editor)
{
    return &ComponentAccess::of(*editor);
}
