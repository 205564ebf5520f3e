// Writing files when the disk, the folder, a kill or another user is against us.
#include "common/CommandError.h"
#include "files/FileAccess.h"
#include "files/RewriteJournal.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Step = WriteFaults::Step;
Q_DECLARE_METATYPE(Step)

namespace {

// Old bytes and new bytes of a few megabytes, so that a write takes several pieces.
const QByteArray OldBytes = QByteArray(3 * 1024 * 1024 + 5, 'o');
const QByteArray NewBytes = QByteArray(2 * 1024 * 1024 + 7, 'n') + "\r\n";

// Writes the bytes as a save does, catching the error's message.
QString tryWrite(const QString& path, const QByteArray& bytes,
                 WriteTarget target = WriteTarget::FileItNames, const QString& backupLink = {})
{
    try {
        writeWholeFile(path, bytes, target, backupLink);
    } catch (const CommandError& failure) {
        return failure.message();
    }
    return {};
}

// Fails the `count`-th time the writer reaches `step` with `error`.
void failAt(Step step, int count, int error)
{
    auto reached = std::make_shared<int>(0);
    WriteFaults::setHook([=](Step now) { return now == step && ++*reached == count ? error : 0; });
}

// Another name for the file, so that it must be rewritten in its own place.
void addHardLink(const QString& path)
{
    QVERIFY(::link(QFile::encodeName(path), QFile::encodeName(path + ".link")) == 0);
}

quint64 inodeOf(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path), &status) == 0 ? status.st_ino : 0;
}

QStringList folderContents(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestFileAccess : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void inPlaceRewrite_data();
    void inPlaceRewrite();
    void failureLeavesTheOldFile_data();
    void failureLeavesTheOldFile();
    void fullDiskLeavesTheOldFile_data();
    void fullDiskLeavesTheOldFile();
    void killLeavesOldOrNewOrAJournal_data();
    void killLeavesOldOrNewOrAJournal();
    void fileKeepsWhatItWas();
    void links();
    void backupLink_data();
    void backupLink();
    void longNames_data();
    void longNames();
};

void TestFileAccess::cleanup()
{
    WriteFaults::setHook({});
    QDir(rewriteJournalFolder()).removeRecursively();
}

void TestFileAccess::inPlaceRewrite_data()
{
    QTest::addColumn<QByteArray>("newBytes");
    QTest::addColumn<bool>("fits");

    QTest::newRow("shorter") << QByteArray("abc") << true;
    QTest::newRow("longer") << QByteArray(5000, 'x') << true;
    QTest::newRow("longer than the disk allows") << QByteArray(70000, 'x') << false;
}

void TestFileAccess::inPlaceRewrite()
{
    // The file-size limit stands in for a full disk: a write past it fails as one would.
    QFETCH(QByteArray, newBytes);
    QFETCH(bool, fits);
    QTemporaryDir dir;
    const QByteArray oldBytes(40000, 'o');
    const QString path = writeFile(dir.filePath("page.htm"), oldBytes);

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{65536, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QString error;
    try {
        // Handed over in pieces, as a save hands them.
        writeInPlace(path, [&](const ByteSink& sink) {
            for (qsizetype at = 0; at < newBytes.size(); at += 1000)
                sink(QByteArrayView(newBytes).sliced(at,
                                                     qMin<qsizetype>(1000, newBytes.size() - at)));
        });
    } catch (const CommandError& failure) {
        error = failure.message();
    }
    std::signal(SIGXFSZ, oldHandler);
    setrlimit(RLIMIT_FSIZE, &saved);

    QCOMPARE(readFile(path), fits ? newBytes : oldBytes);
    QCOMPARE(error, fits ? QString()
                         : QStringLiteral("Cannot create file %1\nPlik byłby za duży.").arg(path));
}

void TestFileAccess::failureLeavesTheOldFile_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<Step>("step");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("reason");
    const QString full = QStringLiteral("Brak miejsca na dysku.");
    QTest::newRow("new file made") << false << Step::Create << 1 << full;
    QTest::newRow("first piece") << false << Step::Write << 1 << full;
    QTest::newRow("last piece") << false << Step::Write << 3 << full;
    QTest::newRow("sync") << false << Step::Sync << 1 << full;
    QTest::newRow("rename") << false << Step::Rename << 1 << full;
    QTest::newRow("in place: journal")
        << true << Step::Journal << 1
        << QStringLiteral("Nie udało się zachować kopii jego treści przed zapisem w miejscu (%1): "
                          "Brak miejsca na dysku.")
               .arg(rewriteJournalFolder());
    QTest::newRow("in place: room") << true << Step::Reserve << 1 << full;
    QTest::newRow("in place: first piece") << true << Step::Write << 1 << full;
    QTest::newRow("in place: last piece") << true << Step::Write << 3 << full;
    QTest::newRow("in place: truncate") << true << Step::Truncate << 1 << full;
    QTest::newRow("in place: sync") << true << Step::Sync << 1 << full;
}

void TestFileAccess::failureLeavesTheOldFile()
{
    QFETCH(bool, inPlace);
    QFETCH(Step, step);
    QFETCH(int, count);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath("strona.htm"), OldBytes);
    if (inPlace)
        addHardLink(path);
    const QByteArray newBytes = inPlace ? OldBytes + NewBytes : NewBytes; // more room needed
    failAt(step, count, ENOSPC);
    QCOMPARE(tryWrite(path, newBytes),
             QStringLiteral("Cannot create file %1\n%2").arg(path, reason));
    QCOMPARE(readFile(path), OldBytes);
    // Nothing left behind: no temporary file, no copy to offer back.
    const QStringList expected =
        inPlace ? QStringList{"strona.htm", "strona.htm.link"} : QStringList{"strona.htm"};
    QCOMPARE(folderContents(dir.path()), expected);
    QCOMPARE(folderContents(rewriteJournalFolder()), QStringList{});
    // And the next try goes through.
    WriteFaults::setHook({});
    QCOMPARE(tryWrite(path, newBytes), QString());
    QCOMPARE(readFile(path), newBytes);
    if (inPlace)
        QCOMPARE(readFile(path + ".link"), newBytes);
}

void TestFileAccess::fullDiskLeavesTheOldFile_data()
{
    QTest::addColumn<QByteArray>("oldBytes");
    QTest::addColumn<QByteArray>("newBytes");
    QTest::addColumn<qsizetype>("filler");
    // A page smaller than any buffer: its bytes are all written at the very end.
    QTest::newRow("small page, disk full")
        << QByteArray("<p>Zażółć</p>\r\n") << QByteArray(60, 'x') << qsizetype(1 << 20);
    QTest::newRow("large page, disk short by a little")
        << QByteArray(200'000, 'o') << QByteArray(210'000, 'n') << qsizetype(290'000);
}

void TestFileAccess::fullDiskLeavesTheOldFile()
{
    // A real full disk: a small file system of memory, which only the superuser may mount.
    QFETCH(QByteArray, oldBytes);
    QFETCH(QByteArray, newBytes);
    QFETCH(qsizetype, filler);
    QTemporaryDir dir;
    if (::mount("tagomir-test", QFile::encodeName(dir.path()), "tmpfs", 0, "size=512k") != 0)
        QSKIP("A small file system cannot be mounted here (it needs the superuser).");
    const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(dir.path())); });
    const QString path = writeFile(dir.filePath("strona.htm"), oldBytes);
    {
        QFile fill(dir.filePath("fill"));
        QVERIFY(fill.open(QIODevice::WriteOnly));
        fill.write(QByteArray(filler, 'f'));
    }
    const QString error = tryWrite(path, newBytes);
    QCOMPARE(readFile(path), oldBytes);
    QCOMPARE(folderContents(dir.path()), (QStringList{"fill", "strona.htm"}));
    QCOMPARE(error, QStringLiteral("Cannot create file %1\nBrak miejsca na dysku.").arg(path));
}

void TestFileAccess::killLeavesOldOrNewOrAJournal_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<Step>("step");
    QTest::addColumn<int>("count");
    for (const bool inPlace : {false, true}) {
        const char* route = inPlace ? "in place" : "replaced";
        QTest::addRow("%s: second piece", route) << inPlace << Step::Write << 2;
        QTest::addRow("%s: sync", route) << inPlace << Step::Sync << 1;
        if (inPlace)
            QTest::addRow("%s: done, copy not yet gone", route) << inPlace << Step::Done << 1;
        else
            QTest::addRow("%s: rename", route) << inPlace << Step::Rename << 1;
    }
}

void TestFileAccess::killLeavesOldOrNewOrAJournal()
{
    QFETCH(bool, inPlace);
    QFETCH(Step, step);
    QFETCH(int, count);
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath("strona.htm"), OldBytes);
    if (inPlace)
        addHardLink(path);
    const pid_t child = fork();
    if (child == 0) {
        auto reached = std::make_shared<int>(0);
        WriteFaults::setHook([=](Step now) {
            if (now == step && ++*reached == count)
                ::raise(SIGKILL);
            return 0;
        });
        tryWrite(path, NewBytes);
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    // No half-made file beside it.
    const QStringList names =
        inPlace ? QStringList{"strona.htm", "strona.htm.link"} : QStringList{"strona.htm"};
    QCOMPARE(folderContents(dir.path()), names);

    const QList<InterruptedRewrite> interrupted = interruptedRewrites();
    const QByteArray left = readFile(path);
    if (left == OldBytes || left == NewBytes) {
        // Whole, one way or the other: nothing is asked at the next start.
        QCOMPARE(interrupted.size(), 0);
    } else {
        QVERIFY(inPlace);
        QCOMPARE(interrupted.size(), 1);
        QCOMPARE(interrupted[0].path, path);
        // As the next start offers it.
        ScriptedDesktop desktop;
        desktop.answers.enqueue(Answer::Yes);
        offerInterruptedRewrites(desktop, nullptr);
        QCOMPARE(desktop.questions.size(), 1);
        QVERIFY(desktop.questions[0].startsWith("Zapis pliku " + path + " został przerwany"));
        QCOMPARE(readFile(path), OldBytes);
        QCOMPARE(interruptedRewrites().size(), 0);
    }
    if (inPlace)
        QCOMPARE(readFile(path + ".link"), readFile(path));
}

void TestFileAccess::fileKeepsWhatItWas()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath("wspólny.htm"), "stary\r\n");
    QVERIFY(::chmod(QFile::encodeName(path), 0664) == 0);
    // Another user's file in a shared group: only the superuser can make one here.
    const bool super = ::geteuid() == 0;
    if (super)
        QVERIFY(::chown(QFile::encodeName(path), 4321, 4322) == 0);
    struct stat before {};
    ::stat(QFile::encodeName(path), &before);
    QCOMPARE(tryWrite(path, "nowy\r\n"), QString());
    struct stat after {};
    ::stat(QFile::encodeName(path), &after);
    QCOMPARE(readFile(path), QByteArray("nowy\r\n"));
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    if (!super)
        QSKIP("Owner kept for the user's own file; another user's file needs the superuser.");
}

void TestFileAccess::links()
{
    QTemporaryDir dir;
    const QString victim = writeFile(dir.filePath("cudzy.txt"), "nie ruszać\n");
    const QString settings = dir.filePath("Tagomir.dat");
    QVERIFY(QFile::link(victim, settings));
    // The program's own file replaces a link planted in its place and leaves its target alone.
    QCOMPARE(tryWrite(settings, "800\r\n", WriteTarget::ThisNameOnly), QString());
    QCOMPARE(readFile(victim), QByteArray("nie ruszać\n"));
    QVERIFY(!QFileInfo(settings).isSymLink());
    QCOMPARE(readFile(settings), QByteArray("800\r\n"));
    // A document's link is kept and its target written.
    const QString page = dir.filePath("strona.htm");
    QVERIFY(QFile::link(victim, page));
    QCOMPARE(tryWrite(page, "nowy\n"), QString());
    QVERIFY(QFileInfo(page).isSymLink());
    QCOMPARE(readFile(victim), QByteArray("nowy\n"));
    // A file found by its real path is not written through a link put there since.
    QCOMPARE(tryWrite(page, "obcy\n", WriteTarget::ThisFile),
             QStringLiteral("Cannot create file %1\nTo nie jest zwykły plik.").arg(page));
    QCOMPARE(readFile(victim), QByteArray("nowy\n"));
}

void TestFileAccess::backupLink_data()
{
    QTest::addColumn<QString>("file"); // what is special about it
    QTest::addColumn<Step>("step");
    QTest::addColumn<QList<int>>("errors"); // of the first times the writer reaches the step
    QTest::addColumn<QString>("outcome");   // "replaced", "in place", "copy", or the writer's error
    const auto row = [](const char* name, const char* file, Step step, const QList<int>& errors,
                        const QString& outcome) {
        QTest::newRow(name) << QString(file) << step << errors << outcome;
    };
    row("replaced", "", Step::Done, {}, "replaced");
    row("another name given since", "another name since", Step::Done, {}, "in place");
    row("no new file in the folder", "", Step::Create, {EACCES}, "in place");
    row("in place, no room for the copy", "", Step::Create, {EACCES, ENOSPC},
        "Nie udało się zrobić kopii pliku: Brak miejsca na dysku.");
    row("disk full", "", Step::Write, {ENOSPC}, "Brak miejsca na dysku.");
    row("file with another name", "another name", Step::Done, {}, "copy");
    row("another user's file", "another user's", Step::Done, {}, "copy");
    row("copy on another file system", "other file system", Step::Done, {}, "copy");
}

// The program's copy of a file as a hard link to it, made only where it keeps the old bytes:
// the file is replaced and the link keeps its old bytes and inode; where the file must be
// rewritten in its own place, the link becomes a copy of its own first; a file not written
// leaves the link as it was (for the caller to remove).
void TestFileAccess::backupLink()
{
    QFETCH(QString, file);
    QFETCH(Step, step);
    QFETCH(QList<int>, errors);
    QFETCH(QString, outcome);
    QTemporaryDir dir;
    QTemporaryDir other;
    const QString path = writeFile(dir.filePath("strona.htm"), OldBytes);
    const quint64 inode = inodeOf(path);
    QString copy = dir.filePath("kopia.htm");
    if (file == "another name")
        addHardLink(path);
    // These two need the superuser.
    if (file == "another user's" && ::chown(QFile::encodeName(path), 4321, 4321) != 0)
        QSKIP("Another user's file cannot be made here.");
    if (file == "other file system") {
        if (::mount("tagomir-test", QFile::encodeName(other.path()), "tmpfs", 0, "size=64k") != 0)
            QSKIP("A second file system cannot be mounted here.");
        copy = other.filePath("kopia.htm");
    }
    const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(other.path())); });
    QCOMPARE(linkUnsyncedCopy(path, copy, inode), outcome != "copy");
    if (outcome == "copy") {
        QVERIFY(!QFileInfo::exists(copy));
        return;
    }
    if (file == "another name since")
        addHardLink(path);
    auto reached = std::make_shared<int>(0);
    WriteFaults::setHook([=](Step now) {
        return now == step && *reached < errors.size() ? errors[(*reached)++] : 0;
    });
    const bool written = outcome == "replaced" || outcome == "in place";
    QCOMPARE(tryWrite(path, NewBytes, WriteTarget::ThisFile, copy),
             written ? QString() : QStringLiteral("Cannot create file %1\n%2").arg(path, outcome));
    QCOMPARE(readFile(path), written ? NewBytes : OldBytes);
    QCOMPARE(readFile(copy), OldBytes);
    // Replaced: the copy is the old file; in place: the file is, and the copy a new one.
    QCOMPARE(inodeOf(path) == inode, outcome != "replaced");
    QCOMPARE(inodeOf(copy) == inode, outcome != "in place");
    if (file == "another name since")
        QCOMPARE(readFile(path + ".link"), NewBytes);
}

void TestFileAccess::longNames_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("longest name") << QString() << QString(255, QLatin1Char('a')) << QString();
    QTest::newRow("name too long")
        << QString() << QString(256, QLatin1Char('a')) << "Nazwa pliku lub ścieżka jest za długa.";
    QTest::newRow("path too long")
        << QStringList(20, QString(250, QLatin1Char('b'))).join(QLatin1Char('/'))
        << QStringLiteral("a.htm") << "Nazwa pliku lub ścieżka jest za długa.";
}

void TestFileAccess::longNames()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(folder.isEmpty() ? name : folder + "/" + name);
    const QString error = tryWrite(path, "tekst\n");
    QCOMPARE(error, reason.isEmpty()
                        ? QString()
                        : QStringLiteral("Cannot create file %1\n%2").arg(path, reason));
    if (reason.isEmpty()) {
        QCOMPARE(readFile(path), QByteArray("tekst\n"));
        return;
    }
    try {
        readWholeFile(path);
        QFAIL("read a file that cannot be");
    } catch (const CommandError& failure) {
        QCOMPARE(failure.message(), QStringLiteral("Cannot open file %1\n%2").arg(path, reason));
    }
}

QTEST_APPLESS_MAIN(TestFileAccess)
#include "tst_fileaccess.moc"
