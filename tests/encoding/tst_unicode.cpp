#include "support/ReferenceConversions.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

#include <memory>

namespace {

QString units(std::initializer_list<char16_t> list)
{
    QString text;
    for (const char16_t unit : list)
        text += QChar(unit);
    return text;
}

} // namespace

class TestUnicode : public QObject {
    Q_OBJECT

private slots:
    void wideToUtf8_data();
    void wideToUtf8();
    void utf8ToWide_data();
    void utf8ToWide();
    void longLineKeepsEveryCharacter();
    void validUtf8RoundTrips();
    void randomBytesStayInBounds();
};

void TestUnicode::wideToUtf8_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("utf8");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii") << u"<p>"_qs << QByteArray("<p>");
    QTest::newRow("zażółć") << u"zażółć"_qs
                            << QByteArray("\x7A\x61\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87");
    QTest::newRow("Ą") << u"Ą"_qs << QByteArray("\xC4\x84");
    QTest::newRow("euro") << u"€"_qs << QByteArray("\xE2\x82\xAC");
    QTest::newRow("nul") << units({0}) << QByteArray(1, '\0');
    QTest::newRow("two-byte bounds") << units({0x80, 0x7FF}) << QByteArray("\xC2\x80\xDF\xBF");
    QTest::newRow("three-byte bounds")
        << units({0x800, 0xFFFF}) << QByteArray("\xE0\xA0\x80\xEF\xBF\xBF");
    QTest::newRow("byte-order mark") << units({0xFEFF, 'a'})
                                     << QByteArray("\xEF\xBB\xBF"
                                                   "a");
    QTest::newRow("surrogate pair") << u"😀"_qs << QByteArray("\xF0\x9F\x98\x80");
    QTest::newRow("highest code point")
        << units({0xDBFF, 0xDFFF}) << QByteArray("\xF4\x8F\xBF\xBF");
    QTest::newRow("lone high at end") << units({'a', 0xD83D}) << QByteArray("a\xEF\xBF\xBD");
    QTest::newRow("lone high before ascii") << units({0xD83D, 'a'})
                                            << QByteArray("\xEF\xBF\xBD"
                                                          "a");
    QTest::newRow("lone low") << units({0xDE00, 'a'})
                              << QByteArray("\xEF\xBF\xBD"
                                            "a");
    QTest::newRow("high, then a pair")
        << units({0xD83D, 0xD83D, 0xDE00}) << QByteArray("\xEF\xBF\xBD\xF0\x9F\x98\x80");
    QTest::newRow("reversed pair")
        << units({0xDE00, 0xD83D}) << QByteArray("\xEF\xBF\xBD\xEF\xBF\xBD");
}

void TestUnicode::wideToUtf8()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, utf8);
    QCOMPARE(WideToUtf8(text), utf8);
}

void TestUnicode::utf8ToWide_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("zażółć") << QByteArray("\x7A\x61\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87")
                            << u"zażółć"_qs;
    QTest::newRow("stray B9") << QByteArray("\xB9") << units({0xFFFD});
    QTest::newRow("stray 80-BF") << QByteArray("\x80\xBF") << units({0xFFFD, 0xFFFD});
    QTest::newRow("byte-order mark kept")
        << QByteArray("\xEF\xBB\xBF<p>") << units({0xFEFF, '<', 'p', '>'});
    QTest::newRow("four bytes to a pair") << QByteArray("\xF0\x9F\x98\x80") << u"😀"_qs;
    QTest::newRow("above U+10FFFF")
        << QByteArray("\xF4\x90\x80\x80") << units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD});
    QTest::newRow("F7 starts nothing") << QByteArray("\xF7\xBF\xBF\xBF"
                                                     "a")
                                       << units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 'a'});
    QTest::newRow("cut short: two-byte lead") << QByteArray("a\xC5") << units({'a', 0xFFFD});
    QTest::newRow("cut short: three-byte lead") << QByteArray("\xE2\x82") << units({0xFFFD});
    QTest::newRow("cut short: four-byte lead") << QByteArray("\xF0\x9F\x98"
                                                             "a")
                                               << units({0xFFFD, 'a'});
    QTest::newRow("lone FF") << QByteArray("\xFF") << units({0xFFFD});
    QTest::newRow("FF before four bytes") << QByteArray("\xFF"
                                                        "abcd")
                                          << units({0xFFFD, 'a', 'b', 'c', 'd'});
    // A byte that cannot continue the sequence is read afresh.
    QTest::newRow("continuation checked") << QByteArray("\xC5\x41") << units({0xFFFD, 'A'});
    QTest::newRow("newline after a lead") << QByteArray("\xC5\n"
                                                        "a")
                                          << units({0xFFFD, '\n', 'a'});
    QTest::newRow("overlong nul") << QByteArray("\xC0\x80") << units({0xFFFD, 0xFFFD});
    QTest::newRow("encoded surrogate")
        << QByteArray("\xED\xA0\x80") << units({0xFFFD, 0xFFFD, 0xFFFD});
    QTest::newRow("five-byte form")
        << QByteArray("\xF8\x80\x80\x80\xC1") << units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD});
    QTest::newRow("E0 overlong, then a real three-byte")
        << QByteArray("\xE0\x9F\xBF\xE2\x82\xAC") << units({0xFFFD, 0xFFFD, 0xFFFD, 0x20AC});
}

void TestUnicode::utf8ToWide()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Utf8ToWide(bytes), text);
}

void TestUnicode::longLineKeepsEveryCharacter()
{
    // Lines past 65535 units or bytes are converted whole.
    const QString text = QString(70000, u'ż') + u"😀"_qs;
    const QByteArray utf8 = WideToUtf8(text);
    QCOMPARE(utf8.size(), 140004);
    QCOMPARE(utf8.right(4), QByteArray("\xF0\x9F\x98\x80"));
    QCOMPARE(Utf8ToWide(utf8), text);
}

void TestUnicode::validUtf8RoundTrips()
{
    // On well-formed input the decoder agrees with Qt's, and encoding undoes it.
    QRandomGenerator random(1250);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = random.bounded(20);
        for (int i = 0; i < length; ++i) {
            char32_t c;
            do {
                const int plane = random.bounded(4);
                c = plane == 0   ? random.bounded(0x80)
                    : plane == 1 ? random.bounded(0x800)
                    : plane == 2 ? random.bounded(0x10000)
                                 : random.bounded(0x10000, 0x110000);
            } while (c >= 0xD800 && c <= 0xDFFF);
            text += QString::fromUcs4(&c, 1);
        }
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(Utf8ToWide(utf8), text);
        QCOMPARE(WideToUtf8(text), utf8);
    }
}

void TestUnicode::randomBytesStayInBounds()
{
    // Arbitrary bytes in an exactly sized buffer: under AddressSanitizer any read past the end
    // fails here. Every result is at most one unit per byte and encodes to valid UTF-8.
    QRandomGenerator random(88592);
    for (int round = 0; round < 5000; ++round) {
        const int size = random.bounded(12);
        auto buffer = std::make_unique<char[]>(size);
        for (int i = 0; i < size; ++i)
            buffer[i] = char(random.bounded(0x100) | (random.bounded(2) ? 0x80 : 0));
        const QByteArrayView bytes(buffer.get(), size);
        const QString text = Utf8ToWide(bytes);
        QVERIFY(text.size() <= size);
        QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                        QStringDecoder::Flag::ConvertInitialBom);
        const QString reread = strict(WideToUtf8(text));
        QVERIFY2(!strict.hasError(), bytes.toByteArray().toHex(' ').constData());
    }
}

QTEST_APPLESS_MAIN(TestUnicode)
#include "tst_unicode.moc"
