#include "search/EditorSearch.h"

#include "common/CommandError.h"
#include "editor/TSynMemo.h"
#include "search/TextSearch.h"

#include <climits>
#include <vector>

namespace {

// Scintilla's positions are 32-bit unless large documents are asked for.
constexpr qsizetype MaxDocumentBytes = INT_MAX;
// Matches are written back in pieces of about this size: one edit per match costs far more on
// a large page, one edit for the whole page holds it all twice in memory. The undo history
// copies each piece twice, in blocks large enough to be made in huge pages.
constexpr qsizetype PieceBytes = 4 << 20;

struct SearchRange {
    qsizetype from;
    qsizetype to;
};

SearchRange rangeOf(TSynMemo& editor, SearchOptions options)
{
    const qsizetype length = editor.textLength();
    if (options & SearchOption::SelectedOnly && editor.hasSelection())
        return {editor.selectionStartPosition(), editor.selectionEndPosition()};
    if (options & SearchOption::EntireScope)
        return {0, length};
    const qsizetype caret = editor.caretPosition();
    return options & SearchOption::Backwards ? SearchRange{0, caret} : SearchRange{caret, length};
}

int replaceAll(TSynMemo& editor, const TextPattern& pattern, QByteArrayView replacement,
               SearchRange range, SearchOptions options)
{
    // Every match of the text as it stands is found first: a replacement is never searched
    // again, and a result too large is refused before anything changes. Positions fit in 32
    // bits, as the editor's do; lengths are kept only where they vary.
    const bool backwards = options.testFlag(SearchOption::Backwards);
    const bool wholeWord = options.testFlag(SearchOption::WholeWord);
    const QByteArrayView text = editor.textBytes();
    std::vector<quint32> starts;
    std::vector<quint32> lengths;
    qsizetype newLength = text.size();
    const auto add = [&](const TextMatch& match) {
        starts.push_back(quint32(match.start));
        if (match.length != pattern.bytes().size() || !lengths.empty()) {
            lengths.resize(starts.size() - 1, quint32(pattern.bytes().size()));
            lengths.push_back(quint32(match.length));
        }
        newLength += replacement.size() - match.length;
    };
    if (!backwards) {
        for (qsizetype at = range.from;;) {
            const TextMatch match = pattern.find(text, at, range.to, false, wholeWord);
            if (!match.found())
                break;
            add(match);
            at = match.start + match.length;
        }
    } else {
        for (qsizetype at = range.to;;) {
            const TextMatch match = pattern.find(text, range.from, at, true, wholeWord);
            if (!match.found())
                break;
            add(match);
            at = match.start;
        }
        std::reverse(starts.begin(), starts.end());
        std::reverse(lengths.begin(), lengths.end());
    }
    if (starts.empty())
        return 0;
    checkReplacedLength(newLength);
    const qsizetype textLength = text.size();
    const auto endOf = [&](std::size_t i) {
        return qsizetype(starts[i]) +
               (lengths.empty() ? pattern.bytes().size() : qsizetype(lengths[i]));
    };

    {
        const TSynMemo::BulkEdit bulk(editor);
        // From the last piece to the first, so that the positions found stay valid; each piece
        // is read afresh, as an edit moves the text in memory.
        QByteArray piece;
        for (std::size_t last = starts.size(); last > 0;) {
            std::size_t first = last - 1;
            const qsizetype end = endOf(last - 1);
            while (first > 0 && end - qsizetype(starts[first - 1]) <= PieceBytes)
                --first;
            const qsizetype start = starts[first];
            const char* source = editor.rangeBytes(start, end - start).data();
            piece.resize(0);
            qsizetype at = start;
            for (std::size_t i = first; i < last; ++i) {
                piece.append(source + (at - start), starts[i] - at);
                piece.append(replacement);
                at = endOf(i);
            }
            editor.replaceRange(start, end - start, piece);
            last = first;
        }
    }
    // The caret after the last replacement made, or before it going backwards.
    const qsizetype caret =
        backwards ? qsizetype(starts.front()) : newLength - (textLength - endOf(starts.size() - 1));
    editor.moveCaret(caret);
    return int(starts.size());
}

} // namespace

void checkReplacedLength(qsizetype newLength)
{
    if (newLength > MaxDocumentBytes)
        throw CommandError(
            QStringLiteral("Po zamianie tekst miałby %1 MB, a edytor mieści najwyżej %2 MB.\r"
                           "Niczego nie zamieniono.")
                .arg(newLength / (1024 * 1024))
                .arg(MaxDocumentBytes / (1024 * 1024)));
}

QString takeWordAtCaret(TSynMemo& editor)
{
    editor.clearSelection();
    const qsizetype caret = editor.caretPosition();
    const QByteArrayView text = editor.textBytes();
    const auto [start, end] = wordRangeAt(text, caret);
    return QString::fromUtf8(text.sliced(start, end - start));
}

int searchAndReplace(TSynMemo& editor, const QString& searchText, const QString& replaceText,
                     SearchOptions options)
{
    if (options & SearchOption::RegularExpression)
        return regexSearchAndReplace(editor, searchText, replaceText, options);
    const TextPattern pattern(searchText, options.testFlag(SearchOption::MatchCase));
    if (pattern.isEmpty())
        return 0;
    const SearchRange range = rangeOf(editor, options);
    const bool backwards = options.testFlag(SearchOption::Backwards);
    QByteArray replacement = replaceText.toUtf8();
    replacement.replace("\r\n", "\n").replace('\r', '\n');
    if (options & SearchOption::ReplaceAll)
        return replaceAll(editor, pattern, replacement, range, options);

    const TextMatch match = pattern.find(editor.textBytes(), range.from, range.to, backwards,
                                         options.testFlag(SearchOption::WholeWord));
    if (!match.found())
        return 0;
    const qsizetype end = match.start + match.length;
    if (!(options & SearchOption::Replace)) {
        editor.selectPositions(int(backwards ? end : match.start),
                               int(backwards ? match.start : end));
        return 1;
    }
    editor.replaceRange(match.start, end - match.start, replacement);
    editor.moveCaret(backwards ? match.start : match.start + replacement.size());
    return 1;
}
