#include "encoding/TextLines.h"
#include "support/ReferenceLines.h"
#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QTest>

using Lines = QList<QByteArray>;
using namespace TextLines;

namespace {

template <typename Breaks> Lines readLines(QByteArrayView bytes)
{
    Lines lines;
    for (LineReader<Breaks> reader(bytes); !reader.atEnd();)
        lines.append(reader.next().toByteArray());
    return lines;
}

} // namespace

class TestLines : public QObject {
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void linesMatchByteByByte();
    void countLineBreaksOfRandomBytes();
    void detectLineBreak_data();
    void detectLineBreak();
};

void TestLines::lines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Lines>("lines");

    QTest::newRow("empty") << QByteArray() << Lines{};
    QTest::newRow("one line, no break") << QByteArray("abc") << Lines{"abc"};
    QTest::newRow("crlf") << QByteArray("a\r\nb") << Lines{"a", "b"};
    QTest::newRow("cr") << QByteArray("a\rb") << Lines{"a", "b"};
    QTest::newRow("lf") << QByteArray("a\nb") << Lines{"a", "b"};
    QTest::newRow("nul ends a line and is dropped") << bytesOf("a\0b") << Lines{"a", "b"};
    QTest::newRow("final crlf starts no line") << QByteArray("a\r\nb\r\n") << Lines{"a", "b"};
    QTest::newRow("final nul starts no line") << bytesOf("a\0") << Lines{"a"};
    QTest::newRow("only crlf") << QByteArray("\r\n") << Lines{""};
    QTest::newRow("only lf, twice") << QByteArray("\n\n") << Lines{"", ""};
    QTest::newRow("empty line before the last break") << QByteArray("a\r\n\r\n") << Lines{"a", ""};
    QTest::newRow("lf cr is two breaks") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
    QTest::newRow("cr cr lf") << QByteArray("a\r\r\nb") << Lines{"a", "", "b"};
    QTest::newRow("nul after crlf") << bytesOf("a\r\n\0b") << Lines{"a", "", "b"};
    QTest::newRow("mixed") << bytesOf("one\r\ntwo\rthree\nfour\0five")
                           << Lines{"one", "two", "three", "four", "five"};
    QTest::newRow("other controls stay") << QByteArray("a\tb\x0B\x0C") << Lines{"a\tb\x0B\x0C"};
}

void TestLines::lines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Lines, lines);
    QCOMPARE(readLines<FileBreaks>(bytes), lines);
    QCOMPARE(splitLines(bytes), lines);
    if (!bytes.contains('\0')) // the editor's text keeps NUL as a character
        QCOMPARE(readLines<TextBreaks>(bytes), lines);
}

void TestLines::linesMatchByteByByte()
{
    static const QByteArray pieces[] = {"a",    "<p>tekst</p>",      "\r",      "\n",
                                        "\r\n", QByteArray(1, '\0'), "\xC5\xBC"};
    QRandomGenerator random(1250);
    for (int round = 0; round < 5000; ++round) {
        QByteArray bytes;
        for (int i = random.bounded(20); i > 0; --i)
            bytes += pieces[random.bounded(int(std::size(pieces)))];
        QCOMPARE(readLines<FileBreaks>(bytes), splitLines(bytes));
    }
}

void TestLines::countLineBreaksOfRandomBytes()
{
    // Long enough for the sixteen-byte steps, with breaks of every kind at every offset.
    QRandomGenerator random(7);
    const char alphabet[] = {'a', '\r', '\n', '\0'};
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes;
        for (int i = int(random.bounded(100)); i > 0; --i)
            bytes += alphabet[random.bounded(4)];
        const QByteArray withLastLine = bytes + "x";
        QCOMPARE(countLineBreaks(withLastLine), splitLines(withLastLine).size() - 1);
    }
}

void TestLines::detectLineBreak_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LineBreak>("lineBreak");
    QTest::addColumn<QByteArray>("breakBytes");

    QTest::newRow("empty") << QByteArray() << LineBreak::CrLf << QByteArray("\r\n");
    QTest::newRow("no breaks") << QByteArray("abc") << LineBreak::CrLf << QByteArray("\r\n");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << LineBreak::CrLf << QByteArray("\r\n");
    QTest::newRow("cr only") << QByteArray("a\rb\r") << LineBreak::Cr << QByteArray("\r");
    QTest::newRow("lf only") << QByteArray("a\nb\n") << LineBreak::Lf << QByteArray("\n");
    QTest::newRow("cr and lf apart")
        << QByteArray("a\rb\n") << LineBreak::CrLf << QByteArray("\r\n");
}

void TestLines::detectLineBreak()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LineBreak, lineBreak);
    QFETCH(QByteArray, breakBytes);
    QCOMPARE(::detectLineBreak(bytes), lineBreak);
    QCOMPARE(lineBreakBytes(lineBreak).toByteArray(), breakBytes);
}

QTEST_APPLESS_MAIN(TestLines)
#include "tst_lines.moc"
