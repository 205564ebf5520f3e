// Spell checking as a page's author meets it: a real editor coloured by the program's lexers,
// checked with the installed Hunspell dictionaries, the words marked read back from the editor.
#include "common/CommandError.h"
#include "editor/Highlighters.h"
#include "editor/SpellChecking.h"
#include "editor/SpellService.h"
#include "editor/TSynMemo.h"
#include "spelling/PersonalWords.h"
#include "spelling/SpellDictionary.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QTest>

namespace {

const QStringList Folders = SpellDictionary::systemFolders();

bool guarded(const std::function<void()>& work)
{
    work();
    return true;
}

} // namespace

class TestSpelling : public QObject {
    Q_OBJECT

    Highlighters m_highlighters{QFontDatabase::systemFont(QFontDatabase::FixedFont)};
    QTemporaryDir m_config;
    std::unique_ptr<SpellService> m_service;

    // The marked words of `text` shown as `language` ("" for none), joined by '|'.
    QString marked(TSynMemo& editor, SpellChecking& checking)
    {
        if (!QTest::qWaitFor([&] { return !checking.isCatchingUp(); }, 20000))
            return QStringLiteral("(still checking)");
        QStringList words;
        for (const auto& [start, end] : checking.marks())
            words << QString::fromUtf8(editor.rangeBytes(start, end - start));
        return words.join(u'|');
    }

private slots:
    void initTestCase()
    {
        if (!SpellDictionary::isInstalled(Folders, QStringLiteral("pl_PL")))
            QSKIP("The Polish dictionary (hunspell-pl) is not installed.");
        m_service = std::make_unique<SpellService>(
            Folders, m_config.filePath(QStringLiteral("slownik.txt")), guarded);
    }

    void marks_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("language"); // -1: no colouring
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        const int html = int(Language::Html);
        QTest::newRow("text between tags only")
            << "a.html" << html
            << QByteArray("<div class=\"kontener\"><p>Ala ma kota i <b>psaa</b>.</p></div>")
            << "psaa";
        QTest::newRow("attributes read by visitors")
            << "a.html" << html
            << QByteArray("<img src=\"zdjecie.jpg\" alt=\"Zdjęcie kotaa\" title=\"Tytół\" "
                          "data-x=\"bzdurra\">\n<input placeholder=\"Wpisz imięę\">")
            << "kotaa|Tytół|imięę";
        QTest::newRow("meta description, not keywords")
            << "a.html" << html
            << QByteArray("<meta name=\"keywords\" content=\"slowoo\">\n"
                          "<meta content=\"Opis strony o kotachh\" name=\"description\">")
            << "kotachh";
        QTest::newRow("entities as the reader sees them")
            << "a.html" << html
            << QByteArray("<p>ma&shy;szyna g&oacute;ra kr&oacute;lewsa ma&shy;szna &amp;c</p>")
            << "kr&oacute;lewsa|ma&shy;szna";
        QTest::newRow("addresses, numbers, capitals")
            << "a.html" << html
            << QByteArray("<p>Pisz na jan.kowalski@example.pl lub https://przyklad.pl/strona "
                          "albo www.domena.pl, plik index.html, HTML5 i CSS w 2024r. tekstt</p>")
            << "tekstt";
        QTest::newRow("comments, CSS and scripts are not read")
            << "a.html" << html
            << QByteArray("<!-- komentaż -->\n<style>\np { colr: red; }\n</style>\n"
                          "<script>var zmiena = 'napisz';</script>\n<p>Dobrze błendnie</p>")
            << "błendnie";
        QTest::newRow("PHP code is not read")
            << "a.php" << int(Language::Php)
            << QByteArray("<?php echo $zmiena; // komentaż\n$x = \"napiss\"; ?>\n<p>Witaj "
                          "śwecie</p>")
            << "śwecie";
        QTest::newRow("other scripts are not Polish mistakes")
            << "a.html" << html << QByteArray("<p>Привет мир, Καλημέρα, żółw i żułw</p>") << "żułw";
        QTest::newRow("a word of 10,000 letters is left alone")
            << "a.html" << html << QByteArray("<p>") + QByteArray(10000, 'a') + " kott</p>"
            << "kott";
        QTest::newRow("lang switches the dictionary")
            << "a.html" << html
            << QByteArray("<html lang=\"en-GB\"><body><p>The quick brwn fox, szybki</p>")
            << "brwn|szybki";
        QTest::newRow("plain text: everything")
            << "a.txt" << html << QByteArray("<p>Zwykły tekts</p> &oacute;") << "tekts|oacute";
        QTest::newRow("a page without colouring is read whole")
            << "" << -1 << QByteArray("Nowa strnoa") << "strnoa";
        QTest::newRow("CSS is not checked by default")
            << "a.css" << int(Language::Css) << QByteArray("/* komentaż */ p { color: red; }")
            << "";
    }

    void marks()
    {
        QFETCH(QString, file);
        QFETCH(int, language);
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        if (expected.contains(u"brwn") &&
            !SpellDictionary::isInstalled(Folders, QStringLiteral("en_US")))
            QSKIP("The English dictionary (hunspell-en-us) is not installed.");
        TSynMemo editor;
        editor.setDocumentPath(file);
        if (language >= 0)
            editor.setLexer(m_highlighters.lexer(Language(language)));
        SpellChecking checking(&editor, *m_service);
        editor.setDocumentText(text);
        QCOMPARE(marked(editor, checking), expected);
    }

    void suggestions_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("correction");
        QTest::newRow("ż-ó") << "żułw"
                             << "żółw";
        QTest::newRow("wziąć") << "wziąść"
                               << "wziąć";
        QTest::newRow("together") << "wogóle"
                                  << "w ogóle";
    }

    // The context menu on a marked word offers corrections above its items; one fixes it.
    void suggestions()
    {
        QFETCH(QString, word);
        QFETCH(QString, correction);
        TSynMemo editor;
        editor.setLexer(m_highlighters.lexer(Language::Html));
        editor.setDocumentPath(QStringLiteral("a.html"));
        QMenu menu;
        menu.addAction(QStringLiteral("Cofnij"));
        editor.setPopupMenu(&menu);
        SpellChecking checking(&editor, *m_service);
        editor.setDocumentText("<p>Mały " + word.toUtf8() + " idzie</p>");
        QCOMPARE(marked(editor, checking), word);
        editor.moveCaret(12);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1));
        QApplication::sendEvent(editor.widget(), &event);
        menu.hide();
        QStringList captions;
        for (QAction* action : menu.actions())
            captions << action->text();
        QVERIFY2(captions.indexOf(correction) >= 0 &&
                     captions.indexOf(correction) < captions.indexOf("Dodaj do słownika"),
                 qPrintable(captions.join(u'|')));
        QCOMPARE(captions.mid(captions.indexOf("Dodaj do słownika")),
                 QStringList({"Dodaj do słownika", "Ignoruj w tym dokumencie", "", "Cofnij"}));
        menu.actions().at(captions.indexOf(correction))->trigger();
        QCOMPARE(editor.textBytes(), "<p>Mały " + correction.toUtf8() + " idzie</p>");
        QCOMPARE(marked(editor, checking), QString());
    }

    // A word added to the personal list is kept (UTF-8, one a line, lines it could not read kept
    // as they were) and unmarked everywhere; an ignored one only in its own document.
    void personalListAndIgnoring()
    {
        QTemporaryDir folder;
        const QString list = folder.filePath(QStringLiteral("slownik.txt"));
        QFile damaged(list);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("Tagomirek\n\xff\xfe zepsute\nkotaa");
        damaged.close();
        SpellService service(Folders, list, guarded);
        TSynMemo first;
        TSynMemo second;
        SpellChecking firstChecking(&first, service);
        SpellChecking secondChecking(&second, service);
        first.setDocumentText("Tagomirek kotaa psaa żułw");
        second.setDocumentText("psaa żułw");
        QCOMPARE(marked(first, firstChecking), "psaa|żułw");
        service.addPersonalWord(QStringLiteral("żułw"));
        QCOMPARE(marked(first, firstChecking), "psaa");
        QCOMPARE(marked(second, secondChecking), "psaa");
        QFile written(list);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), "Tagomirek\n\xff\xfe zepsute\nkotaa\nżułw\n");

        first.setDocumentText("psaa");
        QCOMPARE(marked(first, firstChecking), "psaa");
        first.moveCaret(1);
        QMenu menu;
        first.setPopupMenu(&menu);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1));
        QApplication::sendEvent(first.widget(), &event);
        menu.hide();
        menu.findChild<QAction*>(QStringLiteral("pupIgnoruj"))->trigger();
        QCOMPARE(marked(first, firstChecking), QString());
        second.setDocumentText("psaa");
        QCOMPARE(marked(second, secondChecking), "psaa");
    }

    // A list too large to read whole is never rewritten: the word added is kept for the
    // session and the user told.
    void hugePersonalList()
    {
        QTemporaryDir folder;
        const QString list = folder.filePath(QStringLiteral("slownik.txt"));
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray huge = "kotaa\n" + QByteArray(MaxPersonalListBytes, 'x') + "\npsaa\n";
        file.write(huge);
        file.close();
        QString shown;
        SpellService service(Folders, list, [&](const std::function<void()>& work) {
            try {
                work();
            } catch (const CommandError& error) {
                shown = error.message();
            }
            return shown.isEmpty();
        });
        QVERIFY(service.isPersonalWord(QStringLiteral("kotaa")));
        service.addPersonalWord(QStringLiteral("żułw"));
        QVERIFY(service.isPersonalWord(QStringLiteral("żułw")));
        QVERIFY(shown.contains(list));
        QVERIFY(!service.problem().isEmpty());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == huge);
    }

    // Without a dictionary nothing is marked, nothing waits, and the reason is one line.
    void noDictionary()
    {
        QTemporaryDir empty;
        SpellService service({empty.path()}, empty.filePath(QStringLiteral("s.txt")), guarded);
        TSynMemo editor;
        SpellChecking checking(&editor, service);
        editor.setDocumentText("psaa kotaa");
        QCOMPARE(marked(editor, checking), QString());
        QVERIFY(service.problem().contains(QLatin1String("hunspell-pl")));
        QVERIFY(!service.problem().contains(u'\n'));
    }

    // F7 goes from the caret to the next marked word, then round to the first.
    void nextMistake()
    {
        TSynMemo editor;
        SpellChecking checking(&editor, *m_service);
        editor.setDocumentText("psaa dobrze kotaa");
        QCOMPARE(marked(editor, checking), "psaa|kotaa");
        editor.moveCaret(3);
        QVERIFY(checking.selectNextMistake());
        QCOMPARE(editor.selectedText(), "kotaa");
        QVERIFY(checking.selectNextMistake());
        QCOMPARE(editor.selectedText(), "psaa");
        checking.setEnabled(false);
        QCOMPARE(marked(editor, checking), QString());
        QVERIFY(!checking.selectNextMistake());
    }
};

QTEST_MAIN(TestSpelling)
#include "tst_spelling.moc"
