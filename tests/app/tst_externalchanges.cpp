// Files changed or deleted by another program while their pages are open.
#include "app/TForm1.h"
#include "document/DocumentPage.h"
#include "support/ComponentAccess.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestExternalChanges : public QObject {
    Q_OBJECT
private slots:
    void askedWhenTheWindowComesBack_data();
    void askedWhenTheWindowComesBack();
};

namespace {

// Takes the focus away from the window and gives it back, as switching programs does.
void comeBackTo(QWidget* window)
{
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::qWait(20);
}

} // namespace

void TestExternalChanges::askedWhenTheWindowComesBack_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<qint64>("grownTo");

    QTest::newRow("unchanged page, reload")
        << false << false << int(Answer::Yes) << QByteArray("theirs ż") << false << qint64(0);
    QTest::newRow("unchanged page, keep")
        << false << false << int(Answer::No) << QByteArray("mine ż") << false << qint64(0);
    QTest::newRow("edited page, reload losing the edit")
        << true << false << int(Answer::Yes) << QByteArray("theirs ż") << false << qint64(0);
    QTest::newRow("edited page, keep the edit")
        << true << false << int(Answer::No) << QByteArray("mine ż!") << true << qint64(0);
    QTest::newRow("deleted") << false << true << int(Answer::Yes) << QByteArray("mine ż") << true
                             << qint64(0);
    // Too large for the editor: refused, and the page keeps what it shows.
    QTest::newRow("grown past 2 GiB, reload")
        << false << false << int(Answer::Yes) << QByteArray("mine ż") << false
        << qint64(2'147'550'000);
}

void TestExternalChanges::askedWhenTheWindowComesBack()
{
    QFETCH(bool, edited);
    QFETCH(bool, deleted);
    QFETCH(int, answer);
    QFETCH(QByteArray, text);
    QFETCH(bool, modified);
    QFETCH(qint64, grownTo);
    QTemporaryDir dir;
    ScriptedDesktop desktop;
    const QString path = writeFile(dir.filePath("a.htm"), "charset=iso-8859-2\r\nmine \xbf");
    TForm1 form(desktop, {}, dir.filePath("Tagomir.dat"));
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.OpenFileInPage("a.htm", path);
    if (edited) {
        form.ActiveEditor()->setFocus();
        component(form.ActiveEditor())->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        typeText(form.ActiveEditor()->widget(), "!");
    }
    if (deleted)
        QFile::remove(path);
    else
        writeFile(path, "charset=iso-8859-2\r\ntheirs \xbf");
    if (grownTo)
        QVERIFY(QFile(path).resize(grownTo));
    desktop.answers.enqueue(Answer(answer));

    comeBackTo(&form);
    QTRY_COMPARE(desktop.questions.size() + desktop.messages.size(), 1);
    QVERIFY((deleted ? desktop.messages : desktop.questions)[0].startsWith("Plik " + path));
    QCOMPARE(form.ActiveEditor()->textBytes(), QByteArray("charset=iso-8859-2\n") + text);
    QCOMPARE(form.ActiveEditor()->isDocumentModified(), modified);
    QCOMPARE(form.activePage()->modifiedMarker(), modified ? 1 : 0);
    QCOMPARE(desktop.errors.size(), grownTo ? 1 : 0);

    // One question for each change: coming back again asks nothing more.
    comeBackTo(&form);
    QCOMPARE(desktop.questions.size() + desktop.messages.size(), 1);
    form.ActiveEditor()->markSaved();
}

QTEST_MAIN(TestExternalChanges)
#include "tst_externalchanges.moc"
