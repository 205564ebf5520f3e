// Crash recovery with a real process: an instance with two modified pages is killed with
// SIGKILL, and the next start offers its documents back. The same executable plays that
// instance when started with TAGOMIR_RECOVERY_CHILD naming the file it edits.
#include "document/CrashRecovery.h"
#include "document/DocumentPage.h"
#include "app/TForm1.h"
#include "editor/TSynMemo.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char ChildVariable[] = "TAGOMIR_RECOVERY_CHILD";
const QByteArray IsoPage =
    "<meta charset=iso-8859-2>\r\nza\xBF\xF3\xB3\xE6 g\xEAsi\xB1 ja\xBC\xF1\r\n";

// The recovery copies every instance has written under the data folder.
int copiesOnDisk()
{
    QDirIterator files(qEnvironmentVariable("XDG_DATA_HOME"), {"*.tgr"}, QDir::Files,
                       QDirIterator::Subdirectories);
    int count = 0;
    for (; files.hasNext(); files.next())
        ++count;
    return count;
}

// The killed instance: edits the file and a new page, waits until both are copied, says so.
int runChild(int argc, char** argv)
{
    QApplication application(argc, argv);
    ScriptedDesktop desktop;
    TForm1 form(desktop, {qEnvironmentVariable(ChildVariable)});
    form.show();
    if (!QTest::qWaitFor([&] { return form.pageCount() == 1; }))
        return 1;
    typeText(form.ActiveEditor()->widget(), QStringLiteral("Źródło "));
    form.runCommand(QStringLiteral("mnuNowy1Click"));
    typeText(form.ActiveEditor()->widget(), QStringLiteral("nowy tekst"));
    if (!QTest::qWaitFor([] { return copiesOnDisk() == 2; }, 20000))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    return application.exec();
}

// Starts a window the way the program starts and lets it ask its start-up questions.
std::unique_ptr<TForm1> startWindow(ScriptedDesktop& desktop)
{
    auto form = std::make_unique<TForm1>(desktop);
    form->show();
    // The start-up questions are asked in a call queued by the first show.
    QCoreApplication::sendPostedEvents(form.get(), QEvent::MetaCall);
    return form;
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT
private slots:
    void killedInstanceIsOffered_data();
    void killedInstanceIsOffered();
    void plantedLinksAreNeverFollowed();
    void folderThatCannotBeWrittenIsReported();
};

void TestRecovery::killedInstanceIsOffered_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("restoredPages");
    QTest::addColumn<int>("questionsAtNextStart");
    QTest::newRow("Tak restores") << Answer::Yes << 2 << 0;
    QTest::newRow("Nie discards") << Answer::No << 0 << 0;
    QTest::newRow("Anuluj keeps them for later") << Answer::Cancel << 0 << 1;
}

void TestRecovery::killedInstanceIsOffered()
{
    QFETCH(Answer, answer);
    QFETCH(int, restoredPages);
    QFETCH(int, questionsAtNextStart);
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
    const QString path = writeFile(dir.filePath("strona.htm"), IsoPage);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(ChildVariable, path);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForReadyRead(30000));
    QCOMPARE(child.readAllStandardOutput(), QByteArray("ready\n"));

    {
        // The copies of an instance that still runs are its own.
        ScriptedDesktop desktop;
        auto form = startWindow(desktop);
        QCOMPARE(desktop.questions, QStringList());
    }
    child.kill();
    QVERIFY(child.waitForFinished());

    ScriptedDesktop desktop;
    desktop.answers.enqueue(answer);
    auto form = startWindow(desktop);
    QCOMPARE(desktop.questions.size(), 1);
    QVERIFY(desktop.questions[0].contains("• strona.htm (" + path + ")\n• Nowy 1\n"));
    QCOMPARE(form->pageCount(), restoredPages);
    if (restoredPages) {
        const DocumentPage* page = form->page(0);
        QCOMPARE(page->editor()->text(), QStringLiteral("Źródło <meta charset=iso-8859-2>\n"
                                                        "zażółć gęsią jaźń"));
        QCOMPARE(page->editor()->documentPath(), path);
        QCOMPARE(page->encodingName(), QStringLiteral("ISO-8859-2"));
        QCOMPARE(form->page(1)->caption(), QStringLiteral("Nowy 1"));
        QCOMPARE(form->page(1)->editor()->text(), QStringLiteral("nowy tekst"));
        for (int i = 0; i < 2; ++i)
            QVERIFY(form->page(i)->modifiedMarker() == 1 &&
                    form->page(i)->editor()->isDocumentModified());
        QCOMPARE(readFile(path), IsoPage);

        // A saved page needs no copy any more.
        auto* recovery = form->findChild<CrashRecovery*>();
        QCOMPARE(copiesOnDisk(), 2);
        form->findChild<QTabWidget*>("PC")->setCurrentIndex(0);
        form->runCommand("mnuZapisClick");
        recovery->copyNow();
        QCOMPARE(copiesOnDisk(), 1);
        QVERIFY(readFile(path).startsWith("\xAC\x72\xF3\x64\xB3o <meta charset=iso-8859-2>"));
    }
    form.reset();
    QCOMPARE(copiesOnDisk(), questionsAtNextStart ? 2 : 0);

    ScriptedDesktop nextStart;
    startWindow(nextStart);
    QCOMPARE(nextStart.questions.size(), questionsAtNextStart);
}

void TestRecovery::plantedLinksAreNeverFollowed()
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
    const QString victim = dir.filePath("cudze");
    QDir().mkpath(victim);
    writeFile(victim + "/1.tgr", "cudza kopia");
    writeFile(victim + "/praca.txt", "cudza praca");
    QString root;
    {
        ScriptedDesktop desktop;
        auto form = startWindow(desktop);
        root = QFileInfo(form->findChild<CrashRecovery*>()->folder()).path();
    }
    // A link posing as a dead instance's folder, and a dead instance's folder holding a link.
    QVERIFY(QFile::link(victim, root + "/1-1"));
    QDir().mkpath(root + "/2-2");
    QVERIFY(QFile::link(victim + "/praca.txt", root + "/2-2/1.tgr"));

    ScriptedDesktop desktop;
    startWindow(desktop);
    QCOMPARE(desktop.questions, QStringList());
    QCOMPARE(readFile(victim + "/1.tgr"), QByteArray("cudza kopia"));
    QCOMPARE(readFile(victim + "/praca.txt"), QByteArray("cudza praca"));
}

void TestRecovery::folderThatCannotBeWrittenIsReported()
{
    QTemporaryDir dir;
    // A file where the data folder should be: nothing can be made under it, even by root.
    qputenv("XDG_DATA_HOME", writeFile(dir.filePath("data"), "").toLocal8Bit());
    ScriptedDesktop desktop;
    auto form = startWindow(desktop);
    form->runCommand(QStringLiteral("mnuNowy1Click"));
    typeText(form->ActiveEditor()->widget(), QStringLiteral("tekst"));
    form->findChild<CrashRecovery*>()->copyNow();
    QLabel* warning = nullptr;
    QVERIFY(QTest::qWaitFor(
        [&] { return (warning = form->findChild<QLabel*>("BarRecoveryWarning")); }));
    QVERIFY(warning->isVisible());
    QVERIFY(warning->toolTip().contains(dir.filePath("data")));
    form->ActiveEditor()->markSaved();
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(ChildVariable))
        return runChild(argc, argv);
    QApplication application(argc, argv);
    TestRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
