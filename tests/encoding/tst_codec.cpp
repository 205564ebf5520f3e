#include "encoding/CharsetDetection.h"
#include "encoding/DocumentCodec.h"
#include "encoding/Encoding.h"
#include "encoding/TextLines.h"
#include "support/LineByLine.h"
#include "support/ReferenceConversions.h"
#include "support/ReferenceLines.h"
#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

#include <memory>

// The bulk paths must give exactly what converting line by line gives (support/LineByLine.h).

namespace {

// A copy in a buffer of exactly its size, so that AddressSanitizer sees any read past the end.
class ExactBuffer {
public:
    explicit ExactBuffer(const QByteArray& bytes)
        : m_data(std::make_unique<char[]>(bytes.size())), m_size(bytes.size())
    {
        std::copy(bytes.begin(), bytes.end(), m_data.get());
    }
    QByteArrayView view() const { return QByteArrayView(m_data.get(), m_size); }

private:
    std::unique_ptr<char[]> m_data;
    qsizetype m_size;
};

// Random bytes drawn mostly from the troublesome ones: breaks, lead bytes, stray continuation
// bytes, surrogate halves, Polish letters in several encodings.
QByteArray randomFileBytes(QRandomGenerator& random, int maxPieces)
{
    static const QByteArray pieces[] = {"a",
                                        "<p>",
                                        "zwykly tekst ",
                                        "\r",
                                        "\n",
                                        "\r\n",
                                        QByteArray(1, '\0'),
                                        "\xC5",
                                        "\xC5\xBC",
                                        "\xE2\x82\xAC",
                                        "\xE2\x82",
                                        "\xF0\x9F\x98\x80",
                                        "\xF0\x9F",
                                        "\xED\xA0\xBD",
                                        "\xED\xB8\x80",
                                        "\x80",
                                        "\xBF",
                                        "\xC0\x80",
                                        "\xF8",
                                        "\xFC",
                                        "\xFF",
                                        "\xB1\xB6\xBC",
                                        "\xB9\x9C\x9F",
                                        "\xA5",
                                        "\x81",
                                        "\xF4\x90\x80\x80",
                                        "\xEF\xBB\xBF"};
    QByteArray bytes;
    const int count = random.bounded(maxPieces + 1);
    for (int i = 0; i < count; ++i) {
        if (random.bounded(4) == 0)
            bytes += char(random.bounded(256));
        else
            bytes += pieces[random.bounded(int(std::size(pieces)))];
    }
    return bytes;
}

// Editor text: mostly well-formed, with a malformed byte now and then.
QByteArray randomEditorText(QRandomGenerator& random, int maxPieces)
{
    static const QByteArray pieces[] = {"a",
                                        "tekst <b>",
                                        "\r",
                                        "\n",
                                        "\r\n",
                                        QByteArray(1, '\0'),
                                        "\t",
                                        "ż",
                                        "ą",
                                        "Ś",
                                        "Ź",
                                        "±",
                                        "¶",
                                        "€",
                                        "…",
                                        "ǎ",
                                        "→",
                                        "Ж",
                                        "😀",
                                        "\xEF\xBB\xBF",
                                        "\xC2\x81",
                                        "\xC5",
                                        "\xED\xA0\x80",
                                        "\xF0\x9F\x98",
                                        "\x80",
                                        "\xFF"};
    QByteArray text;
    const int count = random.bounded(maxPieces + 1);
    for (int i = 0; i < count; ++i)
        text += pieces[random.bounded(int(std::size(pieces)))];
    return text;
}

// `count` replacement characters, as UTF-8.
QByteArray replacements(int count)
{
    return QByteArray("\xEF\xBF\xBD").repeated(count);
}

bool isWellFormedUtf8(QByteArrayView bytes)
{
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom);
    const QString unused = strict(bytes);
    return !strict.hasError();
}

const Encoding AllForms[] = {EncodingUtf8, EncodingIso88592, EncodingCp1250, EncodingUnknown};
const LineBreak AllBreaks[] = {LineBreak::CrLf, LineBreak::Cr, LineBreak::Lf};

} // namespace

class TestCodec : public QObject {
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void malformedUtf8_data();
    void malformedUtf8();
    void encode_data();
    void encode();
    void decodeMatchesLineByLine();
    void chunksJoinToTheWholeText();
    void encodeMatchesLineByLine();
    void encodedPiecesJoinToTheWholeFile();
    void largeDocumentRoundTrips();
    void goldenPages_data();
    void goldenPages();
};

void TestCodec::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encodingIndex");
    QTest::addColumn<QByteArray>("text");

    const QByteArray zazolcUtf8("\x7A\x61\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87");
    QTest::newRow("empty") << QByteArray() << 0 << QByteArray();
    QTest::newRow("empty, cp-1250") << QByteArray() << 2 << QByteArray();
    QTest::newRow("utf-8 zażółć") << zazolcUtf8 << 0 << zazolcUtf8;
    QTest::newRow("cp-1250 zażółć") << QByteArray("\x7A\x61\xBF\xF3\xB3\xE6") << 2 << zazolcUtf8;
    QTest::newRow("unknown is cp-1250")
        << QByteArray("\x7A\x61\xBF\xF3\xB3\xE6") << 3 << zazolcUtf8;
    QTest::newRow("cp-1250 Ą") << QByteArray("\xA5") << 2 << QByteArray("\xC4\x84");
    QTest::newRow("cp-1250 euro") << QByteArray("\x80") << 2 << QByteArray("\xE2\x82\xAC");
    QTest::newRow("iso ąśź") << QByteArray("\xB1\xB6\xBC") << 1 << QByteArray("ąśź");
    QTest::newRow("cp-1250 ±5 becomes ą5") << QByteArray("\xB1"
                                                         "5")
                                           << 2 << QByteArray("ą5");
    QTest::newRow("cp-1250 Ł") << QByteArray("\xA3") << 2 << QByteArray("Ł");
    QTest::newRow("utf-8 stray B9") << QByteArray("\xB9") << 0 << replacements(1);
    QTest::newRow("utf-8 byte-order mark kept")
        << QByteArray("\xEF\xBB\xBF<p>\r\n") << 0 << QByteArray("\xEF\xBB\xBF<p>");
    QTest::newRow("utf-8 emoji") << QByteArray("\xF0\x9F\x98\x80") << 0
                                 << QByteArray("\xF0\x9F\x98\x80");
    // A malformed sequence never runs into the next line.
    QTest::newRow("utf-8 lead byte at line end")
        << QByteArray("a\xC5\r\nb") << 0 << QByteArray("a\xEF\xBF\xBD\nb");
    QTest::newRow("utf-8 cut short by nul")
        << bytesOf("\xE2\x82\0x") << 0 << QByteArray("\xEF\xBF\xBD\nx");
    QTest::newRow("utf-8 lone FF") << QByteArray("\xFF\nab") << 0 << QByteArray("\xEF\xBF\xBD\nab");
    QTest::newRow("utf-8 FF at the end")
        << QByteArray("ab\xFF") << 0 << QByteArray("ab\xEF\xBF\xBD");
    QTest::newRow("utf-8 five bytes") << QByteArray("\xF8\x80\x80\x80\xC1") << 0 << replacements(5);
    QTest::newRow("utf-8 above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << 0 << replacements(4);
    QTest::newRow("utf-8 overlong slash") << QByteArray("\xC0\xAF") << 0 << replacements(2);
    QTest::newRow("utf-8 encoded surrogate pair")
        << QByteArray("\xED\xA0\xBD\xED\xB8\x80") << 0 << replacements(6);
    QTest::newRow("utf-8 surrogate halves on two lines")
        << QByteArray("\xED\xA0\xBD\r\n\xED\xB8\x80") << 0
        << replacements(3) + '\n' + replacements(3);
    QTest::newRow("utf-8 high half before a real pair")
        << QByteArray("\xED\xA0\xBD\xF0\x9F\x98\x80") << 0 << replacements(3) + "\xF0\x9F\x98\x80";
    QTest::newRow("utf-8 cut short before a break")
        << QByteArray("\xF0\x9F\x98\r\n\x98") << 0 << replacements(1) + '\n' + replacements(1);
    QTest::newRow("final break dropped") << QByteArray("a\r\nb\r\n") << 2 << QByteArray("a\nb");
    QTest::newRow("only crlf") << QByteArray("\r\n") << 0 << QByteArray();
    QTest::newRow("empty last line kept") << QByteArray("a\r\n\r\n") << 0 << QByteArray("a\n");
    QTest::newRow("every break becomes lf") << bytesOf("1\r\n2\r3\n4\0"
                                                       "5\r\r\n6")
                                            << 1 << QByteArray("1\n2\n3\n4\n5\n\n6");
}

void TestCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encodingIndex);
    QFETCH(QByteArray, text);
    const Encoding encoding = *Encoding::fromIndex(encodingIndex);
    QCOMPARE(decodeDocument(bytes, encoding), text);
    QCOMPARE(LineByLine::decode(bytes, encoding), text);
    QCOMPARE(decodedSize(bytes, encoding, text.size()), text.size());
    QVERIFY(decodedSize(bytes, encoding, text.size() - 1) > text.size() - 1);
}

void TestCodec::malformedUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("firstTextOffset");

    // The examples of the Unicode standard, chapter 3 ("U+FFFD Substitution of Maximal
    // Subparts"), and the file that lost its "(".
    QTest::newRow("C3 28") << QByteArray("\xC3\x28") << replacements(1) + '(' << 1 << 0;
    QTest::newRow("E2 82 at the end") << QByteArray("\xE2\x82") << replacements(1) << 1 << 0;
    QTest::newRow("F0 80 80 41") << QByteArray("\xF0\x80\x80\x41") << replacements(3) + 'A' << 3
                                 << 0;
    QTest::newRow("ED A0 80") << QByteArray("\xED\xA0\x80") << replacements(3) << 3 << 0;
    QTest::newRow("F4 90 80 80") << QByteArray("\xF4\x90\x80\x80") << replacements(4) << 4 << 0;
    QTest::newRow("C0 AF") << QByteArray("\xC0\xAF") << replacements(2) << 2 << 0;
    QTest::newRow("61 F1 80 80 E1 80 C2 62 80 63 80 BF 64")
        << QByteArray("\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64")
        << "a" + replacements(3) + "b" + replacements(1) + "c" + replacements(2) + "d" << 6 << 1;
    QTest::newRow("non-shortest forms")
        << QByteArray("\xC0\xAF\xE0\x80\xBF\xF0\x81\x82\x41") << replacements(8) + 'A' << 8 << 0;
    QTest::newRow("surrogates") << QByteArray("\xED\xA0\x80\xED\xBF\xBF\xED\xAF\x41")
                                << replacements(8) + 'A' << 8 << 0;
    QTest::newRow("other ill-formed") << QByteArray("\xF4\x91\x92\x93\xFF\x41\x80\xBF\x42")
                                      << replacements(5) + 'A' + replacements(2) + 'B' << 7 << 0;
    QTest::newRow("truncated") << QByteArray("\xE1\x80\xE2\xF0\x91\x92\xF1\xBF\x41")
                               << replacements(4) + 'A' << 4 << 0;
    QTest::newRow("FF FE C3 28 E2 82") << QByteArray("\xFF\xFE\xC3\x28\xE2\x82")
                                       << replacements(3) + '(' + replacements(1) << 4 << 0;
    QTest::newRow("first on the second line, after letters")
        << QByteArray("<p>\r\nżó\xC5 \xC5")
        << QByteArray("<p>\nżó") + replacements(1) + ' ' + replacements(1) << 2 << 8;
    QTest::newRow("valid") << QByteArray("zażółć 😀\r\n") << QByteArray("zażółć 😀") << 0 << -1;
}

void TestCodec::malformedUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, text);
    QFETCH(int, count);
    QFETCH(int, firstTextOffset);
    MalformedUtf8 malformed;
    QCOMPARE(decodeDocument(bytes, EncodingUtf8, &malformed), text);
    QCOMPARE(malformed.count, count);
    QCOMPARE(malformed.firstTextOffset, firstTextOffset);
    QCOMPARE(LineByLine::decode(bytes, EncodingUtf8), text);

    // In pieces of a byte, the place is still counted in the whole text.
    MalformedUtf8 inPieces;
    decodeDocument(
        bytes, EncodingUtf8, [](QByteArrayView) {}, 1, &inPieces);
    QCOMPARE(inPieces.count, count);
    QCOMPARE(inPieces.firstTextOffset, firstTextOffset);
}

void TestCodec::encode_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<EncodingIndex>("form");
    QTest::addColumn<LineBreak>("lineBreak");
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("empty") << QByteArray() << EncodingUtf8 << LineBreak::CrLf << QByteArray();
    QTest::newRow("empty, 8-bit") << QByteArray() << EncodingUnknown << LineBreak::CrLf
                                  << QByteArray();
    QTest::newRow("utf-8 zażółć") << QByteArray("zażółć") << EncodingUtf8 << LineBreak::CrLf
                                  << QByteArray("\x7A\x61\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\n");
    QTest::newRow("cp-1250 zażółć") << QByteArray("zażółć") << EncodingCp1250 << LineBreak::CrLf
                                    << QByteArray("\x7A\x61\xBF\xF3\xB3\xE6\r\n");
    QTest::newRow("iso ąśź") << QByteArray("ąśź") << EncodingIso88592 << LineBreak::CrLf
                             << QByteArray("\xB1\xB6\xBC\r\n");
    QTest::newRow("cp-1250 ±5 becomes ą5") << QByteArray("±5") << EncodingCp1250 << LineBreak::CrLf
                                           << QByteArray("\xB9"
                                                         "5\r\n");
    QTest::newRow("8-bit ±5 unchanged") << QByteArray("±5") << EncodingUnknown << LineBreak::CrLf
                                        << QByteArray("\xB1"
                                                      "5\r\n");
    QTest::newRow("every line gets a break")
        << QByteArray("a\nb") << EncodingUtf8 << LineBreak::CrLf << QByteArray("a\r\nb\r\n");
    QTest::newRow("text ending in a break")
        << QByteArray("a\n") << EncodingCp1250 << LineBreak::CrLf << QByteArray("a\r\n\r\n");
    QTest::newRow("one empty line pair")
        << QByteArray("\n") << EncodingUtf8 << LineBreak::Lf << QByteArray("\n\n");
    QTest::newRow("mixed breaks to cr") << QByteArray("a\r\nb\rc\nd") << EncodingIso88592
                                        << LineBreak::Cr << QByteArray("a\rb\rc\rd\r");
    QTest::newRow("nul is no break")
        << bytesOf("a\0b") << EncodingUnknown << LineBreak::Lf << bytesOf("a\0b\n");
    QTest::newRow("utf-8 keeps what cp-1250 lacks")
        << QByteArray("→ Ж 😀") << EncodingUtf8 << LineBreak::CrLf << QByteArray("→ Ж 😀\r\n");
    QTest::newRow("cp-1250 best fit and ?")
        << QByteArray("ǎ → Ж 😀") << EncodingCp1250 << LineBreak::CrLf << QByteArray("a ? ? ?\r\n");
    QTest::newRow("utf-8 byte-order mark kept")
        << QByteArray("\xEF\xBB\xBFx") << EncodingUtf8 << LineBreak::CrLf
        << QByteArray("\xEF\xBB\xBFx\r\n");
    QTest::newRow("utf-8 malformed bytes")
        << QByteArray("a\xC5\xFF\n") << EncodingUtf8 << LineBreak::Lf
        << QByteArray("a\xEF\xBF\xBD\xEF\xBF\xBD\n\n");
    QTest::newRow("8-bit malformed bytes")
        << QByteArray("\xE2\x82x\x80") << EncodingUnknown << LineBreak::Lf << QByteArray("?x?\n");
}

void TestCodec::encode()
{
    QFETCH(QByteArray, text);
    QFETCH(EncodingIndex, form);
    QFETCH(LineBreak, lineBreak);
    QFETCH(QByteArray, file);
    QCOMPARE(encodeDocument(text, form, lineBreak), file);
    QCOMPARE(LineByLine::encode(text, form, lineBreak), file);
}

void TestCodec::decodeMatchesLineByLine()
{
    QRandomGenerator random(20250);
    for (int round = 0; round < 20000; ++round) {
        const QByteArray bytes = randomFileBytes(random, round % 2 ? 8 : 40);
        const ExactBuffer buffer(bytes);
        for (const Encoding encoding :
             {EncodingUtf8, EncodingIso88592, EncodingCp1250, EncodingUnknown}) {
            const QByteArray text = decodeDocument(buffer.view(), encoding);
            if (text != LineByLine::decode(bytes, encoding)) {
                QCOMPARE(text.toHex(' '), LineByLine::decode(bytes, encoding).toHex(' '));
                QFAIL(bytes.toHex(' ').constData());
            }
        }
    }
}

void TestCodec::chunksJoinToTheWholeText()
{
    QRandomGenerator random(1252);
    for (int round = 0; round < 3000; ++round) {
        const QByteArray bytes = randomFileBytes(random, 60);
        const ExactBuffer buffer(bytes);
        for (const Encoding encoding : {EncodingUtf8, EncodingCp1250}) {
            const qsizetype chunkBytes = 1 + random.bounded(16);
            QByteArray joined;
            decodeDocument(
                buffer.view(), encoding,
                [&](QByteArrayView piece) {
                    QVERIFY(!piece.isEmpty());
                    QVERIFY(isWellFormedUtf8(piece));
                    joined += piece;
                },
                chunkBytes);
            QCOMPARE(joined, decodeDocument(bytes, encoding));
        }
    }
}

void TestCodec::encodeMatchesLineByLine()
{
    QRandomGenerator random(88592);
    for (int round = 0; round < 10000; ++round) {
        const QByteArray text = randomEditorText(random, round % 2 ? 6 : 30);
        const ExactBuffer buffer(text);
        for (const Encoding form : AllForms) {
            for (const LineBreak lineBreak : AllBreaks) {
                const QByteArray file = encodeDocument(buffer.view(), form, lineBreak);
                if (file != LineByLine::encode(text, form, lineBreak)) {
                    QCOMPARE(file.toHex(' '), LineByLine::encode(text, form, lineBreak).toHex(' '));
                    QFAIL(text.toHex(' ').constData());
                }
            }
        }
    }
}

void TestCodec::encodedPiecesJoinToTheWholeFile()
{
    QRandomGenerator random(1250);
    for (int round = 0; round < 3000; ++round) {
        const QByteArray text = randomEditorText(random, 30);
        const ExactBuffer buffer(text);
        const qsizetype chunkBytes = 1 + random.bounded(12);
        for (const Encoding form : AllForms) {
            for (const LineBreak lineBreak : AllBreaks) {
                QByteArray joined;
                encodeDocument(
                    buffer.view(), form, lineBreak, [&](QByteArrayView piece) { joined += piece; },
                    chunkBytes);
                if (joined != encodeDocument(buffer.view(), form, lineBreak)) {
                    QCOMPARE(joined.toHex(' '), encodeDocument(text, form, lineBreak).toHex(' '));
                    QFAIL(text.toHex(' ').constData());
                }
            }
        }
    }
}

void TestCodec::largeDocumentRoundTrips()
{
    // Several megabytes: output buffers large enough for the huge-page advice, several pieces
    // through the sink at its default size, and lines joined across piece boundaries.
    QByteArray text;
    for (int n = 0; text.size() < (6 << 20); ++n)
        text += "<p>Zażółć gęślą jaźń " + QByteArray::number(n) + " – ĄĆĘŁŃÓŚŹŻ 😀</p>\n";
    text.chop(1);
    const QByteArray file = encodeDocument(text, EncodingUtf8, LineBreak::CrLf);
    QCOMPARE(file, LineByLine::encode(text, EncodingUtf8, LineBreak::CrLf));

    int pieces = 0;
    QByteArray joined;
    decodeDocument(file, EncodingUtf8, [&](QByteArrayView piece) {
        ++pieces;
        joined += piece;
    });
    QVERIFY(pieces > 1);
    QCOMPARE(joined, text);
    QCOMPARE(decodeDocument(file, EncodingUtf8), text);

    const QByteArray cp1250File = encodeDocument(text, EncodingCp1250, LineBreak::CrLf);
    QCOMPARE(cp1250File, LineByLine::encode(text, EncodingCp1250, LineBreak::CrLf));
    QCOMPARE(decodeDocument(cp1250File, EncodingCp1250), QByteArray(text).replace("😀", "?"));
}

void TestCodec::goldenPages_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<int>("charsetLineIndex");

    QTest::newRow("utf-8, http-equiv on line 3") << u"utf8-http-equiv.htm"_qs << u"UTF-8"_qs << 2;
    QTest::newRow("iso-8859-2 on line 4") << u"iso-8859-2.htm"_qs << u"ISO-8859-2"_qs << 3;
    QTest::newRow("windows-1250 on line 1") << u"windows-1250.htm"_qs << u"CP-1250"_qs << 0;
    QTest::newRow("capitals") << u"utf8-capitals.htm"_qs << u"UTF-8"_qs << 0;
    QTest::newRow("html5 meta charset") << u"utf8-html5.htm"_qs << u"UTF-8"_qs << 3;
    QTest::newRow("css @charset") << u"windows-1250.css"_qs << u"CP-1250"_qs << 0;
    QTest::newRow("comment mentions charset first")
        << u"comment-mentions-charset.htm"_qs << u"Nieznany"_qs << 0;
    QTest::newRow("undeclared utf-8") << u"undeclared-utf8.js"_qs << u"UTF-8"_qs << -1;
    QTest::newRow("undeclared windows-1250")
        << u"undeclared-windows-1250.txt"_qs << u"Nieznany"_qs << -1;
    QTest::newRow("lf line breaks") << u"utf8-lf.htm"_qs << u"UTF-8"_qs << 2;
    QTest::newRow("arrows, cyrillic, emoji") << u"utf8-symbols.htm"_qs << u"UTF-8"_qs << 2;
}

void TestCodec::goldenPages()
{
    QFETCH(QString, page);
    QFETCH(QString, encoding);
    QFETCH(int, charsetLineIndex);
    const QString path = QStringLiteral(TAGOMIR_TEST_DATA "/pages/") + page;
    const QByteArray bytes = readFile(path);
    QVERIFY(!bytes.isEmpty());

    const CharsetLine charsetLine = findCharsetLine(bytes);
    QCOMPARE(charsetLine.index, qsizetype(charsetLineIndex));
    QCOMPARE(detectFileEncoding(bytes), encoding);

    const Encoding read = *Encoding::fromName(encoding);
    const QByteArray text = decodeDocument(bytes, read);
    QCOMPARE(text, readFile(path + QStringLiteral(".expected.txt")));

    // Saved in the encoding it was read in, a CR LF page comes back byte for byte; an LF page
    // comes back with CR LF.
    QByteArray saved = bytes;
    if (detectLineBreak(bytes) == LineBreak::Lf)
        saved.replace("\n", "\r\n");
    QCOMPARE(encodeDocument(text, read, LineBreak::CrLf), saved);
}

QTEST_APPLESS_MAIN(TestCodec)
#include "tst_codec.moc"
