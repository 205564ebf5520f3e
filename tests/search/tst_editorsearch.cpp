// The search on the editor: ranges, directions, letter case and whole words in Polish text,
// replacing one match or all of them, and the word at the caret.
#include "common/CommandError.h"
#include "editor/TSynMemo.h"
#include "search/EditorSearch.h"
#include "search/RegexSearch.h"
#include "search/SearchState.h"
#include "support/ComponentAccess.h"

#include <QTest>

using O = SearchOption;
Q_DECLARE_METATYPE(SearchOptions)

namespace {

// A text with "|" at the caret, or "[" and "]" around the selection (the caret at "|" when
// given inside it, else at its end).
void load(TSynMemo& editor, QString marked)
{
    const QByteArray bytes = marked.toUtf8();
    const qsizetype open = bytes.indexOf('['), close = bytes.indexOf(']');
    qsizetype caret = bytes.indexOf('|');
    QByteArray text = bytes;
    text.replace("[", "").replace("]", "").replace("|", "");
    editor.setText(QString::fromUtf8(text));
    const auto unmarked = [&](qsizetype at) {
        return long(at - (open >= 0 && open < at) - (close >= 0 && close < at) -
                    (caret >= 0 && caret < at));
    };
    if (open < 0) {
        editor.selectPositions(unmarked(caret), unmarked(caret));
        return;
    }
    if (caret < 0)
        caret = close;
    const long start = unmarked(open), end = unmarked(close);
    editor.selectPositions(unmarked(caret) == start ? end : start, unmarked(caret));
}

QString marked(TSynMemo& editor)
{
    QByteArray text = editor.text().toUtf8();
    const long anchor = component(editor).SendScintilla(QsciScintillaBase::SCI_GETANCHOR);
    const long caret = component(editor).SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    if (anchor == caret)
        return QString::fromUtf8(text.insert(caret, '|'));
    const long start = qMin(anchor, caret), end = qMax(anchor, caret);
    text.insert(end, caret == end ? "|]" : "]");
    text.insert(start, caret == start ? "[|" : "[");
    return QString::fromUtf8(text);
}

} // namespace

class TestEditorSearch : public QObject {
    Q_OBJECT
private slots:
    void search_data();
    void search();
    void replaceAllIsOneUndoStep();
    void regexWindows_data();
    void regexWindows();
    void faultyExpressions_data();
    void faultyExpressions();
    void wordAtCaret_data();
    void wordAtCaret();
};

void TestEditorSearch::search_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<SearchOptions>("options");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("after");
    const SearchOptions none, all = O::Replace | O::ReplaceAll;

    QTest::newRow("forward from the caret") << "łąka |Łąka łąka"
                                            << "łąka"
                                            << "" << none << 1 << "łąka [Łąka|] łąka";
    QTest::newRow("backwards to the caret")
        << "łąka łąka| łąka"
        << "ŁĄKA"
        << "" << SearchOptions(O::Backwards) << 1 << "łąka [|łąka] łąka";
    QTest::newRow("any case both ways") << "|żółw"
                                        << "ŻÓŁW"
                                        << "" << none << 1 << "[żółw|]";
    QTest::newRow("match case") << "|Łąka łąka"
                                << "łąka"
                                << "" << SearchOptions(O::MatchCase) << 1 << "Łąka [łąka|]";
    QTest::newRow("match case, not found")
        << "Ł|ąka Łąka"
        << "łąka"
        << "" << SearchOptions(O::MatchCase) << 0 << "Ł|ąka Łąka";
    QTest::newRow("nothing after the caret") << "łąka|"
                                             << "łąka"
                                             << "" << none << 0 << "łąka|";
    QTest::newRow("entire scope") << "łąka łąka|"
                                  << "łąka"
                                  << "" << SearchOptions(O::EntireScope) << 1 << "[łąka|] łąka";
    QTest::newRow("entire scope backwards")
        << "|łąka łąka"
        << "łąka"
        << "" << (O::EntireScope | O::Backwards) << 1 << "łąka [|łąka]";
    QTest::newRow("selection only")
        << "ab [ab ab] ab"
        << "ab"
        << "" << SearchOptions(O::SelectedOnly) << 1 << "ab [ab|] ab ab";
    QTest::newRow("from the caret of a selection") << "ab [ab ab] ab"
                                                   << "ab"
                                                   << "" << none << 1 << "ab ab ab [ab|]";
    QTest::newRow("selection only, none") << "|ab"
                                          << "ab"
                                          << "" << SearchOptions(O::SelectedOnly) << 1 << "[ab|]";
    QTest::newRow("whole word, Polish letters")
        << "|łąka łąk"
        << "łąk"
        << "" << SearchOptions(O::WholeWord) << 1 << "łąka [łąk|]";
    QTest::newRow("whole word, word end") << "|łąka"
                                          << "ka"
                                          << "" << SearchOptions(O::WholeWord) << 0 << "|łąka";
    QTest::newRow("whole word, tags and lines")
        << "|x\n<b>łąka</b>\n"
        << "ŁĄKA"
        << "" << SearchOptions(O::WholeWord) << 1 << "x\n<b>[łąka|]</b>\n";
    QTest::newRow("case forms of other lengths") << "|iİ"
                                                 << "İ"
                                                 << "" << none << 1 << "i[İ|]";
    QTest::newRow("empty document") << "|"
                                    << "a"
                                    << "b" << (all | O::EntireScope) << 0 << "|";
    QTest::newRow("empty search text") << "|abc"
                                       << ""
                                       << "" << SearchOptions(O::EntireScope) << 0 << "|abc";
    QTest::newRow("line break in the search text") << "|ab\ncd"
                                                   << "b\r\nc"
                                                   << "" << none << 1 << "a[b\nc|]d";
    QTest::newRow("replace one") << "|łąka łąka"
                                 << "łąka"
                                 << "laka" << SearchOptions(O::Replace) << 1 << "laka| łąka";
    QTest::newRow("replace one backwards")
        << "łąka łąka|"
        << "łąka"
        << "łąkałąka" << (O::Replace | O::Backwards) << 1 << "łąka |łąkałąka";
    QTest::newRow("replace by nothing") << "a|bcb"
                                        << "b"
                                        << "" << SearchOptions(O::Replace) << 1 << "a|cb";
    QTest::newRow("replace all from the caret") << "łąka |łąka ŁĄKA"
                                                << "łąka"
                                                << "laka" << all << 2 << "łąka laka laka|";
    QTest::newRow("replace all backwards")
        << "łąka łąka| łąka"
        << "łąka"
        << "laka" << (all | O::Backwards) << 2 << "|laka laka łąka";
    QTest::newRow("replace all ends") << "a |a a"
                                      << "a"
                                      << "aa" << (all | O::EntireScope) << 3 << "aa aa aa|";
    QTest::newRow("replace all, overlapping") << "|aaa"
                                              << "aa"
                                              << "b" << all << 1 << "b|a";
    QTest::newRow("replace all in the selection")
        << "a [a a] a"
        << "a"
        << "b" << (all | O::SelectedOnly) << 2 << "a b b| a";
    QTest::newRow("replace all, whole words") << "|ab abc ab_ ab"
                                              << "ab"
                                              << "x" << (all | O::WholeWord) << 2 << "x abc ab_ x|";
    QTest::newRow("beyond windows-1250") << "→ żółw 🐢 |ŻÓŁW"
                                         << "żółw"
                                         << "жук" << (all | O::EntireScope) << 2 << "→ жук 🐢 жук|";

    // Regular expressions: Polish letters are letters to \w, \b and letter case.
    const SearchOptions rx = O::RegularExpression;
    QTest::newRow("rx: word of Polish letters") << "|1 żółw"
                                                << "\\w+"
                                                << "" << rx << 1 << "[1|] żółw";
    QTest::newRow("rx: \\w takes ł and ą") << "|- łąka -"
                                           << "ł\\w*"
                                           << "" << rx << 1 << "- [łąka|] -";
    QTest::newRow("rx: any case, Ą and Ł") << "|ŁĄKA"
                                           << "łą[k]a"
                                           << "" << rx << 1 << "[ŁĄKA|]";
    QTest::newRow("rx: match case") << "|ŁĄKA łąka"
                                    << "łą.a"
                                    << "" << (rx | O::MatchCase) << 1 << "ŁĄKA [łąka|]";
    QTest::newRow("rx: whole word next to Polish letters")
        << "|żaba aba ąba"
        << "ab."
        << "" << (rx | O::WholeWord) << 1 << "żaba [aba|] ąba";
    QTest::newRow("rx: whole word in any case") << "|Łąkał ŁĄK"
                                                << "łąk"
                                                << "" << (rx | O::WholeWord) << 1 << "Łąkał [ŁĄK|]";
    QTest::newRow("rx: backwards") << "ab1 ab2 ab3|"
                                   << "ab\\d"
                                   << "" << (rx | O::Backwards) << 1 << "ab1 ab2 [|ab3]";
    QTest::newRow("rx: groups swapped")
        << "|Żółta Łąka"
        << "(\\w+) (\\w+)"
        << "\\2 \\1 (\\0)" << (rx | O::Replace) << 1 << "Łąka Żółta (Żółta Łąka)|";
    QTest::newRow("rx: back reference") << "|ala ma kot kot"
                                        << "\\b(\\w+) \\1\\b"
                                        << "\\1" << (rx | all) << 1 << "ala ma kot|";
    QTest::newRow("rx: replace all, lines") << "|łąka\nŁąka\nłan"
                                            << "^ł(\\w)"
                                            << "[\\1]" << (rx | all) << 3 << "[ą]ka\n[ą]ka\n[a]|n";
    QTest::newRow("rx: replace all, empty matches") << "|ab"
                                                    << "x*"
                                                    << "-" << (rx | all) << 3 << "-a-b-|";
    QTest::newRow("rx: replace all backwards")
        << "ą1 ą2 |ą3"
        << "ą(\\d)"
        << "\\1ę" << (rx | all | O::Backwards) << 2 << "|1ę 2ę ą3";
    QTest::newRow("rx: beyond the BMP") << "|🐢 żółw"
                                        << "ż\\w+"
                                        << "Ż" << (rx | all) << 1 << "🐢 Ż|";
}

void TestEditorSearch::search()
{
    QFETCH(QString, before);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(SearchOptions, options);
    TSynMemo editor;
    load(editor, before);
    QFETCH(int, count);
    QFETCH(QString, after);
    QCOMPARE(searchAndReplace(editor, find, replacement, options | O::Prompt), count);
    QCOMPARE(marked(editor), after);
}

void TestEditorSearch::regexWindows_data()
{
    // Expressions that look back, ahead, across lines and at line ends, over a text with
    // characters of every UTF-8 length and a malformed byte.
    QTest::addColumn<QString>("expression");
    for (const char* expression : {"łąka", "(?<=żółw )\\w+", "\\bŁ\\w+\\b", "ka$", "^Ż\\w*",
                                   "ą[\\s\\S]*?🐢", "\\w+(?= 🐢)", "x*", "żółw\\nŁ", "(\\w)\\1"})
        QTest::newRow(expression) << QString::fromUtf8(expression);
}

void TestEditorSearch::regexWindows()
{
    // Searching a window at a time finds what searching the whole text finds, from every start.
    QFETCH(QString, expression);
    const QByteArray text = "żółw łąka\nŁąka 🐢 ka\nŻaba \xff łąkka\nżółw\nŁąka";
    const RegexPattern pattern(expression, false, false);
    const RegexText whole(text);
    for (qsizetype from = 0; from <= text.size(); ++from) {
        if (from < text.size() && (uchar(text[from]) & 0xC0) == 0x80)
            continue;
        const QRegularExpressionMatch expected =
            pattern.find(whole.text(), whole.utf16Offset(from), whole.text().size(), true);
        for (const qsizetype window : {1, 5, 17, 1 << 20}) {
            const RegexPattern::Utf8Match found =
                pattern.findForward(text, from, text.size(), true, window);
            const qsizetype start =
                expected.hasMatch() ? whole.byteOffset(expected.capturedStart()) : -1;
            QCOMPARE(found.start, start);
            if (start >= 0)
                QCOMPARE(found.end, whole.byteOffset(expected.capturedEnd()));
        }
    }
}

void TestEditorSearch::faultyExpressions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("message");
    QTest::newRow("unclosed group")
        << "żółw(a"
        << "Błąd w wyrażeniu regularnym na pozycji 7: brak nawiasu zamykającego.";
    QTest::newRow("nothing to repeat")
        << "a|*b"
        << "Błąd w wyrażeniu regularnym na pozycji 3: powtórzenie nie ma czego powtarzać.";
    QTest::newRow("runaway backtracking")
        << "^(a+)+\\d"
        << "Wyrażenie regularne wymaga zbyt wielu prób dopasowania i przerwano szukanie.\r"
           "Uprość je (np. unikaj zagnieżdżonych powtórzeń, jak (a*)*).";
}

void TestEditorSearch::faultyExpressions()
{
    // The document is left as it was, and the user is told where the fault is.
    QFETCH(QString, expression);
    QFETCH(QString, message);
    TSynMemo editor;
    const QString text = QString(100'000, u'a') + QStringLiteral("\nżółw");
    editor.setText(text);
    for (const SearchOptions options :
         {SearchOptions(O::RegularExpression | O::EntireScope),
          O::RegularExpression | O::Replace | O::ReplaceAll | O::EntireScope | O::WholeWord}) {
        try {
            regexSearchAndReplace(editor, expression, "x", options);
            QFAIL("no error");
        } catch (const CommandError& error) {
            QCOMPARE(error.message(), message);
        }
        QCOMPARE(editor.text(), text);
    }
}

void TestEditorSearch::replaceAllIsOneUndoStep()
{
    TSynMemo editor;
    editor.setText(QStringLiteral("łąka\nŁĄKA łąka\n"));
    component(editor).SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    QCOMPARE(
        searchAndReplace(editor, "Łąka", "łąka łąka", O::Replace | O::ReplaceAll | O::EntireScope),
        3);
    QCOMPARE(editor.text(), QStringLiteral("łąka łąka\nłąka łąka łąka łąka\n"));
    editor.undo();
    QCOMPARE(editor.text(), QStringLiteral("łąka\nŁĄKA łąka\n"));
    QVERIFY(!editor.isUndoAvailable());
    QCOMPARE(searchAndReplace(editor, "(ł)(ą)ka", "\\2\\1",
                              O::Replace | O::ReplaceAll | O::EntireScope | O::RegularExpression),
             3);
    QCOMPARE(editor.text(), QStringLiteral("ął\nĄŁ ął\n"));
    editor.undo();
    QCOMPARE(editor.text(), QStringLiteral("łąka\nŁĄKA łąka\n"));
    QVERIFY(!editor.isUndoAvailable());

    // A text of several megabytes is written back in several pieces.
    QString large;
    for (int i = 0; large.size() < 12'000'000; ++i)
        large +=
            (i % 3 ? QStringLiteral("ŁĄKA ") : QStringLiteral("łąka\n")) + QString(i % 97, u'ż');
    editor.setText(large);
    component(editor).SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    const int count = int(large.count(QStringLiteral("łąka"), Qt::CaseInsensitive));
    QCOMPARE(searchAndReplace(editor, "łąka", "laka", O::Replace | O::ReplaceAll | O::EntireScope),
             count);
    QVERIFY(editor.text() == QString(large).replace(QStringLiteral("łąka"), QStringLiteral("laka"),
                                                    Qt::CaseInsensitive));
    editor.undo();
    QVERIFY(editor.text() == large);

    // The caret's column is counted afresh after the text before it changed.
    editor.setText(QStringLiteral("ą ą ą ą ą ą ą ą ą ą END"));
    component(editor).SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QCOMPARE(editor.caretColumn(), 24);
    QCOMPARE(searchAndReplace(editor, "ą", "ab", O::Replace | O::ReplaceAll | O::EntireScope), 10);
    QCOMPARE(editor.caretColumn(), 30);
}

void TestEditorSearch::wordAtCaret_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("after");
    QTest::newRow("inside") << "źdź|bło x"
                            << "źdźbło"
                            << "źdź|bło x";
    QTest::newRow("at its end") << "x chrząszcz|, y"
                                << "chrząszcz"
                                << "x chrząszcz|, y";
    QTest::newRow("at its start") << "<b>|Żółw</b>"
                                  << "Żółw"
                                  << "<b>|Żółw</b>";
    QTest::newRow("between blanks") << "a | b"
                                    << ""
                                    << "a | b";
    QTest::newRow("a selection is cleared") << "[ąę ść]"
                                            << "ść"
                                            << "ąę ść|";
}

void TestEditorSearch::wordAtCaret()
{
    QFETCH(QString, before);
    QFETCH(QString, word);
    QFETCH(QString, after);
    TSynMemo editor;
    load(editor, before);
    QCOMPARE(takeWordAtCaret(editor), word);
    QCOMPARE(marked(editor), after);
}

QTEST_MAIN(TestEditorSearch)
#include "tst_editorsearch.moc"
