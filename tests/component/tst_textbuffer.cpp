// The editor component's text buffer as the program builds it finds the line feeds of inserted
// text a block at a time and leaves the room it makes untouched until text is put there. These
// check that the lines and the styles are as the text says.
#include "editor/TSynMemo.h"
#include "support/ComponentAccess.h"

#include <QTest>

namespace {

long send(TSynMemo& editor, unsigned int message, unsigned long wParam = 0, long lParam = 0)
{
    return component(editor).SendScintilla(message, wParam, lParam);
}

// Where each line starts: after a CR LF, a lone CR or a lone LF.
QList<long> lineStarts(const QByteArray& text)
{
    QList<long> starts{0};
    for (int i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            starts << i + 1;
    return starts;
}

QList<long> editorLineStarts(TSynMemo& editor)
{
    QList<long> starts;
    const long lines = send(editor, QsciScintillaBase::SCI_GETLINECOUNT);
    for (long line = 0; line < lines; ++line)
        starts << send(editor, QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    return starts;
}

void insert(TSynMemo& editor, long at, const QByteArray& text)
{
    send(editor, QsciScintillaBase::SCI_INSERTTEXT, at, reinterpret_cast<long>(text.constData()));
}

} // namespace

class TestTextBuffer : public QObject {
    Q_OBJECT
private slots:
    void linesAreTheTexts_data();
    void linesAreTheTexts();
    void insertedTextHasThePlainStyle_data();
    void insertedTextHasThePlainStyle();
};

void TestTextBuffer::linesAreTheTexts_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("at");
    QTest::addColumn<QByteArray>("inserted");

    QByteArray lines;
    for (int i = 0; lines.size() < 3'000'000; ++i)
        lines += "<p>Zażółć " + QByteArray::number(i) + "</p>\n";
    QTest::newRow("a file's lines") << QByteArray() << 0 << lines;
    QTest::newRow("after them") << lines << int(lines.size()) << lines;
    QTest::newRow("within a line") << QByteArray("ab\ncd") << 4 << QByteArray("x\n\ny\n");
    QTest::newRow("at a line's start") << QByteArray("ab\ncd") << 3 << QByteArray("\nx");
    QTest::newRow("without a line feed") << QByteArray("ab\ncd") << 1 << QByteArray("xyz");
    QTest::newRow("between a CR and its LF") << QByteArray("ab\r\ncd") << 3 << QByteArray("x\ny");
    QTest::newRow("an LF after a CR") << QByteArray("ab\r") << 3 << QByteArray("\ncd\n");
    QTest::newRow("a CR before an LF") << QByteArray("ab\ncd") << 2 << QByteArray("x\r");
    QTest::newRow("CR LF") << QByteArray("ab") << 2 << QByteArray("x\r\ny\r\n\r\nz");
    QTest::newRow("lone CR") << QByteArray("ab") << 0 << QByteArray("x\ry\r\rz\n");
    QTest::newRow("LF at both ends") << QByteArray("ab") << 1 << QByteArray("\nx\n");
}

void TestTextBuffer::linesAreTheTexts()
{
    QFETCH(QByteArray, before);
    QFETCH(int, at);
    QFETCH(QByteArray, inserted);
    TSynMemo editor;
    insert(editor, 0, before);
    insert(editor, at, inserted);
    const QByteArray text = before.left(at) + inserted + before.mid(at);
    QCOMPARE(editor.textBytes().toByteArray(), text);
    QCOMPARE(editorLineStarts(editor), lineStarts(text));
}

void TestTextBuffer::insertedTextHasThePlainStyle_data()
{
    QTest::addColumn<bool>("inTheMiddle");
    QTest::newRow("where styled text was") << false;
    QTest::newRow("in the middle of styled text") << true;
}

void TestTextBuffer::insertedTextHasThePlainStyle()
{
    QFETCH(bool, inTheMiddle);
    // Text styled all over and taken away, or split in two, leaves its styles in the room the
    // buffer keeps; text inserted there has the plain style all the same.
    QByteArray text;
    while (text.size() < 2'000'000)
        text += "<b>gęślą</b>\n";
    TSynMemo editor;
    insert(editor, 0, text);
    send(editor, QsciScintillaBase::SCI_STARTSTYLING, 0);
    send(editor, QsciScintillaBase::SCI_SETSTYLING, text.size(), 5);
    long from = text.size() / 2 + 3;
    if (!inTheMiddle) {
        send(editor, QsciScintillaBase::SCI_DELETERANGE, 0, text.size());
        from = 0;
    }
    insert(editor, from, text);
    const long length = send(editor, QsciScintillaBase::SCI_GETLENGTH);
    QByteArray expected(length, inTheMiddle ? 5 : 0), styles(length, 0);
    expected.replace(from, text.size(), QByteArray(text.size(), 0));
    for (long i = 0; i < length; ++i)
        styles[i] = char(send(editor, QsciScintillaBase::SCI_GETSTYLEAT, i));
    QVERIFY(styles == expected);
}

QTEST_MAIN(TestTextBuffer)
#include "tst_textbuffer.moc"
