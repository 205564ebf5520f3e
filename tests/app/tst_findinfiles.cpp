// Find and replace in the files of a mixed-encoding site: what is found in each file, the bytes
// each file holds after a replacement (compared with bytes made by another program), the bytes
// after undoing it, and files that change meanwhile or cannot be read.
#include "encoding/DocumentCodec.h"
#include "files/FileWriter.h"
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

// What a search of the file found, a line for each match.
QStringList searched(const QString& path, const FindQuery& query, qsizetype pieceBytes)
{
    const FileSearchResult result =
        searchFile({path, {}, {}, comparablePath(path), {}}, FileSearchPattern(query), pieceBytes);
    QStringList lines{QStringLiteral("[%1] %2").arg(result.encoding, result.reason)};
    for (const FileMatch& match : result.matches)
        lines << QStringLiteral("%1:%2 %3|%4|%5")
                     .arg(match.line)
                     .arg(match.column)
                     .arg(match.lineText.left(match.matchStart),
                          match.lineText.mid(match.matchStart, match.matchLength),
                          match.lineText.mid(match.matchStart + match.matchLength));
    return lines;
}

} // namespace

class TestFindInFiles : public QObject {
    Q_OBJECT
private slots:
    void findReportsEveryFile();
    void replaceAndUndo();
    void writeFailingAfterTheSwapKeepsItsCopy();
    void piecesFindWhatTheWholeTextFinds_data();
    void piecesFindWhatTheWholeTextFinds();
    void replaceInUtf8_data();
    void replaceInUtf8();
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

void TestFindInFiles::writeFailingAfterTheSwapKeepsItsCopy()
{
    // The new file takes the old one's place, then its folder cannot be synced: the write is
    // reported failed, but the copy, the only old bytes left, stays and undo puts it back.
    QTemporaryDir dir;
    const QByteArray old = "<p>\xb3\xb1ka</p>\n";
    const QString page = writeFile(dir.filePath("strona.htm"), old);
    const QList<FileReplacement> plans = {
        planFileReplacement(collectFilesToSearch({page}, "*").first(),
                            FileSearchPattern({"łąka", false, false, false}), "las", false)};
    int syncs = 0; // the list of copies is synced first, then the page
    WriteFaults::setHook([&](WriteFaults::Step step) {
        return step == WriteFaults::Step::SyncFolder && ++syncs == 2 ? EIO : 0;
    });
    ReplacementRun run;
    const QList<FileWriteOutcome> outcomes =
        applyFileReplacements(plans, newBackupFolder(dir.filePath("dane")), &run);
    WriteFaults::setHook({});
    QCOMPARE(outcomes.size(), 1);
    QCOMPARE(outcomes[0].reason, QStringLiteral("Błąd odczytu lub zapisu na dysku."));
    QCOMPARE(readFile(page), QByteArray("<p>las</p>\n"));
    QCOMPARE(run.files.size(), 1);
    QCOMPARE(readFile(run.files[0].backup), old);
    QVERIFY(undoFileReplacements(run).first().written);
    QCOMPARE(readFile(page), old);
}

void TestFindInFiles::piecesFindWhatTheWholeTextFinds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString polish = "Zażółć gęślą jaźń, łąka\nŁĄKA i Łąka; podłąka łąka\n\n\nłąka na "
                           "początku\nkoniec łąka";
    const std::pair<const char*, QString> texts[] = {
        {"lines", polish},
        {"a long line", "x" + QString("łąka ab ").repeated(40) + "\nŁąka\n"},
        {"a line that makes an expression run away",
         polish + "\n" + QString("a").repeated(30) + "\n"},
    };
    const struct {
        const char* name;
        Encoding encoding;
        QByteArray before;
        QByteArray declarationAfter;
    } forms[] = {
        {"ISO-8859-2", EncodingIso88592, "<meta charset=\"iso-8859-2\">\n", ""},
        {"windows-1250 declared late", EncodingCp1250, "", "\ncharset=windows-1250"},
        {"UTF-8 undeclared", EncodingUtf8, "", ""},
        {"UTF-8 with BOM", EncodingUtf8, "\xEF\xBB\xBF<meta charset=utf-8>\n", ""},
    };
    const QByteArray breaks[] = {"\n", "\r\n", "\r"};
    for (const auto& [name, text] : texts)
        for (const auto& form : forms)
            for (const QByteArray& lineBreak : breaks) {
                QByteArray bytes = form.before +
                                   encodeDocument(text.toUtf8(), form.encoding, LineBreak::Lf) +
                                   form.declarationAfter;
                bytes.replace("\n", lineBreak);
                QTest::addRow("%s, %s, %s", name, form.name,
                              lineBreak == "\n"   ? "LF"
                              : lineBreak == "\r" ? "CR"
                                                  : "CR LF")
                    << bytes;
            }
    QTest::newRow("malformed UTF-8, byte order marks within")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF<meta charset=utf-8>\n\xEF\xBB\xBF\xC5\x82\xC4\x85"
                      "ka \xB3\xB9ka\r\n\xC0\xAF\xED\xA0\x80 \xF0\x9F\x98\x80\xC5\x82\xC4\x85ka\n");
}

void TestFindInFiles::piecesFindWhatTheWholeTextFinds()
{
    // Read in pieces as small as a byte, a search finds what it finds in the whole text: the
    // same matches, lines, columns and line texts, whatever the encoding and line breaks.
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath("strona.htm"), bytes);
    const FindQuery queries[] = {
        {"łąka", false, true, false},           {"Łąka", true, false, false},
        {"ą\\w+", false, false, true},          {"\\w+\\R^Ł", false, false, true},
        {"(?<=ł)ąka\\b", true, false, true},    {"\\bŁ\\w*", true, false, true},
        {"^\\w+$", false, false, true},         {"ka\\s+\\S", false, false, true},
        {"(?s)jaźń.+?Łąka", true, false, true}, {"$|\\W", false, false, true},
        {"ą|^(a+)+\\d", false, false, true},
    };
    for (const FindQuery& query : queries) {
        const QStringList whole = searched(path, query, qsizetype(1) << 30);
        for (const qsizetype pieceBytes : {1, 7, 64})
            QCOMPARE(searched(path, query, pieceBytes), whole);
    }
}

void TestFindInFiles::replaceInUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // A byte order mark after the file's own is a character of the text.
    QTest::newRow("byte order marks") << QByteArray(
        "\xEF\xBB\xBF\xEF\xBB\xBF\xC5\x82\xC4\x85ka \xEF\xBB\xBF\xC5\x82\xC4\x85ka\n");
    QTest::newRow("malformed bytes")
        << QByteArray("<meta charset=utf-8>\n\xB3\xB9ka \xC5ka\r\n\xF0\x9F\x98\x80ka\xC0\xAFka\x80"
                      "\xEF\xBF\xBDka \xED\xA0\x80\xC4\x85ka\n");
}

void TestFindInFiles::replaceInUtf8()
{
    // The bytes replaced are those of each match, wherever malformed bytes and byte order marks
    // stand before it.
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath("a.htm"), bytes);
    const FileReplacement plan =
        planFileReplacement({path, {}, {}, comparablePath(path), {}},
                            FileSearchPattern({"ka", true, false, false}), "KA", false);
    QCOMPARE(plan.replaced, QByteArray(bytes).replace("ka", "KA"));
}

QTEST_GUILESS_MAIN(TestFindInFiles)
#include "tst_findinfiles.moc"
