// Tag insertion: the texts of every tag command, and how they land around the selection.
#include "app/TForm1.h"
#include "document/DocumentPage.h"
#include "support/ComponentAccess.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

struct Expected {
    const char* item;
    const char* open;
    const char* close;
    const char* button;
};

// Written out again here, not taken from the program's table, so that a slip in either shows.
constexpr Expected Commands[] = {
    {"mnuHtml", "<html>", "</html>", ""},
    {"mnuHead", "<head>", "</head>", ""},
    {"mnuBody", "<body>", "</body>", ""},
    {"mnuMeta", "<meta", ">", ""},
    {"mnuCharset", "content=\"text/html; charset=utf-8\"", " ", ""},
    {"mnuH1", "<h1>", "</h1>", ""},
    {"mnuH2", "<h2>", "</h2>", ""},
    {"mnuH3", "<h3>", "</h3>", ""},
    {"mnuH4", "<h4>", "</h4>", ""},
    {"mnuH5", "<h5>", "</h5>", ""},
    {"mnuH6", "<h6>", "</h6>", ""},
    {"mnuBig", "<b>", "</b>", "ToolButton19"},
    {"mnuKursywa", "<i>", "</i>", "ToolButton20"},
    {"mnuTT", "<tt>", "</tt>", ""},
    {"mnuBig2", "<big>", "</big>", "ToolButton21"},
    {"mnuSmall", "<small>", "</small>", "ToolButton22"},
    {"mnuSub", "<sub>", "</sub>", "ToolButton23"},
    {"mnuSup", "<sup>", "</sup>", "ToolButton24"},
    {"mnuEm", "<em>", "</em>", ""},
    {"mnuStrong", "<strong>", "</strong>", ""},
    {"mnuSamp", "<samp>", "</samp>", ""},
    {"mnuCite", "<cite>", "</cite>", ""},
    {"subDIV", "<div>", "</div>", "bitDiv"},
    {"subP", "<p>", "</p>", "bitP"},
    {"subBR", " ", "<br />", "bitBR"},
    {"mnuLinia", "<hr />", " ", "bitHr"},
    {"mnuListaUL", "<ul>", "</ul>", "bitUL"},
    {"mnuOl", "<ol>", "</ol>", "bitOL"},
    {"mnuLi", "<li>", "</li>", "bitLI"},
    {"mnuDl", "<dl>", "</dl>", ""},
    {"mnuDt", "<dt>", "</dt>", ""},
    {"mnuDd", "<dd>", "</dd>", ""},
    {"mnuTable", "<table>", "</table>", "bitTable"},
    {"mnuTr", "<tr>", "</tr>", "bitTr"},
    {"mnuTd", "<td>", "</td>", "bitTd"},
    {"mnuTh", "<th>", "</th>", "bitTh"},
    {"mnuThead", "<thead>", "</thead>", "bitThead"},
    {"mnuForm", "<form>", "</form>", ""},
    {"mnuInput", "<input ", "/>", ""},
    {"mnuTexarea", "<textarea>", "</textarea>", ""},
    {"mnuButton", "<button>", "</button>", ""},
    {"mnuSelect", "<select>", "</select>", ""},
    {"mnuOption", "<option>", "</option>", ""},
    {"mnuLabel", "<label>", "</label>", ""},
    {"mnuHref", "<a href=\"plik.html\">nazwa </a>", " ", "bitHref"},
    {"mnuMail", "<a href=\"mailto:adres@domena.pl\">", " ", ""},
    {"mnuImg", "<img src=\" \" />", " ", "bitImg"},
    {"mnuTarget", "target=\"_blank\"", " ", "bitTarget"},
};

// The selected pieces, joined by line breaks (QScintilla's own answer lags behind a change).
QString selectedText(TSynMemo* editor)
{
    QStringList pieces;
    const long count = component(editor)->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONS);
    for (long i = 0; i < count; ++i) {
        const long start =
            component(editor)->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONNSTART, i);
        const long end =
            component(editor)->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONNEND, i);
        pieces << QString::fromUtf8(editor->textBytes().sliced(start, end - start).toByteArray());
    }
    return pieces.join('\n');
}

} // namespace

class TestTags : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyCommandInsertsItsTexts_data();
    void everyCommandInsertsItsTexts();
    void aroundTheSelection_data();
    void aroundTheSelection();
    void undoRestoresTextAndSelection();
    void rectangularSelectionWrapsEachPiece();
    void tagButtonGivesTheKeyboardBack();
    void nothingHappensWithoutADocument();

private:
    void fire(const char* name);
    TSynMemo* newDocument(const QString& text);

    QTemporaryDir m_dir;
    ScriptedDesktop m_desktop;
    std::unique_ptr<TForm1> m_form;
};

void TestTags::init()
{
    m_form = std::make_unique<TForm1>(m_desktop, QStringList{}, m_dir.filePath("Tagomir.dat"));
    m_form->show();
}

void TestTags::cleanup()
{
    for (int i = 0; i < m_form->pageCount(); ++i)
        m_form->page(i)->editor()->markSaved();
    m_form.reset();
}

void TestTags::fire(const char* name)
{
    if (auto* button = m_form->findChild<QPushButton*>(name))
        QTest::mouseClick(button, Qt::LeftButton);
    else if (auto* toolButton = m_form->findChild<QToolButton*>(name))
        QTest::mouseClick(toolButton, Qt::LeftButton);
    else
        m_form->findChild<QAction*>(name)->trigger();
}

TSynMemo* TestTags::newDocument(const QString& text)
{
    m_form->findChild<QAction*>("mnuNowy1")->trigger();
    TSynMemo* editor = m_form->ActiveEditor();
    editor->setText(text);
    return editor;
}

void TestTags::everyCommandInsertsItsTexts_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("close");
    for (const Expected& command : Commands) {
        QTest::newRow(command.item) << command.item << command.open << command.close;
        if (*command.button)
            QTest::newRow(command.button) << command.button << command.open << command.close;
    }
}

void TestTags::everyCommandInsertsItsTexts()
{
    QFETCH(QString, control);
    QFETCH(QString, open);
    QFETCH(QString, close);
    TSynMemo* editor = newDocument("ab");
    editor->setCursorPosition(0, 1);
    fire(control.toLatin1().constData());
    QCOMPARE(editor->text(), "a" + open + close + "b");
    QCOMPARE(editor->caretColumn(), 2 + open.size()); // between the two texts
    QVERIFY(editor->isDocumentModified());
}

void TestTags::aroundTheSelection_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("result");
    QTest::newRow("abc in bold") << "mnuBig"
                                 << "x abc y" << 2 << 5 << "x <b>abc</b> y";
    QTest::newRow("link around abc") << "mnuHref"
                                     << "abc" << 0 << 3 << "<a href=\"plik.html\">nazwa </a>abc ";
    QTest::newRow("line break after the selection") << "subBR"
                                                    << "abc" << 0 << 3 << " abc<br />";
    QTest::newRow("two lines with Polish letters")
        << "subP"
        << "zażółć\ngęślą\tjaźń" << 2 << 10 << "za<p>żółć\ngęś</p>lą\tjaźń";
    QTest::newRow("whole document") << "mnuEm"
                                    << "ąę" << 0 << 2 << "<em>ąę</em>";
    QTest::newRow("at the very end") << "mnuTd"
                                     << "ab\ncd" << 4 << 5 << "ab\nc<td>d</td>";
    QTest::newRow("selected backwards") << "mnuLi"
                                        << "abcdef" << 4 << 1 << "a<li>bcd</li>ef";
}

void TestTags::aroundTheSelection()
{
    QFETCH(QString, command);
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, result);
    TSynMemo* editor = newDocument(text);
    // Character offsets into the text, as positions of the editor.
    const auto position = [&](int offset) { return int(text.left(offset).toUtf8().size()); };
    editor->selectPositions(position(from), position(to));
    const QString selected = selectedText(editor);
    fire(command.toLatin1().constData());
    QCOMPARE(editor->text(), result);
    QCOMPARE(selectedText(editor), selected);
    QVERIFY(editor->selectionStartPosition() < editor->selectionEndPosition());
    QCOMPARE(long(editor->selectionStartPosition()),
             component(editor)->SendScintilla(
                 QsciScintillaBase::SCI_GETCURRENTPOS)); // caret at its start
}

void TestTags::undoRestoresTextAndSelection()
{
    TSynMemo* editor = newDocument("jeden\ndwa żółw\ntrzy");
    editor->setSelection(1, 4, 0, 2); // backwards, from line 2 back into line 1
    const QString before = editor->text();
    const QString selected = selectedText(editor);
    fire("subDIV");
    QVERIFY(editor->text() != before);
    fire("mnuUndo");
    QCOMPARE(editor->text(), before);
    QTRY_COMPARE(selectedText(editor), selected);
    int line = 0, index = 0;
    editor->getCursorPosition(&line, &index);
    QCOMPARE(line, 0); // the caret where it was, at the start of the backward selection
    fire("mnuRedo");
    QCOMPARE(editor->text(), QStringLiteral("je<div>den\ndwa </div>żółw\ntrzy"));
}

void TestTags::rectangularSelectionWrapsEachPiece()
{
    TSynMemo* editor = newDocument("a12b\nc34d\ne56f");
    // Columns 1 to 3 of all three lines, as an Alt-drag selects them.
    component(editor)->SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR, 1L);
    component(editor)->SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET, 13L);
    fire("mnuTd");
    QCOMPARE(editor->text(), QStringLiteral("a<td>12</td>b\nc<td>34</td>d\ne<td>56</td>f"));
    QCOMPARE(component(editor)->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONS), 3L);
    QCOMPARE(selectedText(editor).remove('\n'), QStringLiteral("123456"));
    fire("mnuUndo");
    QCOMPARE(editor->text(), QStringLiteral("a12b\nc34d\ne56f"));
    QTRY_VERIFY(component(editor)->SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE) != 0);
}

void TestTags::tagButtonGivesTheKeyboardBack()
{
    TSynMemo* editor = newDocument("");
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    editor->setFocus();
    fire("bitTable");
    QVERIFY(editor->hasFocus());
    typeText(editor->widget(), QStringLiteral("ł"));
    QCOMPARE(editor->text(), QStringLiteral("<table>ł</table>"));
}

void TestTags::nothingHappensWithoutADocument()
{
    for (const Expected& command : Commands)
        fire(command.item);
    QCOMPARE(m_form->pageCount(), 0);
    QVERIFY(m_desktop.errors.isEmpty());
}

QTEST_MAIN(TestTags)
#include "tst_tags.moc"
