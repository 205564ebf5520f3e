#include "search/EditorSearch.h"

#include "common/CommandError.h"
#include "editor/TSynMemo.h"
#include "search/RegexSearch.h"

#include <vector>

namespace {

// A replacement to make: the bytes [start, end) of the text give way to `bytes`.
struct RegexEdit {
    qsizetype start;
    qsizetype end;
    QByteArray bytes;
};

QByteArray regexEditorBytes(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace("\r\n", "\n").replace('\r', '\n');
    return bytes;
}

} // namespace

int regexSearchAndReplace(TSynMemo& editor, const QString& searchText, const QString& replaceText,
                          SearchOptions options)
{
    if (searchText.isEmpty())
        return 0;
    const RegexPattern pattern(searchText, options.testFlag(SearchOption::MatchCase),
                               options.testFlag(SearchOption::WholeWord));
    if (!pattern.isValid())
        throw CommandError(pattern.errorMessage());

    const qsizetype length = editor.textLength();
    qsizetype from = 0;
    qsizetype to = length;
    const bool backwards = options.testFlag(SearchOption::Backwards);
    if (options & SearchOption::SelectedOnly && editor.hasSelection()) {
        from = editor.selectionStartPosition();
        to = editor.selectionEndPosition();
    } else if (!(options & SearchOption::EntireScope)) {
        (backwards ? to : from) = editor.caretPosition();
    }
    const QByteArrayView bytes = editor.textBytes();
    const bool replaceAll = options.testFlag(SearchOption::ReplaceAll);
    if (!replaceAll && !backwards) {
        // Forwards, only as much of the text as the search reaches is made UTF-16.
        const RegexPattern::Utf8Match found = pattern.findForward(bytes, from, to, false);
        if (found.start < 0)
            return 0;
        if (!(options & SearchOption::Replace)) {
            editor.selectPositions(int(found.start), int(found.end));
            return 1;
        }
        const QByteArray replacement =
            regexEditorBytes(expandReplacement(replaceText, found.match));
        editor.replaceRange(found.start, found.end - found.start, replacement);
        editor.moveCaret(found.start + replacement.size());
        return 1;
    }
    const RegexText text(bytes);
    const qsizetype from16 = text.utf16Offset(from);
    const qsizetype to16 = text.utf16Offset(to);
    if (replaceAll) {
        // Every match of the text as it stands is found and expanded first: a replacement is
        // never searched again, and nothing changes when the expression fails halfway.
        std::vector<RegexEdit> edits;
        qsizetype newLength = length;
        for (const QRegularExpressionMatch& match : pattern.findAll(text.text(), from16, to16)) {
            RegexEdit edit{text.byteOffset(match.capturedStart()), 0,
                           regexEditorBytes(expandReplacement(replaceText, match))};
            edit.end = text.byteOffset(match.capturedEnd());
            newLength += edit.bytes.size() - (edit.end - edit.start);
            edits.push_back(std::move(edit));
        }
        if (edits.empty())
            return 0;
        checkReplacedLength(newLength);
        {
            const TSynMemo::BulkEdit bulk(editor);
            // From the last to the first, so that the positions found stay valid.
            for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit)
                editor.replaceRange(edit->start, edit->end - edit->start, edit->bytes);
        }
        const qsizetype caret =
            backwards ? edits.front().start : newLength - (length - edits.back().end);
        editor.moveCaret(caret);
        return int(edits.size());
    }

    const QRegularExpressionMatch match = backwards ? pattern.findLast(text.text(), from16, to16)
                                                    : pattern.find(text.text(), from16, to16);
    if (!match.hasMatch())
        return 0;
    const qsizetype start = text.byteOffset(match.capturedStart());
    const qsizetype end = text.byteOffset(match.capturedEnd());
    if (!(options & SearchOption::Replace)) {
        editor.selectPositions(int(backwards ? end : start), int(backwards ? start : end));
        return 1;
    }
    const QByteArray replacement = regexEditorBytes(expandReplacement(replaceText, match));
    editor.replaceRange(start, end - start, replacement);
    editor.moveCaret(backwards ? start : start + replacement.size());
    return 1;
}
