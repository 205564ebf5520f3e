// Converting a folder from the window: the checked list, files open in the
// editor left alone, and the conversion itself.
#include "app/TForm1.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

class TestFolderConversion : public QObject {
    Q_OBJECT
private slots:
    void checkThenConvert();
};

namespace {

QString tableText(const QTableWidget* table)
{
    QString text;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells << (table->item(row, column) ? table->item(row, column)->text() : QString());
        text += cells.join(QLatin1String(" | ")) + QLatin1Char('\n');
    }
    return text;
}

} // namespace

void TestFolderConversion::checkThenConvert()
{
    QTemporaryDir dir;
    const QByteArray iso = "<meta charset=\"iso-8859-2\">\n<p>\xb3\xf3\x64\xbc</p>\n";
    writeFile(dir.filePath("a.htm"), iso);
    writeFile(dir.filePath("otwarty.htm"), iso);
    QDir(dir.path()).mkdir("sub");
    writeFile(dir.filePath("sub/b.css"), "@charset \"utf-8\";\n");
    ScriptedDesktop desktop;
    TForm1 form(desktop, {}, dir.filePath("Tagomir.dat"));
    form.show();
    form.OpenFileInPage("otwarty.htm", dir.filePath("otwarty.htm"));

    form.findChild<QAction*>("mnuKodowanieFolderu")->trigger();
    auto* dialog = form.findChild<QDialog*>("FPrzekodujFolder");
    QVERIFY(dialog && dialog->isVisible());
    desktop.folderChoices.enqueue(dir.path());
    QTest::mouseClick(dialog->findChild<QPushButton*>("btnFolder"), Qt::LeftButton);
    QCOMPARE(desktop.folderRequests, QStringList{"Wybierz folder: "});
    QCOMPARE(dialog->findChild<QLineEdit*>("EditFolder")->text(), dir.path());
    QTest::mouseClick(dialog->findChild<QPushButton*>("btnSprawdz"), Qt::LeftButton);
    auto* table = dialog->findChild<QTableWidget*>("TabelaPlikow");
    auto* summary = dialog->findChild<QLabel*>("LabelPodsumowanie");
    QTRY_COMPARE(summary->text(), "Plików: 3, do zmiany: 1.");
    QCOMPARE(tableText(table), "a.htm | ISO-8859-2 | UTF-8 | zostanie zmieniony\n"
                               "otwarty.htm |  |  | pominięty (otwarty w edytorze)\n"
                               "sub/b.css | UTF-8 | UTF-8 | bez zmian (już w tym kodowaniu)\n");
    QCOMPARE(readFile(dir.filePath("a.htm")), iso);

    QTest::mouseClick(dialog->findChild<QPushButton*>("btnZmien"), Qt::LeftButton);
    QTRY_COMPARE(summary->text(), "Zmienione: 1 z 3.");
    QCOMPARE(table->item(0, 3)->text(), "zmieniony");
    QCOMPARE(readFile(dir.filePath("a.htm")),
             "<meta charset=\"utf-8\">\n<p>\xc5\x82\xc3\xb3\x64\xc5\xba</p>\n");
    QCOMPARE(readFile(dir.filePath("otwarty.htm")), iso);
    QVERIFY(!dialog->findChild<QPushButton*>("btnZmien")->isEnabled());

    // The report is shown and kept beside the run's copies; "Przywróć" puts the copies back,
    // once.
    auto* report = dialog->findChild<QDialog*>("FRaportKonwersji");
    QVERIFY(report && report->isVisible());
    const QString saved = report->findChild<QLabel*>("LabelZapis")->text().section(' ', -1);
    QVERIFY(readFile(saved).contains("<h3>" + dir.filePath("a.htm").toUtf8() + "</h3>"));
    report->close();
    auto* restore = dialog->findChild<QPushButton*>("btnPrzywroc");
    QVERIFY(restore->isEnabled());
    desktop.answers.enqueue(Answer::Yes);
    QTest::mouseClick(restore, Qt::LeftButton);
    QCOMPARE(summary->text(), "Przywrócone: 1, błędy: 0.");
    QCOMPARE(readFile(dir.filePath("a.htm")), iso);
    QVERIFY(!restore->isEnabled());
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
}

QTEST_MAIN(TestFolderConversion)
#include "tst_folderconversion.moc"
