// What the window remembers between runs: the recent files of Plik and the session of open
// files, each in its own file beside the settings file.
#include "app/TForm1.h"
#include "app/WindowMemory.h"
#include "document/DocumentPage.h"
#include "document/RecentFiles.h"
#include "document/Session.h"
#include "editor/TSynMemo.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QMenu>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

const char ChildVariable[] = "TAGOMIR_MEMORY_CHILD";

// An instance that edits the file it is given, waits until crash recovery has copied it, says
// so, and is then killed.
int runChild(int argc, char** argv)
{
    QApplication application(argc, argv);
    ScriptedDesktop desktop;
    const QString path = qEnvironmentVariable(ChildVariable);
    TForm1 form(desktop, {path}, QFileInfo(path).dir().filePath("child.dat"));
    form.show();
    if (!QTest::qWaitFor([&] { return form.pageCount() == 1; }))
        return 1;
    typeText(form.ActiveEditor()->widget(), QStringLiteral("Zmiana "));
    const auto copied = [] {
        return QDirIterator(qEnvironmentVariable("XDG_DATA_HOME"), {"*.tgr"}, QDir::Files,
                            QDirIterator::Subdirectories)
            .hasNext();
    };
    if (!QTest::qWaitFor(copied, 20000))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    return application.exec();
}

} // namespace

class TestMemory : public QObject {
    Q_OBJECT
private slots:
    void recentFilesNewestFirst();
    void damagedListIsIgnored_data();
    void damagedListIsIgnored();
    void sessionComesBackAsItWas();
    void fileThatDoesNotAnswerIsSkipped();
    void recoveryFirstThenTheSession();

private:
    std::unique_ptr<TForm1> start(const QStringList& arguments = {});
    QStringList recentItems(TForm1& form);

    QTemporaryDir m_dir;
    ScriptedDesktop m_desktop;
};

std::unique_ptr<TForm1> TestMemory::start(const QStringList& arguments)
{
    auto form = std::make_unique<TForm1>(m_desktop, arguments, m_dir.filePath("Tagomir.dat"));
    form->show();
    QCoreApplication::sendPostedEvents(form.get(), QEvent::MetaCall); // the start's own work
    auto* memory = form->findChild<WindowMemory*>();
    if (!QTest::qWaitFor([&] { return !memory->isRestoring(); }))
        return nullptr;
    return form;
}

// The items of "Ostatnio otwierane" as shown: caption, then whether enabled, and the tool tip.
QStringList TestMemory::recentItems(TForm1& form)
{
    auto* menu = form.findChild<QMenu*>("mnuOstatnie");
    emit menu->aboutToShow();
    QStringList items;
    for (const QAction* action : menu->actions())
        items << (action->isSeparator()
                      ? QStringLiteral("—")
                      : action->text() + (action->isEnabled() ? "" : " off") +
                            (!action->toolTip().startsWith('/') ? QString()
                                                                : " | " + action->toolTip()));
    return items;
}

void TestMemory::recentFilesNewestFirst()
{
    QFile::remove(m_dir.filePath("Tagomir.recent"));
    QStringList paths;
    for (int n = 1; n <= 12; ++n)
        paths << writeFile(m_dir.filePath(QStringLiteral("p%1.htm").arg(n)), "x");
    const QString oddName = writeFile(m_dir.filePath("a&b\nc.htm"), "x");
    {
        auto form = start();
        for (const QString& path : std::as_const(paths))
            form->OpenFileInPage(fileNamePart(path), path);
        form->OpenFileInPage("odd", oddName);
        QCoreApplication::sendPostedEvents();
        QFile::remove(paths[11]);
        const QStringList items = recentItems(*form);
        QCOMPARE(items.size(), 12);
        QCOMPARE(items[0], "&1 a&&b\nc.htm | " + oddName);
        QCOMPARE(items[1], "&2 p12.htm (brak pliku) off | " + paths[11]);
        QCOMPARE(items[2], "&3 p11.htm | " + paths[10]);
        QCOMPARE(items[9], "&0 p4.htm | " + paths[3]);
        QCOMPARE(items.mid(10), (QStringList{"—", "&Wyczyść listę"}));
    }
    // The next start has dropped the missing file; the path with a line break is still there.
    auto form = start();
    QStringList items = recentItems(*form);
    QCOMPARE(items.size(), 11);
    QCOMPARE(items[0], "&1 a&&b\nc.htm | " + oddName);
    QCOMPARE(items[1], "&2 p11.htm | " + paths[10]);
    QCOMPARE(items[8], "&9 p4.htm | " + paths[3]);
    // Reopening goes through the normal open; "Wyczyść listę" empties the list for good.
    form->findChild<QMenu*>("mnuOstatnie")->actions()[1]->trigger();
    QCOMPARE(form->activePage()->editor()->documentPath(), paths[10]);
    form->findChild<QAction*>("mnuWyczyscListe")->trigger();
    QCOMPARE(recentItems(*form), QStringList{"&Wyczyść listę off"});
    form.reset();
    QCOMPARE(recentItems(*start()), QStringList{"&Wyczyść listę off"});
}

void TestMemory::damagedListIsIgnored_data()
{
    const QString path = writeFile(m_dir.filePath("kept.htm"), "x");
    const QByteArray good = formatRecentFiles({path});
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("items");
    QTest::newRow("good") << good << 3;
    QTest::newRow("empty") << QByteArray() << 1;
    QTest::newRow("truncated") << good.left(good.size() - 4) << 1;
    QTest::newRow("binary") << QByteArray("\x00\xFF\xFE{\x01", 5) << 1;
    QTest::newRow("10 MB") << good + QByteArray(10 << 20, ' ') << 1;
    QTest::newRow("another list") << QByteArray("{\"files\": [\"/etc/passwd\"]}") << 1;
}

void TestMemory::damagedListIsIgnored()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, items);
    writeFile(m_dir.filePath("Tagomir.recent"), bytes);
    writeFile(m_dir.filePath("Tagomir.dat"), "500\r\n400\r\n10\r\n20\r\n");
    auto form = start();
    QCOMPARE(recentItems(*form).size(), items);
    QCOMPARE(form->height(), 400); // nothing else is lost
    QVERIFY(m_desktop.errors.isEmpty());
}

void TestMemory::sessionComesBackAsItWas()
{
    // Three pages with no declaration, read as the user chose: the session reads each again in
    // that encoding, not in the one detection would find.
    const QString utf8 = writeFile(m_dir.filePath("u.txt"), "zażółć\n\ngęślą jaźń\n");
    const QString iso = writeFile(m_dir.filePath("i.txt"), "a\nb\nza\xBF\xF3\xB3\xE6\n");
    const QString cp = writeFile(m_dir.filePath("c.txt"), "za\xBF\xF3\xB3\xE6\n\x9C");
    const QString gone = writeFile(m_dir.filePath("gone.txt"), "x");
    const QString places[][3] = {{utf8, "UTF-8", "3:3"},
                                 {iso, "ISO-8859-2", "3:5"},
                                 {cp, "CP-1250", "2:2"},
                                 {gone, "CP-1250", "1:1"}};
    const auto shown = [](TForm1& form) {
        QStringList pages;
        for (DocumentPage* page : form.documents().pages())
            pages << QStringLiteral("%1 %2 %3:%4 %5")
                         .arg(page->editor()->documentPath(), page->encodingName())
                         .arg(page->editor()->caretLine())
                         .arg(page->editor()->caretColumn())
                         .arg(page->editor()->text());
        return pages << QString::number(form.documents().pages().indexOf(form.activePage()));
    };
    QStringList before;
    {
        auto form = start();
        form->findChild<QAction*>("mnuPrzywracaj")->trigger();
        for (const auto& [path, encoding, caret] : places) {
            form->OpenFileInPage(fileNamePart(path), path, Encoding::fromName(encoding));
            const QStringList place = caret.split(':');
            form->ActiveEditor()->goToPlace(place[0].toLong(), place[1].toLong());
        }
        form->runCommand("mnuNowy1Click"); // a page with no file is not kept
        form->findChild<QTabWidget*>("PC")->setCurrentIndex(1);
        before = shown(*form);
        form->close();
    }
    QFile::remove(gone);
    before.removeAt(4);
    before.removeAt(3);
    auto form = start();
    QCOMPARE(shown(*form), before);
    QCOMPARE(m_desktop.messages.size(), 1);
    QVERIFY(m_desktop.messages[0].endsWith(":\n" + gone));
    QVERIFY(form->findChild<QAction*>("mnuPrzywracaj")->isChecked());

    // Files on the command line: the session is left alone.
    form.reset();
    auto given = start({iso});
    QCOMPARE(given->pageCount(), 1);
}

void TestMemory::fileThatDoesNotAnswerIsSkipped()
{
    // As on a drive that hangs: asking about one file never comes back. The others open, the
    // start does not wait for it, and the one message names it.
    QStringList paths;
    for (const char* name : {"1.txt", "2.txt", "3.txt"})
        paths << writeFile(m_dir.filePath(name), name);
    Session session{true, {}, 2};
    for (const QString& path : std::as_const(paths))
        session.files << SessionFile{path, "CP-1250", 1, 1, 1};
    saveSession(m_dir.filePath("Tagomir.session"), session);
    WindowMemory::setFileCheck([hung = paths[1]](const QString& path) {
        if (path == hung)
            QThread::sleep(30);
        return true;
    });
    m_desktop = ScriptedDesktop();
    QElapsedTimer clock;
    clock.start();
    auto form = start();
    WindowMemory::setFileCheck({});
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(form->documents().paths(), (QStringList{paths[0], paths[2]}));
    QCOMPARE(form->activePage(), form->page(1));
    QCOMPARE(m_desktop.messages.size(), 1);
    QVERIFY(m_desktop.messages[0].endsWith(":\n" + paths[1]));
}

void TestMemory::recoveryFirstThenTheSession()
{
    // The session holds a.txt and b.txt; a.txt was being edited when its window was killed.
    // Recovery asks first and brings a.txt back modified; the session adds only b.txt.
    qputenv("XDG_DATA_HOME", m_dir.filePath("data").toLocal8Bit());
    const QString a = writeFile(m_dir.filePath("a.txt"), "tekst a");
    const QString b = writeFile(m_dir.filePath("b.txt"), "tekst b");
    Session session{true, {{a, "CP-1250", 1, 1, 1}, {b, "CP-1250", 1, 3, 1}}, 0};
    saveSession(m_dir.filePath("Tagomir.session"), session);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(ChildVariable, a);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForReadyRead(30000));
    QCOMPARE(child.readAllStandardOutput(), QByteArray("ready\n"));
    child.kill();
    QVERIFY(child.waitForFinished());

    m_desktop = ScriptedDesktop();
    m_desktop.answers.enqueue(Answer::Yes);
    auto form = start();
    QCOMPARE(m_desktop.questions.size(), 1);
    QCOMPARE(form->pageCount(), 2);
    QCOMPARE(form->page(0)->editor()->text(), QStringLiteral("Zmiana tekst a"));
    QVERIFY(form->page(0)->editor()->isDocumentModified());
    QCOMPARE(form->page(1)->editor()->documentPath(), b);
    QCOMPARE(form->page(1)->editor()->caretColumn(), 3);
    QCOMPARE(form->activePage(), form->page(0));
    QVERIFY(m_desktop.messages.isEmpty());
    form->page(0)->editor()->markSaved(); // closes without asking
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(ChildVariable))
        return runChild(argc, argv);
    QApplication application(argc, argv);
    TestMemory test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_memory.moc"
