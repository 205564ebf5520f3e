// Find and replace in the files of a mixed-encoding site: what is found in each file, the bytes
// each file holds after a replacement (compared with bytes made by another program), the bytes
// after undoing it, and files that change meanwhile or cannot be read.
#include "files/FindInFiles.h"
#include "support/TestFiles.h"

#include <QDirIterator>
#include <QTest>

namespace {

const QString Data = QStringLiteral(TAGOMIR_TEST_DATA "/find-site");

// Every file under the folder, by path relative to it, with its bytes.
QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!QFileInfo(path).isSymLink())
            files[QDir(folder).relativeFilePath(path)] = readFile(path);
    }
    return files;
}

void copyFolder(const QString& from, const QString& to)
{
    for (auto [name, bytes] : filesUnder(from).asKeyValueRange()) {
        QDir().mkpath(QFileInfo(to + '/' + name).path());
        writeFile(to + '/' + name, bytes);
    }
}

} // namespace

class TestFindInFiles : public QObject {
    Q_OBJECT
private slots:
    void findReportsEveryFile();
    void replaceAndUndo();
};

void TestFindInFiles::findReportsEveryFile()
{
    // Links that loop, a link to a folder above, an unreadable file: listed, and the run goes on.
    QTemporaryDir dir;
    copyFolder(Data + "/site", dir.path());
    QFile::link(dir.filePath("petla2.htm"), dir.filePath("petla1.htm"));
    QFile::link(dir.filePath("petla1.htm"), dir.filePath("petla2.htm"));
    QFile::link(dir.path(), dir.filePath("styl/wyzej"));
    writeFile(dir.filePath("zamkniety.txt"), "łąka");
    QFile::setPermissions(dir.filePath("zamkniety.txt"), {});
    const bool root = QFile(dir.filePath("zamkniety.txt")).open(QIODevice::ReadOnly);

    const FileSearchPattern pattern({"ŁĄKA", false, true, false});
    QStringList seen;
    const QList<SiteEntry> entries =
        collectFilesToSearch({dir.path()}, "*.htm *.HTML; *.css,*.txt");
    searchFiles(entries, pattern, [&](qsizetype, const FileSearchResult& result) {
        QStringList places;
        for (const FileMatch& match : result.matches)
            places << QStringLiteral("%1:%2 %3")
                          .arg(match.line)
                          .arg(match.column)
                          .arg(match.lineText.mid(match.matchStart, match.matchLength));
        seen << QStringLiteral("%1 [%2] %3%4")
                    .arg(QDir(dir.path()).relativeFilePath(result.path), result.encoding,
                         result.reason, places.join(", "));
    });
    QStringList expected{
        "binarny.htm [] plik binarny",
        "bom.htm [UTF-8] 7:12 łąka, 7:19 ŁĄKA, 8:16 Łąka, 8:40 łąka",
        "cp.html [CP-1250] 7:12 łąka, 7:19 ŁĄKA, 8:16 Łąka, 8:40 łąka",
        "iso.htm [ISO-8859-2] 7:12 łąka, 7:19 ŁĄKA, 8:16 Łąka, 8:40 łąka",
        "petla1.htm [] łącze symboliczne prowadzi donikąd lub w pętlę",
        "petla2.htm [] łącze symboliczne prowadzi donikąd lub w pętlę",
        "styl/nieznany.css [Nieznany] 1:4 łąka",
        "zamkniety.txt [] Brak uprawnień do odczytu pliku.",
        "zwykly.txt [UTF-8] 1:1 łąka, 2:10 Łąka",
    };
    if (root)
        expected[7] = "zamkniety.txt [UTF-8] 1:1 łąka";
    QCOMPARE(seen, expected);
}

void TestFindInFiles::replaceAndUndo()
{
    QTemporaryDir dir;
    const QString site = dir.filePath("site");
    copyFolder(Data + "/site", site);
    const QMap<QString, QByteArray> original = filesUnder(site);
    const FileSearchPattern pattern({"łąka", false, true, false});
    const QList<SiteEntry> entries = collectFilesToSearch({site}, "*");
    const auto plan = [&](bool references) {
        QList<FileReplacement> plans;
        for (const SiteEntry& entry : entries)
            plans << planFileReplacement(entry, pattern, "Łąka → ŁĄKA", references);
        return plans;
    };

    // Without references, the files whose encoding has no arrow are left out.
    QStringList skipped;
    for (const FileReplacement& file : plan(false))
        if (!file.changes() && file.count > 0)
            skipped << QFileInfo(file.path).fileName() + ": " + file.reason;
    QCOMPARE(skipped,
             QStringList({"cp.html: zamiana wstawiłaby znaki spoza kodowania CP-1250: 4",
                          "iso.htm: zamiana wstawiłaby znaki spoza kodowania ISO-8859-2: 4",
                          "nieznany.css: zamiana wstawiłaby znaki spoza kodowania "
                          "Nieznany: 1"}));

    // With them, every file changes in its own encoding, BOM and line breaks; one of them is
    // changed by another program after the preview and is left as that program left it.
    const QList<FileReplacement> plans = plan(true);
    QCOMPARE(plans[4].preview.first().after, QStringLiteral("<p>Zielona Łąka → ŁĄKA i ŁĄKA.</p>"));
    writeFile(site + "/zwykly.txt", "zmieniony\n");
    ReplacementRun run;
    const QString backups = newBackupFolder(dir.filePath("dane"));
    QStringList outcomes;
    for (const FileWriteOutcome& outcome : applyFileReplacements(plans, backups, &run))
        outcomes << QFileInfo(outcome.path).fileName() +
                        (outcome.written ? "" : " " + outcome.reason);
    QCOMPARE(outcomes, QStringList({"bom.htm", "cp.html", "iso.htm", "nieznany.css",
                                    "zwykly.txt plik zmienił się na dysku po podglądzie"}));
    QMap<QString, QByteArray> expected = filesUnder(Data + "/replaced");
    expected["zwykly.txt"] = "zmieniony\n";
    QCOMPARE(filesUnder(site), expected);
    // A copy of each file written, and the list of where they came from; kept for 30 days.
    QCOMPARE(filesUnder(backups).size(), 5);
    const QDateTime made =
        QDateTime::fromString(QFileInfo(backups).fileName(), "yyyy-MM-dd_HH-mm-ss");
    QCOMPARE(removeOldBackups(dir.filePath("dane"), 30, made.addDays(30)), 0);
    QVERIFY(QFileInfo::exists(backups + "/pliki.txt"));

    // Undo gives back the bytes of before, except where the file was changed since.
    writeFile(site + "/cp.html", "znowu zmieniony\n");
    outcomes.clear();
    for (const FileWriteOutcome& outcome : undoFileReplacements(run))
        outcomes << QFileInfo(outcome.path).fileName() +
                        (outcome.written ? "" : " " + outcome.reason);
    QCOMPARE(outcomes, QStringList({"bom.htm", "cp.html plik zmienił się po zamianie", "iso.htm",
                                    "nieznany.css"}));
    expected = original;
    expected["zwykly.txt"] = "zmieniony\n";
    expected["cp.html"] = "znowu zmieniony\n";
    QCOMPARE(filesUnder(site), expected);
    QCOMPARE(removeOldBackups(dir.filePath("dane"), 30, made.addDays(31)), 1);
    QVERIFY(!QFileInfo::exists(backups));
}

QTEST_GUILESS_MAIN(TestFindInFiles)
#include "tst_findinfiles.moc"
