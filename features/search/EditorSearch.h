#pragma once

#include "search/SearchState.h"

class TSynMemo;

// The word the caret stands in, or that begins or ends at the caret (empty when there is
// none). Afterwards nothing is selected and the caret is where it was.
QString takeWordAtCaret(TSynMemo& editor);

// Looks for `searchText` in the editor with the given options and returns how many matches it
// found (a plain search or a single replacement: 0 or 1; replace all: how many it replaced).
// The range is the selection with SelectedOnly (when there is one), else the whole text with
// EntireScope, else from the caret to the end (or from the start to the caret, Backwards).
// A plain search selects the match, the caret at its end (at its start, Backwards). A
// replacement leaves nothing selected and the caret after the inserted text (before it,
// Backwards, so that the next search backwards goes on before it). Replace all replaces each
// match present before the call exactly once, as one undo step; a result the editor cannot
// hold is refused with a CommandError and changes nothing. Nothing found changes nothing.
int searchAndReplace(TSynMemo& editor, const QString& searchText, const QString& replaceText,
                     SearchOptions options);

// Refuses, with a CommandError, a replacement that would make the text longer than the editor
// holds.
void checkReplacedLength(qsizetype newLength);

// searchAndReplace() with the search text taken as a regular expression (RegularExpression set):
// the replacement may name the match's groups (expandReplacement()). Replace all also replaces
// empty matches; a plain search and a single replacement pass them by. A malformed expression,
// or one that backtracks without end, is refused with a CommandError naming the fault, and the
// document is left as it was.
int regexSearchAndReplace(TSynMemo& editor, const QString& searchText, const QString& replaceText,
                          SearchOptions options);
