// The spelling items of the Opcje menu and F7 act on the active page's spell checking.
#include "app/SpellingCommands.h"
#include "app/TForm1.h"
#include "document/DocumentPage.h"
#include "editor/SpellChecking.h"
#include "spelling/SpellDictionary.h"
#include "support/ScriptedDesktop.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

class TestSpellingCommands : public QObject {
    Q_OBJECT

    QString marked(TSynMemo* editor, SpellChecking* checking)
    {
        // A change of colouring shows in the next paint.
        QCoreApplication::processEvents();
        if (!QTest::qWaitFor([&] { return !checking->isCatchingUp(); }, 20000))
            return QStringLiteral("(still checking)");
        QStringList words;
        for (const auto& [start, end] : checking->marks())
            words << QString::fromUtf8(editor->rangeBytes(start, end - start));
        return words.join(u'|');
    }

private slots:
    void menuAndKey()
    {
        if (!SpellDictionary::isInstalled(SpellDictionary::systemFolders(), "pl_PL"))
            QSKIP("The Polish dictionary (hunspell-pl) is not installed.");
        QTemporaryDir dir;
        const QString path = dir.filePath("strona.html");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html lang=\"pl\"><p class=\"tekstt\">Żułw kotaa, color</p></html>");
        file.close();
        ScriptedDesktop desktop;
        TForm1 form(desktop, {}, dir.filePath("Tagomir.dat"));
        form.show();
        form.OpenFileInPage("strona.html", path);
        TSynMemo* editor = form.ActiveEditor();
        SpellChecking* checking =
            form.findChild<SpellingCommands*>()->checkingOf(form.activePage());
        QVERIFY(checking);
        QCOMPARE(marked(editor, checking), "Żułw|kotaa|color");

        auto* options = form.findChild<QMenu*>("mnuOpcje");
        emit options->aboutToShow();
        auto* enabled = form.findChild<QAction*>("mnuPisownia");
        QVERIFY(enabled->isCheckable() && enabled->isChecked());
        QVERIFY(form.findChild<QAction*>("mnuJezykPolski")->isChecked());

        editor->moveCaret(0);
        form.findChild<QAction*>("mnuNastepnyBlad")->trigger();
        QCOMPARE(editor->selectedText(), "Żułw");
        QCOMPARE(form.findChild<QAction*>("mnuNastepnyBlad")->shortcut(), QKeySequence(Qt::Key_F7));

        if (SpellDictionary::isInstalled(SpellDictionary::systemFolders(), "en_US")) {
            form.findChild<QAction*>("mnuJezykAngielski")->trigger();
            QCOMPARE(marked(editor, checking), "Żułw|kotaa");
            QVERIFY(form.findChild<QAction*>("mnuJezykAngielski")->isChecked());
        }
        // Coloured as CSS, a page is not checked unless asked; as HTML again, it is.
        const QString before = marked(editor, checking);
        form.findChild<QAction*>("mnuCss")->trigger();
        QCOMPARE(marked(editor, checking), QString());
        form.findChild<QAction*>("mnuHtm2")->trigger();
        QCOMPARE(marked(editor, checking), before);

        enabled->trigger();
        QVERIFY(!enabled->isChecked());
        QCOMPARE(marked(editor, checking), QString());
        QVERIFY(desktop.errors.isEmpty());
    }
};

QTEST_MAIN(TestSpellingCommands)
#include "tst_spellingcommands.moc"
