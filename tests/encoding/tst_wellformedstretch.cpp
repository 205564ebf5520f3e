#include "encoding/WellFormedStretch.h"
#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Utf8Scan;
using TextLines::FileBreaksOtherThanLf;
using TextLines::TextBreaks;

namespace {

constexpr ScanPath Paths[] = {ScanPath::Scalar, ScanPath::Sse2, ScanPath::Avx2};

// Where the stretch from `from` ends on each available path, as offsets into `bytes`.
template <typename Breaks>
QList<qsizetype> stretchEnds(QByteArrayView bytes, qsizetype from, qsizetype stop)
{
    const auto* const begin = reinterpret_cast<const Byte*>(bytes.data());
    const Byte* const end = begin + bytes.size();
    QList<qsizetype> ends;
    for (const ScanPath path : Paths) {
        if (scanPathAvailable(path))
            ends.append(wellFormedStretchEnd<Breaks>(path, begin + from, begin + stop, end) -
                        begin);
    }
    return ends;
}

template <typename Breaks> bool pathsAgree(QByteArrayView bytes, qsizetype from, qsizetype stop)
{
    const QList<qsizetype> ends = stretchEnds<Breaks>(bytes, from, stop);
    return ends.count(ends.first()) == ends.size();
}

} // namespace

class TestWellFormedStretch : public QObject {
    Q_OBJECT

private slots:
    void stretchEnd_data();
    void stretchEnd();
    void pathsAgreeOnRandomText();
};

void TestWellFormedStretch::stretchEnd_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<qsizetype>("end");

    // Between ASCII, a CR and more ASCII, so that the vector paths meet each case inside a
    // block; `end` is counted in the tail.
    QTest::newRow("clean") << QByteArray("Zażółć gęślą jaźń 😀 €") << qsizetype(35);
    QTest::newRow("cr") << QByteArray("ab\rcd") << qsizetype(2);
    QTest::newRow("nul") << bytesOf("ab\0cd") << qsizetype(2);
    QTest::newRow("lf runs on") << QByteArray("ab\ncd") << qsizetype(5);
    QTest::newRow("lead before cr") << QByteArray("ab\xC5\rcd") << qsizetype(2);
    QTest::newRow("stray continuation") << QByteArray("ab\x80") << qsizetype(2);
    QTest::newRow("overlong two") << QByteArray("ab\xC1\xBF") << qsizetype(2);
    QTest::newRow("overlong three") << QByteArray("ab\xE0\x9F\xBF") << qsizetype(2);
    QTest::newRow("surrogate") << QByteArray("ab\xED\xA0\x80") << qsizetype(2);
    QTest::newRow("overlong four") << QByteArray("ab\xF0\x8F\xBF\xBF") << qsizetype(2);
    QTest::newRow("above U+10FFFF") << QByteArray("ab\xF4\x90\x80\x80") << qsizetype(2);
    QTest::newRow("F5") << QByteArray("ab\xF5\x80\x80\x80") << qsizetype(2);
    QTest::newRow("cut short by a break") << QByteArray("ab\xE2\x82") << qsizetype(2);
    QTest::newRow("cut short by ascii") << QByteArray("ab\xF0\x9F\x98"
                                                      "x")
                                        << qsizetype(2);
    QTest::newRow("one continuation too many") << QByteArray("ab\xC5\xBC\xBC") << qsizetype(4);
}

void TestWellFormedStretch::stretchEnd()
{
    QFETCH(QByteArray, tail);
    QFETCH(qsizetype, end);
    const QByteArray bytes = QByteArray(30, 'a') + tail + '\r' + QByteArray(70, 'b');
    const QList<qsizetype> ends = stretchEnds<FileBreaksOtherThanLf>(bytes, 0, bytes.size());
    QCOMPARE(ends, QList<qsizetype>(ends.size(), 30 + end));
}

void TestWellFormedStretch::pathsAgreeOnRandomText()
{
    // Mostly well-formed text, so that stretches run long, with every kind of flaw and break
    // now and then; at every start, against every stop and at every alignment of the buffer.
    static const QByteArray good[] = {"a", "<p>tekst akapitu</p>", QByteArray(80, 'x'), "ż", "€",
                                      "😀", "\xF4\x8F\xBF\xBF",     "\xED\x9F\xBF",      "\n"};
    static const QByteArray bad[] = {"\r",
                                     "\r\n",
                                     QByteArray(1, '\0'),
                                     "\x80",
                                     "\xC2",
                                     "\xC0\x80",
                                     "\xE0\x80\x80",
                                     "\xED\xA0\x80",
                                     "\xF0\x80\x80\x80",
                                     "\xF4\x90\x80\x80",
                                     "\xF8",
                                     "\xE2\x82",
                                     "\xF0\x9F\x98"};
    QRandomGenerator random(2025);
    for (int round = 0; round < 400; ++round) {
        QByteArray text;
        for (int i = random.bounded(60); i > 0; --i)
            text += random.bounded(40) ? good[random.bounded(int(std::size(good)))]
                                       : bad[random.bounded(int(std::size(bad)))];
        const int shift = random.bounded(64);
        const QByteArray padded = QByteArray(shift, ' ') + text;
        const QByteArrayView bytes = QByteArrayView(padded).sliced(shift);
        for (qsizetype from = 0; from < bytes.size(); from += 1 + random.bounded(8)) {
            for (qsizetype stop = from + 1; stop <= bytes.size(); stop += 1 + random.bounded(40)) {
                QVERIFY(pathsAgree<FileBreaksOtherThanLf>(bytes, from, stop));
                QVERIFY(pathsAgree<TextBreaks>(bytes, from, stop));
                QVERIFY(pathsAgree<NoBreaks>(bytes, from, stop));
            }
            QVERIFY(pathsAgree<FileBreaksOtherThanLf>(bytes, from, bytes.size()));
        }
    }
}

QTEST_APPLESS_MAIN(TestWellFormedStretch)
#include "tst_wellformedstretch.moc"
