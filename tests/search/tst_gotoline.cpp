// Go to line: what the box accepts, the range it shows, and where the caret lands.
#include "editor/TSynMemo.h"
#include "search/LinePlace.h"

#include <QTest>

class TestGoToLine : public QObject {
    Q_OBJECT
private slots:
    void parsing_data();
    void parsing();
    void rangeText();
    void caretLandsThere_data();
    void caretLandsThere();
};

void TestGoToLine::parsing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("place"); // "line:column", or "-" for none
    const char* const rows[][2] = {
        {"120", "120:0"},
        {" 120 ", "120:0"},
        {"120:15", "120:15"},
        {"120 : 15", "120:15"},
        {"1", "1:0"},
        {"0", "-"},
        {"", "-"},
        {"-5", "-"},
        {"12a", "-"},
        {"1:2:3", "-"},
        {"5:", "-"},
        {":5", "-"},
        {"5:0", "-"},
        {"+5", "-"},
        {"99999999999999999999", "-"},
    };
    for (const auto& [text, place] : rows)
        QTest::newRow(text) << QString(text) << QString(place);
}

void TestGoToLine::parsing()
{
    QFETCH(QString, text);
    QFETCH(QString, place);
    const auto parsed = parseLinePlace(text);
    QCOMPARE(parsed ? QStringLiteral("%1:%2").arg(parsed->line).arg(parsed->column)
                    : QStringLiteral("-"),
             place);
}

void TestGoToLine::rangeText()
{
    const QString nbsp(QChar(0x00A0));
    QCOMPARE(lineRangeText(48213), "1–48" + nbsp + "213");
    QCOMPARE(lineRangeText(1234567), "1–1" + nbsp + "234" + nbsp + "567");
    QCOMPARE(lineRangeText(999), "1–999");
    QCOMPARE(lineRangeText(0), "1–1");
}

void TestGoToLine::caretLandsThere_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("caret"); // line:column after going
    QTest::newRow("line") << 150 << 0 << "150:1";
    QTest::newRow("column in characters") << 3 << 4 << "3:4";
    QTest::newRow("column past the end") << 3 << 99 << "3:6";
    QTest::newRow("line past the end") << 900 << 0 << "300:1";
}

void TestGoToLine::caretLandsThere()
{
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(QString, caret);
    TSynMemo editor;
    editor.resize(400, 200);
    QByteArray text;
    for (int n = 1; n <= 300; ++n)
        text += n == 3 ? "żółćx\n" : "line " + QByteArray::number(n) + "\n";
    text.chop(1);
    editor.setDocumentText(text);
    editor.show();
    const LinePlace place = nearestPlace({line, column}, editor.lineCount());
    editor.goToPlace(place.line, place.column);
    QCOMPARE(QStringLiteral("%1:%2").arg(editor.caretLine()).arg(editor.caretColumn()), caret);
    const long top = editor.firstShownLine();
    QVERIFY(top <= editor.caretLine());
    QVERIFY(editor.caretLine() < top + 20); // the editor shows fewer lines than that
}

QTEST_MAIN(TestGoToLine)
#include "tst_gotoline.moc"
