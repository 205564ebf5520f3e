// "Szukaj w plikach..." and "Zamień w plikach..." from the menu: the dialog, the results panel
// filled by the worker, a match opened in a page, and a replacement previewed, made (a page
// open in the editor changed in the page) and undone from the panel.
#include "app/TForm1.h"
#include "search/FindResultsPanel.h"
#include "support/ComponentAccess.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDirIterator>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

const QString Data = QStringLiteral(TAGOMIR_TEST_DATA "/find-site");

// Runs `trigger`; each time a dialog shows, the next of `acts` gets it and must close it.
void whileOpen(QList<std::function<void(QDialog*)>> acts, const std::function<void()>& trigger)
{
    QTimer poll;
    QPointer<QDialog> last;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog != last && !acts.isEmpty()) {
            last = dialog;
            acts.takeFirst()(dialog);
        }
    });
    poll.start(0);
    trigger();
    poll.stop();
}

void fill(QDialog* dialog, const QString& text, const QString& folder, bool word,
          const QString& replacement = {})
{
    dialog->findChild<QComboBox*>("FindText")->setEditText(text);
    if (auto* box = dialog->findChild<QComboBox*>("ReplaceText"))
        box->setEditText(replacement);
    dialog->findChild<QLineEdit*>("Folder")->setText(folder);
    dialog->findChild<QCheckBox*>("Wholewords")->setChecked(word);
    dialog->findChild<QAbstractButton*>("Button1")->click();
}

QStringList rows(QTreeWidget* tree, const QString& base)
{
    QStringList rows;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* file = tree->topLevelItem(i);
        rows << QDir(base).relativeFilePath(file->text(0)) + " " + file->text(1);
        for (int j = 0; j < file->childCount(); ++j)
            rows << "  " + file->child(j)->text(0) + " " + file->child(j)->text(1);
    }
    return rows;
}

} // namespace

class TestFindInFilesWindow : public QObject {
    Q_OBJECT
private slots:
    void findOpenReplaceUndo();
};

void TestFindInFilesWindow::findOpenReplaceUndo()
{
    QTemporaryDir dir;
    for (const QString name : {"iso.htm", "cp.html", "zwykly.txt", "binarny.htm"})
        writeFile(dir.filePath(name), readFile(Data + "/site/" + name));
    ScriptedDesktop desktop;
    TForm1 form(desktop, {}, dir.filePath("Tagomir.dat"));
    form.show();

    // Search: the error for an empty text keeps the dialog open; then the results come.
    whileOpen({[&](QDialog* d) {
                  fill(d, "", dir.path(), false);
                  QCOMPARE(desktop.errors, QStringList{"Podaj szukany tekst."});
                  fill(d, "łąka", dir.path(), true);
              }},
              [&] { form.runCommand("mnuFindInFilesClick"); });
    auto* panel = form.findChild<FindResultsPanel*>();
    QVERIFY(panel);
    panel->waitForWorker();
    const QStringList twoLines{"  7:12 <p>Zielona łąka i ŁĄKA.</p>",
                               "  7:19 <p>Zielona łąka i ŁĄKA.</p>",
                               "  8:16 <p>Łąkowy nie, Łąka tak: żółw na łące, łąka!</p>",
                               "  8:40 <p>Łąkowy nie, Łąka tak: żółw na łące, łąka!</p>"};
    const QStringList expected =
        QStringList{"binarny.htm plik binarny", "cp.html 4 (CP-1250)"} + twoLines +
        QStringList{"iso.htm 4 (ISO-8859-2)"} + twoLines +
        QStringList{"zwykly.txt 2 (UTF-8)", "  1:1 łąka bez końca wiersza", "  2:10 ostatni: Łąka"};
    QCOMPARE(rows(panel->tree(), dir.path()), expected);
    QCOMPARE(panel->summaryText(), "Znaleziono 10 wystąpień w 3 plikach; przeszukano 3 plików, "
                                   "pominięto 1.");

    // Enter on a match opens its file in a page with the match selected.
    QTreeWidget* tree = panel->tree();
    tree->setCurrentItem(tree->topLevelItem(2)->child(3));
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(form.pageCount(), 1);
    QCOMPARE(form.ActiveEditor()->selectedText(), "łąka");
    QCOMPARE(form.ActiveEditor()->caretLine(), 8);

    // The dock closes and comes back from the menu.
    auto* dock = form.findChild<QWidget*>("FindResultsDock");
    dock->findChild<QAbstractButton*>("CloseResults")->click();
    QVERIFY(!dock->isVisible());
    form.runCommand("mnuFindResultsClick");
    QVERIFY(dock->isVisible());

    // Replace: the page open changes in the page (one undo step), the other files on disk, the
    // arrow as an HTML reference where the encoding lacks it (the answer to the question).
    desktop.answers.enqueue(Answer::Yes);
    whileOpen({[&](QDialog* d) { fill(d, "łąka", dir.path(), true, "Łąka → ŁĄKA"); },
               [&](QDialog* d) {
                   QCOMPARE(d->objectName(), "ReplacePreviewDialog");
                   d->findChild<QAbstractButton*>("Button1")->click();
               }},
              [&] {
                  form.runCommand("mnuReplaceInFilesClick");
                  panel->waitForWorker();
              });
    QCOMPARE(readFile(dir.filePath("iso.htm")), readFile(Data + "/site/iso.htm"));
    QCOMPARE(form.ActiveEditor()->text().count("Łąka &#8594; ŁĄKA"), 0);
    QCOMPARE(form.ActiveEditor()->text().count("Łąka → ŁĄKA"), 4);
    QCOMPARE(readFile(dir.filePath("zwykly.txt")), readFile(Data + "/replaced/zwykly.txt"));
    QCOMPARE(readFile(dir.filePath("cp.html")), readFile(Data + "/replaced/cp.html"));
    QVERIFY(desktop.answers.isEmpty());
    form.ActiveEditor()->undo();
    QCOMPARE(form.ActiveEditor()->text().count("Łąka → ŁĄKA"), 0);

    // "Cofnij zamianę" gives the file on disk its old bytes.
    auto* undo = panel->findChild<QAbstractButton*>("UndoReplace");
    QVERIFY(undo->isVisible());
    undo->click();
    panel->waitForWorker();
    QCOMPARE(readFile(dir.filePath("zwykly.txt")), readFile(Data + "/site/zwykly.txt"));
    QCOMPARE(readFile(dir.filePath("cp.html")), readFile(Data + "/site/cp.html"));
    QVERIFY(!undo->isVisible());
    component(*form.ActiveEditor()).SendScintilla(QsciScintillaBase::SCI_SETSAVEPOINT);
}

QTEST_MAIN(TestFindInFilesWindow)
#include "tst_findinfileswindow.moc"
