// Rewriting a document's charset declaration for another encoding, and finding the characters
// that encoding cannot hold.
#include "encoding/CharsetDeclaration.h"
#include "encoding/Unrepresentable.h"

#include <QTest>

namespace {

const char* const Meta[] = {
    R"(<meta http-equiv=content-type content="text/html; charset=utf-8" >)",
    R"(<meta http-equiv=content-type content="text/html; charset=iso-8859-2" >)",
    R"(<meta http-equiv=content-type content="text/html; charset=windows-1250" >)",
};

// "line:column:code" of each listed character, blank-separated.
QByteArray places(const UnrepresentableReport& report)
{
    QByteArrayList list;
    for (const UnrepresentableCharacter& c : report.first)
        list << QByteArray::number(c.line) + ':' + QByteArray::number(c.column) + ':' +
                    QByteArray::number(uint(c.character), 16);
    return list.join(' ');
}

} // namespace

class TestDeclaration : public QObject {
    Q_OBJECT
private slots:
    void metaLines();
    void rewriteDeclaration_data();
    void rewriteDeclaration();
    void declarationEdit_data();
    void declarationEdit();
    void unrepresentable_data();
    void unrepresentable();
    void question();
};

void TestDeclaration::metaLines()
{
    for (int index = 0; index < 3; ++index)
        QCOMPARE(metaLine(*Encoding::fromIndex(index)), QByteArray(Meta[index]));
    QCOMPARE(metaLine(EncodingUnknown), QByteArray());
}

void TestDeclaration::rewriteDeclaration_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("target");
    QTest::addColumn<QByteArray>("rewritten"); // "-": no declaration to rewrite

    QTest::newRow("own meta line") << QByteArray(Meta[0]) << 1 << QByteArray(Meta[1]);
    QTest::newRow("html5, one-line head")
        << QByteArray("<head><meta charset=\"utf-8\"><title>Żółw</title></head>") << 1
        << QByteArray("<head><meta charset=\"iso-8859-2\"><title>Żółw</title></head>");
    QTest::newRow("style sheet") << QByteArray("@charset \"utf-8\"; body { }") << 2
                                 << QByteArray("@charset \"windows-1250\"; body { }");
    QTest::newRow("php header")
        << QByteArray("<?php header('Content-Type: text/html; charset=utf-8'); ?>") << 1
        << QByteArray("<?php header('Content-Type: text/html; charset=iso-8859-2'); ?>");
    QTest::newRow("capitals") << QByteArray("<META CONTENT=\"text/html; CHARSET=ISO-8859-2\">") << 0
                              << QByteArray("<META CONTENT=\"text/html; CHARSET=utf-8\">");
    QTest::newRow("blanks, single quotes") << QByteArray("  charset = 'iso-8859-2' >") << 2
                                           << QByteArray("  charset = 'windows-1250' >");
    QTest::newRow("other encoding")
        << QByteArray("charset=koi8-r;") << 2 << QByteArray("charset=windows-1250;");
    QTest::newRow("two declarations") << QByteArray("charset=iso-8859-2 charset=utf-8") << 2
                                      << QByteArray("charset=windows-1250 charset=windows-1250");
    QTest::newRow("mention first, then value")
        << QByteArray("<!-- charset --> <meta charset=utf-8>") << 1
        << QByteArray("<!-- charset --> <meta charset=iso-8859-2>");
    QTest::newRow("comment only") << QByteArray("/* charset is set below */") << 1
                                  << QByteArray("-");
    QTest::newRow("Nieznany is no target") << QByteArray("charset=utf-8") << 3 << QByteArray("-");
}

void TestDeclaration::rewriteDeclaration()
{
    QFETCH(QByteArray, line);
    QFETCH(int, target);
    QFETCH(QByteArray, rewritten);
    QCOMPARE(::rewriteDeclaration(line, *Encoding::fromIndex(target)).value_or("-"), rewritten);
}

void TestDeclaration::declarationEdit_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("insert");
    QTest::addColumn<int>("lineBreak");
    QTest::addColumn<QByteArray>("result"); // M stands for the ISO-8859-2 meta line

    const int lf = int(LineBreak::Lf);
    QTest::newRow("declaration on the last line")
        << QByteArray("1\n2\n3\n4\n5\n<meta charset='utf-8'>") << true << lf
        << QByteArray("1\n2\n3\n4\n5\n<meta charset='iso-8859-2'>");
    QTest::newRow("own meta line at 5") << QByteArray("1\n2\n3\n4\n5\n") + Meta[2] + "\n7" << true
                                        << lf << QByteArray("1\n2\n3\n4\n5\nM\n7");
    QTest::newRow("mention without value") << QByteArray("a\n<!-- charset -->\nb") << false << lf
                                           << QByteArray("a\nM\n<!-- charset -->\nb");
    QTest::newRow("none: fourth line")
        << QByteArray("1\n2\n3\n4\n5") << true << lf << QByteArray("1\n2\n3\nM\n4\n5");
    QTest::newRow("none: empty last line is the fourth")
        << QByteArray("1\n2\n3\n") << true << lf << QByteArray("1\n2\n3\nM\n");
    QTest::newRow("none: empty text") << QByteArray() << true << lf << QByteArray("M");
    QTest::newRow("none: CR LF") << QByteArray("1\r\n2\r3\n4") << true << int(LineBreak::CrLf)
                                 << QByteArray("1\r\n2\r3\nM\r\n4");
    QTest::newRow("none, not asked")
        << QByteArray("1\n2\n3\n4") << false << lf << QByteArray("1\n2\n3\n4");
}

void TestDeclaration::declarationEdit()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, insert);
    QFETCH(int, lineBreak);
    QFETCH(QByteArray, result);
    const auto edit = ::declarationEdit(text, EncodingIso88592, insert, LineBreak(lineBreak));
    QCOMPARE(edit ? applyTextEdit(text, *edit) : text, result.replace('M', Meta[1]));
}

void TestDeclaration::unrepresentable_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("form");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("places");
    QTest::addColumn<QByteArray>("references");
    QTest::addColumn<QByteArray>("similar");

    const QByteArray polish = "zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ";
    for (EncodingIndex form : {EncodingIso88592, EncodingCp1250, EncodingUnknown})
        QTest::addRow("Polish letters, form %d", int(form))
            << polish << int(form) << 0 << QByteArray() << polish << polish;
    const QByteArray marks = "a → b\n€ „x” – y…";
    QTest::newRow("ISO-8859-2 lacks windows-1250's marks")
        << marks << int(EncodingIso88592) << 6
        << QByteArray("1:3:2192 2:1:20ac 2:3:201e 2:5:201d 2:7:2013")
        << QByteArray("a &#8594; b\n&#8364; &#8222;x&#8221; &#8211; y&#8230;")
        << QByteArray("a ? b\nEUR \"x\" - y...");
    QTest::newRow("windows-1250 has them")
        << marks << int(EncodingCp1250) << 1 << QByteArray("1:3:2192")
        << QByteArray("a &#8594; b\n€ „x” – y…") << QByteArray("a ? b\n€ „x” – y…");
    QTest::newRow("Š sits elsewhere in ISO-8859-2")
        << QByteArray("Šla") << int(EncodingIso88592) << 1 << QByteArray("1:1:160")
        << QByteArray("&#352;la") << QByteArray("Sla");
    QTest::newRow("other scripts and letters")
        << QByteArray("Жπ ñø ﬁ™") << int(EncodingIso88592) << 6
        << QByteArray("1:1:416 1:2:3c0 1:4:f1 1:5:f8 1:7:fb01")
        << QByteArray("&#1046;&#960; &#241;&#248; &#64257;&#8482;") << QByteArray("?? n? fiTM");
    QTest::newRow("bytes the writer turns into letters")
        << QByteArray("±¬Ľ") << int(EncodingCp1250) << 3 << QByteArray("1:1:b1 1:2:ac 1:3:13d")
        << QByteArray("&#177;&#172;&#317;") << QByteArray("+/-?L");
    QTest::newRow("undeclared reads them as letters")
        << QByteArray("x ±") << int(EncodingUnknown) << 1 << QByteArray("1:3:b1")
        << QByteArray("x &#177;") << QByteArray("x +/-");
    QTest::newRow("emoji, CR LF and columns in characters")
        << QByteArray("ąą\r\nżż😀\rx\xff") << int(EncodingCp1250) << 2
        << QByteArray("2:3:1f600 3:2:fffd") << QByteArray("ąą\r\nżż&#128512;\rx&#65533;")
        << QByteArray("ąą\r\nżż?\rx?");
    // As the writers read it: a sequence cut short is one U+FFFD, the "(" after it a character.
    QTest::newRow("malformed bytes, one for each maximal subpart")
        << QByteArray("\xE2\x82(\xC3") << int(EncodingIso88592) << 2
        << QByteArray("1:1:fffd 1:3:fffd") << QByteArray("&#65533;(&#65533;") << QByteArray("?(?");
    QTest::newRow("UTF-8 holds everything")
        << QByteArray("→😀Ж") << int(EncodingUtf8) << 0 << QByteArray() << QByteArray("→😀Ж")
        << QByteArray("→😀Ж");
}

void TestDeclaration::unrepresentable()
{
    QFETCH(QByteArray, text);
    QFETCH(int, form);
    QFETCH(int, count);
    QFETCH(QByteArray, places);
    QFETCH(QByteArray, references);
    QFETCH(QByteArray, similar);
    const UnrepresentableReport report = findUnrepresentable(text, *Encoding::fromIndex(form));
    QCOMPARE(report.count, qsizetype(count));
    QCOMPARE(::places(report), places);
    QCOMPARE(withCharacterReferences(text, *Encoding::fromIndex(form)), references);
    QCOMPARE(withSimilarCharacters(text, *Encoding::fromIndex(form)), similar);
    // Written either way, the text needs no question any more.
    QCOMPARE(findUnrepresentable(references, *Encoding::fromIndex(form)).count, qsizetype(0));
    QCOMPARE(findUnrepresentable(similar, *Encoding::fromIndex(form)).count, qsizetype(0));
}

void TestDeclaration::question()
{
    const QByteArray text = "a\n→→€\n\x01";
    QCOMPARE(unrepresentableQuestion("a.htm", EncodingIso88592,
                                     findUnrepresentable(text, EncodingIso88592, 2)),
             QStringLiteral("Dokument \"a.htm\" zawiera 3 znaki, których nie obejmuje kodowanie, "
                            "w jakim zostanie zapisany (ISO-8859-2):\r"
                            "    2:1  „→” (U+2192)\r"
                            "    2:2  „→” (U+2192)\r"
                            "    …i jeszcze 1\r\r"
                            "Odwołania HTML: zapisze je jako &#8594; itp.; przeglądarka pokaże "
                            "te same znaki.\rZamień: zapisze w ich miejscu podobne litery lub "
                            "„?”; tych znaków nie da się potem odzyskać.\rAnuluj: niczego nie "
                            "zapisze."));
}

QTEST_GUILESS_MAIN(TestDeclaration)
#include "tst_declaration.moc"
