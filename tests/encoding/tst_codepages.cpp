#include "encoding/Encoding.h"
#include "support/ReferenceConversions.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTest>

namespace {

// The eighteen Polish letters, "ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ", in each encoding.
const QString PolishLetters = u"ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ"_qs;
const QByteArray
    PolishCp1250("\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF \xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
const QByteArray
    PolishIso("\xB1\xE6\xEA\xB3\xF1\xF3\xB6\xBC\xBF \xA1\xC6\xCA\xA3\xD1\xD3\xA6\xAC\xAF");

QByteArray allBytes()
{
    QByteArray bytes(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        bytes[b] = char(b);
    return bytes;
}

} // namespace

class TestCodePages : public QObject {
    Q_OBJECT

private slots:
    void encodingNames_data();
    void encodingNames();
    void charsetValues_data();
    void charsetValues();
    void polishLetterMaps_data();
    void polishLetterMaps();
    void cp1250ToWide_data();
    void cp1250ToWide();
    void wideToCp1250_data();
    void wideToCp1250();
    void tableMatchesGoldenFile();
    void everyByteRoundTrips();
};

void TestCodePages::encodingNames_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");

    QTest::newRow("utf-8") << 0 << u"UTF-8"_qs;
    QTest::newRow("iso") << 1 << u"ISO-8859-2"_qs;
    QTest::newRow("cp-1250") << 2 << u"CP-1250"_qs;
    QTest::newRow("unknown") << 3 << u"Nieznany"_qs;
}

void TestCodePages::encodingNames()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    const std::optional<Encoding> encoding = Encoding::fromIndex(index);
    QVERIFY(encoding);
    QCOMPARE(encoding->name(), name);
    const std::optional<Encoding> named = Encoding::fromName(name);
    QVERIFY(named);
    QCOMPARE(named->index(), index);
    QVERIFY(!Encoding::fromName(name.toLower()));
    QVERIFY(!Encoding::fromName(name + u' '));
    QVERIFY(!Encoding::fromIndex(-1));
    QVERIFY(!Encoding::fromIndex(4));
    QVERIFY(!Encoding::fromName(QString()));
}

void TestCodePages::charsetValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("index"); // -1 for none

    QTest::newRow("utf-8") << u"utf-8"_qs << 0;
    QTest::newRow("any case") << u"ISO-8859-2"_qs << 1;
    QTest::newRow("windows-1250") << u"Windows-1250"_qs << 2;
    QTest::newRow("a name is no value") << u"CP-1250"_qs << -1;
    QTest::newRow("nieznany declares nothing") << u"Nieznany"_qs << -1;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("blank after") << u"utf-8 "_qs << -1;
}

void TestCodePages::charsetValues()
{
    QFETCH(QString, value);
    QFETCH(int, index);
    const std::optional<Encoding> found = Encoding::fromCharsetValue(value);
    QCOMPARE(found ? found->index() : NoEncoding, index);
    if (found)
        QCOMPARE(QString::fromLatin1(found->charsetValue()), value.toLower());
}

void TestCodePages::polishLetterMaps_data()
{
    QTest::addColumn<QByteArray>("iso");
    QTest::addColumn<QByteArray>("cp1250");
    QTest::addColumn<QByteArray>("isoToCp1250");
    QTest::addColumn<QByteArray>("cp1250ToIso");

    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("ąśź") << QByteArray("\xB1\xB6\xBC") << QByteArray("\xB9\x9C\x9F")
                         << QByteArray("\xB9\x9C\x9F") << QByteArray("\xB1\xB6\xBC");
    QTest::newRow("all eighteen letters") << PolishIso << PolishCp1250 << PolishCp1250 << PolishIso;
    // ± read or written as CP-1250 turns into ą: the map does not know which code page it sees.
    QTest::newRow("plus-minus five") << QByteArray("\xB1"
                                                   "5")
                                     << QByteArray("\xB9"
                                                   "5")
                                     << QByteArray("\xB9"
                                                   "5")
                                     << QByteArray("\xB1"
                                                   "5");
    QTest::newRow("Ł is the same in both")
        << QByteArray("\xA3") << QByteArray("\xA3") << QByteArray("\xA3") << QByteArray("\xA3");
    // Š, Ť, Ž differ between the two code pages but are not Polish: left alone.
    QTest::newRow("non-Polish letters left alone")
        << QByteArray("\xA9\xAB\xAE") << QByteArray("\x8A\x8D\x8E") << QByteArray("\xA9\xAB\xAE")
        << QByteArray("\x8A\x8D\x8E");
}

void TestCodePages::polishLetterMaps()
{
    QFETCH(QByteArray, iso);
    QFETCH(QByteArray, cp1250);
    QFETCH(QByteArray, isoToCp1250);
    QFETCH(QByteArray, cp1250ToIso);
    QCOMPARE(IsoToCp1250(iso), isoToCp1250);
    QCOMPARE(Cp1250ToIso(cp1250), cp1250ToIso);
}

void TestCodePages::cp1250ToWide_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("zażółć") << QByteArray("\x7A\x61\xBF\xF3\xB3\xE6") << u"zażółć"_qs;
    QTest::newRow("Ą") << QByteArray("\xA5") << u"Ą"_qs;
    QTest::newRow("euro") << QByteArray("\x80") << u"€"_qs;
    QTest::newRow("all eighteen letters") << PolishCp1250 << PolishLetters;
    QTest::newRow("unassigned bytes") << QByteArray("\x81\x83\x88\x90\x98")
                                      << QString::fromUtf16(u"\u0081\u0083\u0088\u0090\u0098");
    QTest::newRow("nul and controls")
        << bytesOf("\0\t\x7F") << QString::fromUtf16(u"\u0000\t\u007F", 3);
}

void TestCodePages::cp1250ToWide()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Cp1250ToWide(bytes), text);
}

void TestCodePages::wideToCp1250_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("zażółć") << u"zażółć"_qs << QByteArray("\x7A\x61\xBF\xF3\xB3\xE6");
    QTest::newRow("all eighteen letters") << PolishLetters << PolishCp1250;
    QTest::newRow("typographic marks") << u"„cytat” – €…"_qs
                                       << QByteArray("\x84"
                                                     "cytat\x94 \x96 \x80\x85");
    QTest::newRow("unassigned bytes' characters")
        << QString::fromUtf16(u"\u0081\u0098") << QByteArray("\x81\x98");
    QTest::newRow("best fit: caron dropped") << u"ǎǍ"_qs << QByteArray("aA");
    QTest::newRow("best fit: two diacritics, one kept") << u"Ấ"_qs << QByteArray("\xC2");
    QTest::newRow("best fit: Ångström sign") << u"Å"_qs << QByteArray("A");
    QTest::newRow("no decomposition") << u"øØ"_qs << QByteArray("??");
    QTest::newRow("arrow") << u"a→b"_qs << QByteArray("a?b");
    QTest::newRow("not a letter under the stroke") << u"≠"_qs << QByteArray("?");
    QTest::newRow("cyrillic") << u"Жй"_qs << QByteArray("??");
    QTest::newRow("emoji is one character") << u"<😀>"_qs << QByteArray("<?>");
    QTest::newRow("lone surrogates") << QString::fromUtf16(u"\xD83D"
                                                           "a\xDE00",
                                                           3)
                                     << QByteArray("?a?");
}

void TestCodePages::wideToCp1250()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(WideToCp1250(text), bytes);
}

void TestCodePages::tableMatchesGoldenFile()
{
    // Each byte and its character, as listed by the reference table in tests/data.
    QFile golden(QStringLiteral(TAGOMIR_TEST_DATA "/windows-1250.txt"));
    QVERIFY(golden.open(QIODevice::ReadOnly));
    const QString text = Cp1250ToWide(allBytes());
    QByteArray listing;
    for (int b = 0; b < 256; ++b)
        listing += QString::asprintf("%02X %04X\n", b, text[b].unicode()).toLatin1();
    QCOMPARE(listing, golden.readAll());
}

void TestCodePages::everyByteRoundTrips()
{
    const QByteArray bytes = allBytes();
    const QString text = Cp1250ToWide(bytes);
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
    QCOMPARE(WideToCp1250(text), bytes);
    QCOMPARE(Cp1250ToIso(IsoToCp1250(PolishIso)), PolishIso);
}

QTEST_APPLESS_MAIN(TestCodePages)
#include "tst_codepages.moc"
