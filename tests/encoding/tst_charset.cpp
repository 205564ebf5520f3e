#include "encoding/CharsetDetection.h"
#include "encoding/TextLines.h"
#include "support/ReferenceLines.h"
#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

class TestCharset : public QObject {
    Q_OBJECT

private slots:
    void classifyCharsetLine_data();
    void classifyCharsetLine();
    void findCharsetLine_data();
    void findCharsetLine();
    void findCharsetLineMatchesLineByLine();
    void isMultibyteUtf8_data();
    void isMultibyteUtf8();
    void isMultibyteUtf8MatchesStrictDecoder();
    void detectFileEncoding_data();
    void detectFileEncoding();
    void evidenceInPiecesMatchesWholeFile();
};

void TestCharset::classifyCharsetLine_data()
{
    QTest::addColumn<QByteArray>("loweredLine");
    QTest::addColumn<QString>("name");

    QTest::newRow("http-equiv utf-8")
        << QByteArray(R"(<meta http-equiv="content-type" content="text/html; charset=utf-8">)")
        << u"UTF-8"_qs;
    QTest::newRow("capitals, lowered") << QByteArray("charset=utf-8") << u"UTF-8"_qs;
    QTest::newRow("iso-8859-2") << QByteArray("content=\"text/html; charset=iso-8859-2\"")
                                << u"ISO-8859-2"_qs;
    QTest::newRow("windows-1250") << QByteArray("charset=windows-1250") << u"CP-1250"_qs;
    QTest::newRow("windows-1252 counts as cp-1250")
        << QByteArray("charset=windows-1252") << u"CP-1250"_qs;
    QTest::newRow("iso and utf-8: utf-8 wins")
        << QByteArray("charset=utf-8 charset=iso-8859-2") << u"UTF-8"_qs;
    QTest::newRow("win and iso: iso wins")
        << QByteArray("charset=iso-8859-2; charset=win") << u"ISO-8859-2"_qs;
    QTest::newRow("html5 meta") << QByteArray(R"(<meta charset="utf-8">)") << u"UTF-8"_qs;
    QTest::newRow("blanks and single quotes")
        << QByteArray("charset = 'iso-8859-2'") << u"ISO-8859-2"_qs;
    QTest::newRow("css @charset") << QByteArray(R"(@charset "windows-1250";)") << u"CP-1250"_qs;
    QTest::newRow("tab before the value") << QByteArray("charset\tutf-8") << u"UTF-8"_qs;
    QTest::newRow("colon is not recognised") << QByteArray("charset: utf-8") << QString();
    QTest::newRow("nothing between word and value") << QByteArray("charsetutf-8") << QString();
    QTest::newRow("koi8-r") << QByteArray("charset=koi8-r") << QString();
    QTest::newRow("iso-8859-1 is not iso-8859-2") << QByteArray("charset=iso-8859-1") << QString();
    QTest::newRow("utf-16") << QByteArray("charset=\"utf-16\"") << QString();
    QTest::newRow("only the word") << QByteArray("<!-- charset below -->") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestCharset::classifyCharsetLine()
{
    QFETCH(QByteArray, loweredLine);
    QFETCH(QString, name);
    QCOMPARE(ClassifyCharsetLine(loweredLine), name);
}

void TestCharset::findCharsetLine_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("loweredText");

    QTest::newRow("empty") << QByteArray() << -1 << QByteArray();
    QTest::newRow("no charset") << QByteArray("<html>\r\n<p>tekst</p>\r\n") << -1 << QByteArray();
    QTest::newRow("first line") << QByteArray("<meta charset=\"utf-8\">\r\n<p>") << 0
                                << QByteArray("<meta charset=\"utf-8\">");
    QTest::newRow("capitals lowered, A-Z only")
        << QByteArray(
               "<html>\r\n<META CONTENT=\"CHARSET=UTF-8\" TITLE=\"\xC5\xBB\xC3\x93\xC5\x81W\">")
        << 1 << QByteArray("<meta content=\"charset=utf-8\" title=\"\xC5\xBB\xC3\x93\xC5\x81w\">");
    QTest::newRow("mixed case word")
        << QByteArray("a\nb\nChArSeT=Win\n") << 2 << QByteArray("charset=win");
    QTest::newRow("comment above the declaration")
        << QByteArray("<!-- Charset: see below -->\r\n<meta charset=utf-8>") << 0
        << QByteArray("<!-- charset: see below -->");
    QTest::newRow("breaks of every kind counted as lines") << bytesOf("1\r\n2\r3\n4\0"
                                                                      "5\r\r\ncharset")
                                                           << 6 << QByteArray("charset");
    QTest::newRow("cr only file") << QByteArray("a\rb\r\rx charset=utf-8\r") << 3
                                  << QByteArray("x charset=utf-8");
    QTest::newRow("word broken by a line break") << QByteArray("char\r\nset") << -1 << QByteArray();
    QTest::newRow("word at the very end") << QByteArray("abc charse") << -1 << QByteArray();
    QTest::newRow("many c's before it") << QByteArray("ccccccccccCCCCCCCCCCcharset") << 0
                                        << QByteArray("cccccccccccccccccccccharset");
}

void TestCharset::findCharsetLine()
{
    QFETCH(QByteArray, text);
    QFETCH(int, index);
    QFETCH(QByteArray, loweredText);
    const CharsetLine line = ::findCharsetLine(text);
    QCOMPARE(line.index, qsizetype(index));
    QCOMPARE(line.loweredText, loweredText);
}

void TestCharset::findCharsetLineMatchesLineByLine()
{
    // Against the plain reading: lower-case each line of splitLines() and look for the word.
    static const QByteArray pieces[] = {
        "charset", "CHARSET",           "Charse", "c",        "C",  "t",    "x", "\r", "\n",
        "\r\n",    QByteArray(1, '\0'), "=utf-8", "\xC5\xBC", "ch", "arset"};
    QRandomGenerator random(1251);
    for (int round = 0; round < 20000; ++round) {
        QByteArray text;
        for (int i = random.bounded(30); i > 0; --i)
            text += pieces[random.bounded(int(std::size(pieces)))];
        CharsetLine expected;
        const QList<QByteArray> lines = splitLines(text);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QByteArray lowered = lines[i];
            for (char& c : lowered)
                c = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
            if (lowered.contains("charset")) {
                expected = {i, lowered};
                break;
            }
        }
        const CharsetLine found = ::findCharsetLine(text);
        QCOMPARE(found.index, expected.index);
        QCOMPARE(found.loweredText, expected.loweredText);
    }
}

void TestCharset::isMultibyteUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("multibyte");

    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("ascii only") << QByteArray("<p>zwykly tekst</p>\r\n") << false;
    QTest::newRow("zażółć") << QByteArray("za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87") << true;
    QTest::newRow("emoji") << QByteArray("\xF0\x9F\x98\x80") << true;
    QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << true;
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") << true;
    QTest::newRow("windows-1250 zażółć") << QByteArray("za\xBF\xF3\xB3\xE6") << false;
    QTest::newRow("iso ąśź") << QByteArray("\xB1\xB6\xBC") << false;
    QTest::newRow("overlong two bytes") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF") << false;
    QTest::newRow("overlong four bytes") << QByteArray("\xF0\x8F\xBF\xBF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("five-byte lead") << QByteArray("\xF8\x88\x80\x80\x80") << false;
    QTest::newRow("cut short at the end") << QByteArray("ok \xC5") << false;
    QTest::newRow("stray continuation") << QByteArray("\xC5\xBC\x80") << false;
    QTest::newRow("fault after a long ascii run") << QByteArray("\xC5\xBC"
                                                                "0123456789abcdefghij\xFF"
                                                                "0123456789")
                                                  << false;
    QTest::newRow("letter after a long ascii run")
        << QByteArray("0123456789abcdefghij0123456789\xC5\xBC") << true;
}

void TestCharset::isMultibyteUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, multibyte);
    QCOMPARE(::isMultibyteUtf8(bytes), multibyte);
}

void TestCharset::isMultibyteUtf8MatchesStrictDecoder()
{
    static const QByteArray pieces[] = {"abcdefgh",
                                        "x",
                                        "\xC5\xBC",
                                        "\xE2\x82\xAC",
                                        "\xF0\x9F\x98\x80",
                                        "\xC5",
                                        "\x80",
                                        "\xED\xA0\x80",
                                        "\xF4\x90\x80\x80",
                                        "\xE0\x9F\xBF",
                                        "\xF0\x8F\x80\x80"};
    QRandomGenerator random(28591);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        for (int i = random.bounded(12); i > 0; --i)
            bytes += pieces[random.bounded(int(std::size(pieces)))];
        QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                        QStringDecoder::Flag::ConvertInitialBom);
        const QString decoded = strict(bytes);
        const bool expected =
            !strict.hasError() &&
            std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
        QVERIFY2(::isMultibyteUtf8(bytes) == expected, bytes.toHex(' ').constData());
    }
}

void TestCharset::detectFileEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");

    QTest::newRow("empty") << QByteArray() << u"Nieznany"_qs;
    QTest::newRow("declared utf-8") << QByteArray("<meta charset=utf-8>\r\n") << u"UTF-8"_qs;
    // A declaration wins over what the bytes look like.
    QTest::newRow("declared iso, utf-8 bytes")
        << QByteArray("charset=iso-8859-2\r\n\xC5\xBC") << u"ISO-8859-2"_qs;
    QTest::newRow("declared utf-8, windows-1250 bytes")
        << QByteArray("charset=utf-8\r\n\xBF") << u"UTF-8"_qs;
    QTest::newRow("undeclared ascii") << QByteArray("<p>tekst</p>") << u"Nieznany"_qs;
    QTest::newRow("undeclared utf-8") << QByteArray("\xC5\xBC\xC3\xB3\xC5\x82w") << u"UTF-8"_qs;
    QTest::newRow("undeclared windows-1250") << QByteArray("\xBF\xF3\xB3w") << u"Nieznany"_qs;
    QTest::newRow("koi8-r declared, utf-8 bytes")
        << QByteArray("charset=koi8-r\n\xD0\x96") << u"UTF-8"_qs;
    QTest::newRow("comment first, windows-1250 bytes")
        << QByteArray("<!-- charset -->\r\n<meta charset=windows-1250>\r\n\xBF") << u"Nieznany"_qs;
}

void TestCharset::detectFileEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QCOMPARE(::detectFileEncoding(bytes), name);
}

void TestCharset::evidenceInPiecesMatchesWholeFile()
{
    // A large file is inspected in pieces that end just after a line feed, a piece growing
    // until one comes: what the pieces tell must be what the whole file tells.
    static const QByteArray parts[] = {
        "charset", "CHARSET=", "=utf-8",   "=win",  " charset=iso-8859-2", "x",
        "\r",      "\n",       "\r\n",     "\n",    QByteArray(1, '\0'),   "\xC5\xBC",
        "\xC5",    "\xBC\xBF", "\xE2\x80", "\x9E\n"};
    QRandomGenerator random(88592);
    for (int round = 0; round < 20000; ++round) {
        QByteArray text;
        for (int i = random.bounded(40); i > 0; --i)
            text += parts[random.bounded(int(std::size(parts)))];
        const qsizetype pieceBytes = 1 + random.bounded(12);
        EncodingEvidence encoding;
        LineBreakEvidence lineBreaks;
        for (qsizetype start = 0; start < text.size();) {
            qsizetype end = std::min(text.size(), start + pieceBytes);
            while (end < text.size() && text[end - 1] != '\n')
                ++end;
            encoding.add(QByteArrayView(text).sliced(start, end - start));
            lineBreaks.add(QByteArrayView(text).sliced(start, end - start));
            start = end;
        }
        const CharsetLine whole = ::findCharsetLine(text);
        const CharsetLine inPieces = encoding.charsetLine();
        const QByteArray shown = text.toHex(' ');
        QVERIFY2(inPieces.index == whole.index && inPieces.loweredText == whole.loweredText &&
                     inPieces.start == whole.start && inPieces.end == whole.end,
                 shown.constData());
        QVERIFY2(encoding.encodingName() == ::detectFileEncoding(text), shown.constData());
        QVERIFY2(lineBreaks.lineBreak() == detectLineBreak(text), shown.constData());
    }
}

QTEST_APPLESS_MAIN(TestCharset)
#include "tst_charset.moc"
