#include "editor/EditorAccessible.h"
#include "editor/TSynMemo.h"

#include <QAccessible>
#include <QTest>

namespace {

QStringList told;

QString said(QAccessibleEvent* event)
{
    switch (event->type()) {
    case QAccessible::TextInserted: {
        auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
        return QStringLiteral("insert %1 %2").arg(e->changePosition()).arg(e->textInserted());
    }
    case QAccessible::TextRemoved: {
        auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
        return QStringLiteral("remove %1 %2").arg(e->changePosition()).arg(e->textRemoved());
    }
    case QAccessible::TextCaretMoved:
        return QStringLiteral("caret %1")
            .arg(static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition());
    case QAccessible::TextSelectionChanged: {
        auto* e = static_cast<QAccessibleTextSelectionEvent*>(event);
        return QStringLiteral("selection %1 %2").arg(e->selectionStart()).arg(e->selectionEnd());
    }
    case QAccessible::TextUpdated:
        return QStringLiteral("update");
    default:
        return QString();
    }
}

void keep(QAccessibleEvent* event)
{
    told << said(event);
}

const QString mixedLine = QString::fromUtf8("Zażółć gęślą jaźń, e\u0301 a\u0300 שלום "
                                            "עולם مرحبا 😀👍🏽 koniec");

// The line of `text` holding `offset`, with its line break.
QString lineAt(const QString& text, int offset)
{
    const int start = offset == 0 ? 0 : text.lastIndexOf(QLatin1Char('\n'), offset - 1) + 1;
    const int end = text.indexOf(QLatin1Char('\n'), offset);
    return text.mid(start, end < 0 ? -1 : end - start + 1);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void theTextIsOfferedWhileAReaderIsActive();
    void offsetsCountUtf16Units_data();
    void offsetsCountUtf16Units();
    void piecesAroundAnOffset_data();
    void piecesAroundAnOffset();
    void offsetsStayExactThroughEdits();
    void eachChangeIsTold_data();
    void eachChangeIsTold();

private:
    QAccessibleTextInterface* textOf(TSynMemo& editor)
    {
        return QAccessible::queryAccessibleInterface(editor.widget())->textInterface();
    }
};

void TestAccessibility::initTestCase()
{
    installFastEditorAccessibility();
    EditorAccessible::setEventSink(keep);
    QAccessible::setActive(true);
}

void TestAccessibility::theTextIsOfferedWhileAReaderIsActive()
{
    TSynMemo editor;
    QVERIFY(textOf(editor));
    QAccessible::setActive(false);
    QCOMPARE(textOf(editor), nullptr);
    QCOMPARE(QAccessible::queryAccessibleInterface(editor.widget())->role(), QAccessible::EditableText);
    QAccessible::setActive(true);
    QVERIFY(textOf(editor));
}

void TestAccessibility::offsetsCountUtf16Units_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("polish") << QString::fromUtf8("zażółć gęślą jaźń\nŻÓŁW");
    QTest::newRow("combining marks") << QString::fromUtf8("e\u0301 a\u0300\u0323 o\u0308");
    QTest::newRow("right to left") << QString::fromUtf8("שלום עולם\nمرحبا بالعالم");
    QTest::newRow("emoji") << QString::fromUtf8("😀👍🏽\n👨‍👩‍👧 x");
    QTest::newRow("mixed lines") << mixedLine + u'\n' + mixedLine + u'\n';
    // Several blocks of the index, a line across them.
    QTest::newRow("long line") << mixedLine.repeated(3000);
}

void TestAccessibility::offsetsCountUtf16Units()
{
    QFETCH(QString, text);
    TSynMemo editor;
    editor.setDocumentText(text.toUtf8());
    QAccessibleTextInterface* reader = textOf(editor);
    QCOMPARE(reader->characterCount(), text.size());
    QStringList got;
    QStringList expected;
    const int step = text.size() > 1000 ? 997 : 1;
    for (int offset = 0; offset <= text.size(); offset += step) {
        if (offset < text.size() && text.at(offset).isLowSurrogate())
            continue;
        // A character outside the Basic Multilingual Plane counts two units.
        const int width = offset < text.size() && text.at(offset).isHighSurrogate() ? 2 : 1;
        reader->setCursorPosition(offset);
        int start = 0;
        int end = 0;
        const QString line = reader->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
        got << QStringLiteral("%1 %2 %3 %4")
                   .arg(reader->cursorPosition())
                   .arg(reader->text(0, offset) + u'|' + reader->text(offset, offset + width), line,
                        text.mid(start, end - start));
        const QString expectedLine = offset < text.size() || text.endsWith(u'\n') == false
                                         ? lineAt(text, offset)
                                         : QString();
        expected << QStringLiteral("%1 %2 %3 %3")
                        .arg(offset)
                        .arg(text.left(offset) + u'|' + text.mid(offset, width), expectedLine);
    }
    QCOMPARE(got, expected);
}

void TestAccessibility::piecesAroundAnOffset_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("boundary");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    // Zażółć 0-6, gęślą 7-12, jaźń 13-17, ',' 17, e + U+0301 19-21, שלום 25-29,
    // 😀👍🏽 41-47.
    const int word = QAccessible::WordBoundary;
    QTest::newRow("polish word") << mixedLine << 8 << word << 7 << 12;
    QTest::newRow("combining mark") << mixedLine << 20 << word << 19 << 21;
    QTest::newRow("right to left") << mixedLine << 26 << word << 25 << 29;
    QTest::newRow("emoji") << mixedLine << 43 << word << 41 << 47;
    QTest::newRow("after a comma") << mixedLine << 18 << word << 13 << 17;
    QTest::newRow("emoji character")
        << mixedLine << 41 << int(QAccessible::CharBoundary) << 41 << 43;
    QTest::newRow("second line") << mixedLine + u'\n' + mixedLine << 60
                                 << int(QAccessible::LineBoundary) << 55 << 109;
    // Of a line of megabytes, a part around the offset (-1: see piecesAroundAnOffset).
    const QString huge = mixedLine.repeated(40000);
    QTest::newRow("huge line") << huge << 1500000 << int(QAccessible::LineBoundary) << -1 << -1;
    QTest::newRow("huge word") << huge.left(100) + QString(3 << 20, u'x') << 2000000 << word << -1
                               << -1;
}

void TestAccessibility::piecesAroundAnOffset()
{
    QFETCH(QString, text);
    QFETCH(int, offset);
    QFETCH(int, boundary);
    QFETCH(int, start);
    QFETCH(int, end);
    TSynMemo editor;
    editor.setDocumentText(text.toUtf8());
    int from = 0;
    int to = 0;
    const QString piece =
        textOf(editor)->textAtOffset(offset, QAccessible::TextBoundaryType(boundary), &from, &to);
    // Of a piece of megabytes, a part around the offset, cut before a character, its bytes no
    // more than may be carried.
    if (start < 0) {
        QVERIFY(from <= offset && offset < to && to - from > 100000);
        QVERIFY(piece.toUtf8().size() <= EditorAccessible::MaxCarriedBytes);
        start = from;
        end = to;
    }
    QCOMPARE(QString::number(from) + u' ' + QString::number(to) + u' ' + piece,
             QString::number(start) + u' ' + QString::number(end) + u' ' +
                 text.mid(start, end - start));
}

void TestAccessibility::offsetsStayExactThroughEdits()
{
    TSynMemo editor;
    editor.setDocumentText((mixedLine + u'\n').repeated(4000).toUtf8());
    QAccessibleTextInterface* reader = textOf(editor);
    const qsizetype length = editor.textLength();
    // Insertions and removals within a block, across blocks, of whole blocks; then undone.
    const struct {
        qsizetype position;
        qsizetype removed;
        const char* inserted;
    } edits[] = {{0, 0, "ż"},
                 {length / 2, 0, "😀 e\xcc\x81"},
                 {Utf16Index::BlockBytes - 3, 0, "\xd7\xa9"},
                 {Utf16Index::BlockBytes * 3, Utf16Index::BlockBytes * 2 + 11, ""},
                 {5, Utf16Index::BlockBytes - 5, "łą"},
                 {100, 3 * Utf16Index::BlockBytes, "x"}};
    const auto check = [&](const char* when) {
        const QString text = QString::fromUtf8(editor.textBytes());
        QCOMPARE(reader->characterCount(), text.size());
        for (int offset = 0; offset + 5 < text.size(); offset += 4999) {
            if (text.at(offset).isLowSurrogate())
                continue;
            // Four units or five, not half a character.
            const int end = offset + 4 + int(text.at(offset + 4).isLowSurrogate());
            reader->setCursorPosition(offset);
            QVERIFY2(reader->cursorPosition() == offset &&
                         reader->text(offset, end) == text.mid(offset, end - offset),
                     when);
        }
    };
    for (const auto& edit : edits) {
        // Edits start and end at characters.
        const QByteArrayView bytes = editor.textBytes();
        const auto atCharacter = [&](qsizetype position) {
            while (position < bytes.size() && (uchar(bytes[position]) & 0xC0) == 0x80)
                ++position;
            return position;
        };
        const qsizetype start = atCharacter(edit.position);
        const qsizetype end = atCharacter(edit.position + edit.removed);
        editor.replaceRange(start, end - start, edit.inserted);
        check("after an edit");
    }
    while (editor.isUndoAvailable())
        editor.undo();
    check("undone");
    QCOMPARE(editor.textLength(), length);
}

void TestAccessibility::eachChangeIsTold_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("events");
    // The text is "ab😀\ncd", the caret at its end (offset 7).
    QTest::newRow("typing") << "ż" << QStringList{"insert 7 ż", "caret 8"};
    QTest::newRow("line break") << "\n" << QStringList{"insert 7 \n", "caret 8"};
    QTest::newRow("backspace") << "\x01" << QStringList{"remove 6 d", "caret 6"};
    QTest::newRow("selecting") << "<<"
                               << QStringList{"caret 6", "selection 6 7", "caret 5",
                                              "selection 5 7"};
    QTest::newRow("undoing") << "ż~"
                             << QStringList{"insert 7 ż", "caret 8", "remove 7 ż", "caret 7"};
    QTest::newRow("inserted by the reader") << "I" << QStringList{"insert 2 ą", "caret 8"};
    QTest::newRow("replaced by the reader")
        << "R" << QStringList{"remove 0 ab😀", "insert 0 x", "caret 1"};
    QTest::newRow("a change of megabytes") << "+" << QStringList{"insert 7 "};
}

void TestAccessibility::eachChangeIsTold()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, events);
    TSynMemo editor;
    editor.setDocumentText("ab\xf0\x9f\x98\x80\ncd");
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.widget()));
    QVERIFY(textOf(editor));
    editor.moveCaret(editor.textLength());
    QTest::qWait(20);
    told.clear();
    for (const QChar key : keys) {
        if (key == u'<')
            QTest::keyClick(editor.widget(), Qt::Key_Left, Qt::ShiftModifier);
        else if (key == u'~')
            editor.undo();
        else if (key == u'\x01')
            QTest::keyClick(editor.widget(), Qt::Key_Backspace);
        else if (key == u'+')
            editor.replaceRange(editor.textLength(), 0, QByteArray(3 << 20, 'x'));
        else if (key == u'I')
            QAccessible::queryAccessibleInterface(editor.widget())->editableTextInterface()->insertText(
                2, QStringLiteral("ą"));
        else if (key == u'R')
            QAccessible::queryAccessibleInterface(editor.widget())->editableTextInterface()->replaceText(
                0, 4, QStringLiteral("x"));
        else if (key == u'\n')
            QTest::keyClick(editor.widget(), Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, editor.widget(), Qt::Key_unknown, QString(key),
                                Qt::NoModifier);
        QTest::qWait(20);
    }
    told.removeAll(QString());
    QCOMPARE(told, events);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
