// The words a reader sees in text the colouring calls text between tags: how they are split, what
// entities they are spelt with, and which bytes of the page each one came from.
#include "spelling/SpellText.h"

#include <QTest>

class TestSpellText : public QObject {
    Q_OBJECT

private slots:
    void words_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected"); // start-end:word, space-separated
        QTest::newRow("Polish letters") << QByteArray("Żółw pływa.") << "0-7:Żółw 8-14:pływa";
        QTest::newRow("soft hyphen joins, entity spells")
            << QByteArray("ma&shy;szyna g&oacute;ra &#x17C;&#243;&#322;w")
            << "0-12:maszyna 13-24:góra 25-45:żółw";
        QTest::newRow("unknown entity and a lone ampersand separate")
            << QByteArray("kot&foo;pies Tom & Jerry") << "0-3:kot 8-12:pies 13-16:Tom 19-24:Jerry";
        QTest::newRow("apostrophes and hyphens")
            << QByteArray("don't biało-czerwona 'cytat'")
            << "0-5:don't 6-12:biało 13-21:czerwona 23-28:cytat";
        QTest::newRow("addresses, files, digits, capitals left out")
            << QByteArray("jan@x.pl http://a.pl/b www.b.pl index.html a/b mp3 3D HTML NATO") << "";
        QTest::newRow("other scripts left out")
            << QByteArray("Привет Καλημέρα żółw") << "30-37:żółw";
        QTest::newRow("a word of 10,000 letters left out") << QByteArray(10000, 'a') + " kot"
                                                           << "10001-10004:kot";
    }

    void words()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        const QByteArray roles(text.size(), char(TextRole::Text));
        QStringList found;
        for (const SpellWord& word : readerWords(text, roles, {true, false, false}))
            found << QStringLiteral("%1-%2:%3").arg(word.start).arg(word.end).arg(word.word);
        QCOMPARE(found.join(u' '), expected);
    }

    void pageLanguage_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("language");
        QTest::newRow("pl") << QByteArray("<!DOCTYPE html>\n<html lang=\"pl\">") << "pl";
        QTest::newRow("region, case") << QByteArray("<HTML dir=ltr LANG='en-GB'>") << "en";
        QTest::newRow("xml:lang only in another tag")
            << QByteArray("<html><body lang=\"en\">") << "";
        QTest::newRow("no html tag") << QByteArray("<p lang=\"en\">") << "";
    }

    void pageLanguage()
    {
        QFETCH(QByteArray, page);
        QFETCH(QString, language);
        QCOMPARE(::pageLanguage(page), language);
    }
};

QTEST_MAIN(TestSpellText)
#include "tst_spelltext.moc"
