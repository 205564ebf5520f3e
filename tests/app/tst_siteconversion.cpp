// Converting a whole site from the command line: the report, the bytes written, a second run,
// and files that cannot be converted.
#include "app/SiteConversionCommand.h"
#include "files/FileWriter.h"
#include "files/SiteBackup.h"
#include "files/SiteConversion.h"
#include "support/TestFiles.h"

#include <cerrno>
#include <sys/stat.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString siteFolder = QStringLiteral(TAGOMIR_TEST_DATA "/site");

// A copy of the sample site in `folder`.
void copySite(const QString& folder)
{
    QDirIterator it(siteFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString to = folder + from.mid(siteFolder.size());
        QDir().mkpath(QFileInfo(to).absolutePath());
        QVERIFY(QFile::copy(from, to));
    }
}

struct Run {
    int status;
    QString report;
};

Run convert(const QString& folder, const QStringList& arguments)
{
    const CommandLine commandLine = parseCommandLine(arguments);
    QString report;
    const int status =
        runSiteConversion(commandLine, [&report](const QString& line) { report += line; });
    return {status, report.replace(folder + QLatin1Char('/'), QString())};
}

// Every file under `folder` with its bytes, by relative path.
QMap<QString, QByteArray> tree(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(folder.size() + 1), readFile(path));
    }
    return files;
}

const QString toUtf8Report =
    QStringLiteral("ascii.txt: Nieznany → UTF-8, bez zmian (już w tym kodowaniu)\n"
                   "cp.html: CP-1250 → UTF-8, %1\n"
                   "css/styl.css: ISO-8859-2 → UTF-8, %1\n"
                   "iso.htm: ISO-8859-2 → UTF-8, %1\n"
                   "obraz.htm: pominięty (plik binarny)\n"
                   "pusty.txt: bez zmian (pusty plik)\n"
                   "skrypt.js: UTF-8 → UTF-8, bez zmian (już w tym kodowaniu)\n"
                   "strona.php: CP-1250 → UTF-8, %1\n"
                   "utf.htm: UTF-8 → UTF-8, bez zmian (już w tym kodowaniu)\n"
                   "znaki.htm: UTF-8 → UTF-8, bez zmian (już w tym kodowaniu)\n"
                   "%2: %3, bez zmian: 5, pominięte: 1, błędy: 0.\n");

} // namespace

class TestSiteConversion : public QObject {
    Q_OBJECT
private slots:
    void wholeSite();
    void unrepresentable_data();
    void unrepresentable();
    void badInput();
    void stopBeginsNoFurtherFile();
    void migrationWithReportAndBackup();
    void backupRefusedOrNotWritten_data();
    void backupRefusedOrNotWritten();
};

void TestSiteConversion::wholeSite()
{
    QTemporaryDir folder;
    copySite(folder.path());
    const QMap<QString, QByteArray> original = tree(folder.path());

    const Run dry = convert(folder.path(), {"--convert", "utf-8", "--dry-run", folder.path()});
    QCOMPARE(dry.report, toUtf8Report.arg("do zmiany", "Próba, nic nie zapisano. Do zmiany", "4"));
    QCOMPARE(dry.status, 1);
    QCOMPARE(tree(folder.path()), original);

    const Run first = convert(folder.path(), {"--convert", "UTF-8", folder.path()});
    QCOMPARE(first.report, toUtf8Report.arg("zmieniony", "Zmienione", "4"));
    QCOMPARE(first.status, 1);
    QCOMPARE(tree(folder.path()), tree(QStringLiteral(TAGOMIR_TEST_DATA "/site-utf-8")));

    // Nothing is left to do, and nothing is rewritten.
    const Run second = convert(folder.path(), {"--convert", "utf-8", folder.path()});
    QVERIFY(!second.report.contains("zmieniony"));
    QVERIFY(second.report.endsWith("Zmienione: 0, bez zmian: 9, pominięte: 1, błędy: 0.\n"));
    QCOMPARE(tree(folder.path()), tree(QStringLiteral(TAGOMIR_TEST_DATA "/site-utf-8")));

    // Only the converted files go back, so a second run there has nothing to do either.
    QCOMPARE(convert(folder.path(), {"--convert", "iso-8859-2", folder.path() + "/iso.htm"}).status,
             0);
    // Its LF line breaks are kept.
    QCOMPARE(readFile(folder.path() + "/iso.htm"),
             readFile(siteFolder + "/iso.htm").replace("ISO-8859-2", "iso-8859-2"));
    QCOMPARE(convert(folder.path(), {"--convert", "iso-8859-2", folder.path() + "/iso.htm"}).report,
             "iso.htm: ISO-8859-2 → ISO-8859-2, bez zmian (już w tym kodowaniu)\n"
             "Zmienione: 0, bez zmian: 1, pominięte: 0, błędy: 0.\n");
}

void TestSiteConversion::unrepresentable_data()
{
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("kept") << QStringList{}
                          << "znaki.htm: UTF-8 → ISO-8859-2, pominięty (znaki spoza kodowania: 2; "
                             "3:12 „→” (U+2192), 3:16 „€” (U+20AC))\n"
                          << QByteArray("<body>Cena \xe2\x86\x92 5 \xe2\x82\xac, \xc5\x82"
                                        "adnie");
    QTest::newRow("references")
        << QStringList{"--entities"}
        << "znaki.htm: UTF-8 → ISO-8859-2, zmieniony (odwołania HTML zamiast znaków spoza "
           "kodowania: 2; 3:12 „→” (U+2192), 3:16 „€” (U+20AC))\n"
        << QByteArray("<body>Cena &#8594; 5 &#8364;, \xb3"
                      "adnie");
}

void TestSiteConversion::unrepresentable()
{
    QFETCH(QStringList, switches);
    QFETCH(QString, line);
    QFETCH(QByteArray, body);
    QTemporaryDir folder;
    copySite(folder.path());
    const QString page = folder.path() + "/znaki.htm";
    const Run run = convert(folder.path(),
                            QStringList{"--convert", "iso-8859-2"} + switches + QStringList{page});
    QCOMPARE(run.report.section('\n', 0, 0) + '\n', line);
    QVERIFY(readFile(page).contains(body));
    QCOMPARE(readFile(page).contains("charset=\"iso-8859-2\""), !switches.isEmpty());
}

void TestSiteConversion::badInput()
{
    QTemporaryDir folder;
    const QString root = folder.path();
    writeFile(root + "/a.htm", "<meta charset=iso-8859-2>\xb1\n");
    QFile::link(root + "/petla2.htm", root + "/petla1.htm");
    QFile::link(root + "/petla1.htm", root + "/petla2.htm");
    QDir().mkpath(root + "/prawdziwy");
    writeFile(root + "/prawdziwy/b.htm", "<p>\xc5\x82</p>");
    QFile::link(root + "/prawdziwy", root + "/dowiazanie");
    // Links to files: one out of the site, which is never written, one to a page inside it,
    // converted once, and one to a file of a kind not converted.
    QTemporaryDir outside;
    const QString script = writeFile(outside.filePath("skrypt.sh"), "#!/bin/sh\n\xb1\n");
    QFile::link(script, root + "/zly.txt");
    QFile::link(root + "/prawdziwy/c.htm", root + "/c.htm");
    writeFile(root + "/prawdziwy/c.htm", "<meta charset=iso-8859-2>\xb1\n");
    writeFile(root + "/prawdziwy/d.sh", "#!/bin/sh\n\xb1\n");
    QFile::link(root + "/prawdziwy/d.sh", root + "/d.txt");

    const Run run = convert(
        root, {"--convert", "utf-8", root + "/a.htm", root + "/brak.htm", root, root + "/a.htm"});
    QCOMPARE(run.report,
             "a.htm: ISO-8859-2 → UTF-8, zmieniony\n"
             "brak.htm: błąd (Plik nie istnieje.)\n"
             "c.htm: ISO-8859-2 → UTF-8, zmieniony\n"
             "petla1.htm: błąd (łącze symboliczne prowadzi donikąd lub w pętlę)\n"
             "petla2.htm: błąd (łącze symboliczne prowadzi donikąd lub w pętlę)\n"
             "prawdziwy/b.htm: UTF-8 → UTF-8, bez zmian (już w tym kodowaniu; bez deklaracji)\n"
             "zly.txt: pominięty (dowiązanie poza folderem)\n"
             "Zmienione: 2, bez zmian: 1, pominięte: 1, błędy: 3.\n");
    QCOMPARE(run.status, 1);
    QCOMPARE(readFile(root + "/a.htm"), "<meta charset=utf-8>\xc4\x85\n");
    QCOMPARE(readFile(script), "#!/bin/sh\n\xb1\n");
    QCOMPARE(readFile(root + "/prawdziwy/d.sh"), "#!/bin/sh\n\xb1\n");
    QVERIFY(QFileInfo(root + "/c.htm").isSymLink());
    QVERIFY(!QFileInfo::exists(root + "/brak.htm"));
}

void TestSiteConversion::stopBeginsNoFurtherFile()
{
    QTemporaryDir folder;
    const QByteArray iso = "<meta charset=iso-8859-2>\xb1\n";
    QList<SiteEntry> entries;
    for (int i = 0; i < 10; ++i)
        entries.append(
            {writeFile(folder.filePath(QStringLiteral("%1.htm").arg(i)), iso), {}, {}, {}, {}});
    int asked = 0;
    QList<qsizetype> handed;
    SiteConversionOptions options;
    const qsizetype done = convertSiteEntries(
        entries, options, true, [&](qsizetype index, const FileConversion&) { handed << index; },
        [&] { return ++asked > 3; });
    // Asked before each file is begun: three begun, the first three, and no other touched.
    QCOMPARE(done, 3);
    QCOMPARE(handed, (QList<qsizetype>{0, 1, 2}));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(readFile(entries[i].path) == iso, i >= 3);
}

namespace {

const QString migrationFolder = QStringLiteral(TAGOMIR_TEST_DATA "/migration");

// The text compared with a golden file in tests/data/migration, which TAGOMIR_UPDATE_GOLDEN=1
// writes anew for review.
void compareGolden(const QByteArray& actual, const QString& name)
{
    const QString golden = migrationFolder + QLatin1Char('/') + name;
    if (qEnvironmentVariableIsSet("TAGOMIR_UPDATE_GOLDEN"))
        writeFile(golden, actual);
    QCOMPARE(actual, readFile(golden));
}

} // namespace

// A site with every form of declaration, code and prose that only mention "charset", a file in
// another encoding, LF and CR LF files, a BOM, an undeclared and a mislabelled page and an
// .htaccess: the check's warnings, the converted bytes and the report against golden copies,
// then the backup put back byte for byte.
void TestSiteConversion::migrationWithReportAndBackup()
{
    QTemporaryDir work;
    const QString site = work.filePath("strona");
    const QString backup = work.filePath("kopia");
    const QString report = work.filePath("raport.html");
    QDir().mkpath(site);
    QDirIterator it(migrationFolder + "/site", QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString to = site + from.mid(migrationFolder.size() + 5);
        QDir().mkpath(QFileInfo(to).absolutePath());
        writeFile(to, readFile(from));
    }
    const QMap<QString, QByteArray> original = tree(site);
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(site + "/index.html"), &before), 0);

    const Run dry = convert(site, {"--convert", "utf-8", "--dry-run", site});
    compareGolden(dry.report.toUtf8(), "dry-run-utf-8.txt");
    QCOMPARE(tree(site), original);

    const Run run =
        convert(site, {"--convert", "utf-8", "--report", report, "--backup", backup, site});
    QCOMPARE(run.status, 1); // latin1.html is left as it is
    QCOMPARE(tree(site), tree(migrationFolder + "/site-utf-8"));
    QByteArray html = readFile(report);
    html.replace(backup.toUtf8(), "KOPIA").replace(site.toUtf8(), "STRONA");
    QVERIFY(html.contains("<p class=\"czas\">"));
    QList<QByteArray> lines = html.split('\n');
    lines.removeIf([](const QByteArray& line) { return line.contains("class=\"czas\""); });
    html = lines.join('\n');
    compareGolden(html, "report-utf-8.html");
    // The copy of a converted file is the old file itself, kept under a second name.
    struct stat kept {};
    QCOMPARE(::stat(QFile::encodeName(backup + "/strona/index.html"), &kept), 0);
    QCOMPARE(kept.st_ino, before.st_ino);
    QCOMPARE(kept.st_nlink, nlink_t(1));

    QString restored;
    QCOMPARE(runRestore(parseCommandLine({"--restore", backup}),
                        [&](const QString& line) { restored += line; }),
             0);
    QVERIFY(restored.endsWith("Przywrócone: 11, błędy: 0.\n"));
    QCOMPARE(tree(site), original);
}

void TestSiteConversion::backupRefusedOrNotWritten_data()
{
    using Step = WriteFaults::Step;
    QTest::addColumn<bool>("copies"); // instead of links (another file system)
    QTest::addColumn<int>("failure"); // the errno of b.htm's write at `step`, or 0
    QTest::addColumn<Step>("step");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("bWritten");
    QTest::newRow("disk full while copying")
        << true << ENOSPC << Step::Write
        << QStringLiteral("błąd (nie zmieniono, bo nie udało się zrobić kopii: Brak miejsca na "
                          "dysku.)")
        << false;
    QTest::newRow("disk full while writing")
        << false << ENOSPC << Step::Write << QStringLiteral("błąd (Brak miejsca na dysku.)")
        << false;
    QTest::newRow("changed by another program, copied")
        << true << 0 << Step::Write << QStringLiteral("błąd (plik zmienił się w czasie zmiany)")
        << false;
    QTest::newRow("changed by another program, linked")
        << false << 0 << Step::Write << QStringLiteral("błąd (plik zmienił się w czasie zmiany)")
        << false;
    // The new file took the old one's place, but its folder could not be synced: the copy
    // holds the only old bytes left, and stays to be put back.
    QTest::newRow("folder not synced after the file was replaced")
        << false << EIO << Step::SyncFolder
        << QStringLiteral("błąd (Błąd odczytu lub zapisu na dysku.)") << true;
}

// b.htm is not written (the second file written fills the disk: with copies, its copy, since
// the copies come before the files they keep; or another program changes it in its place
// before it is written): a is converted and listed with its copy, b is as it was and has no
// copy to put back. Or b is written but its write still fails, and its copy stays.
void TestSiteConversion::backupRefusedOrNotWritten()
{
    QFETCH(bool, copies);
    QFETCH(int, failure);
    QFETCH(WriteFaults::Step, step);
    QFETCH(QString, outcome);
    QFETCH(bool, bWritten);
    QTemporaryDir folder;
    const QByteArray iso = "<meta charset=iso-8859-2>\xb1\n";
    const QByteArray utf8 = "<meta charset=utf-8>\xc4\x85\n";
    QDir(folder.path()).mkdir("strona");
    const QString a = writeFile(folder.filePath("strona/a.htm"), iso);
    const QString b = writeFile(folder.filePath("strona/b.htm"), iso);

    // A backup inside the site would be converted in turn.
    const Run inside =
        convert(folder.path(), {"--convert", "utf-8", "--backup", folder.filePath("strona/kopia"),
                                folder.filePath("strona")});
    QCOMPARE(inside.status, 2);
    QVERIFY(inside.report.startsWith("Nic nie zmieniono: folder kopii"));
    QVERIFY(!QFileInfo::exists(folder.filePath("strona/kopia")));

    SiteBackup backup(folder.filePath("kopia"));
    QCOMPARE(backup.start({folder.filePath("strona")}), QString());
    SiteConversionOptions options;
    options.backup = &backup;
    int created = 0;
    bool synced = false;
    WriteFaults::setHook([&](WriteFaults::Step now) {
        created += now == WriteFaults::Step::Create;
        if (now == WriteFaults::Step::Sync && !failure && !std::exchange(synced, true)) {
            // After the copies are made, before the first file is written.
            QFile file(b);
            if (file.open(QIODevice::Append))
                file.write("<p>dopisane</p>\n");
        }
        if (now == WriteFaults::Step::Link && copies)
            return EXDEV;
        return now == step && created == 2 ? failure : 0;
    });
    QStringList outcomes;
    convertSiteEntries(collectSiteFiles({folder.filePath("strona")}), options, true,
                       [&](qsizetype, const FileConversion& done) {
                           outcomes << describeOutcome(done, true, {}) + " " + done.backupPath;
                       });
    WriteFaults::setHook({});
    const QString bCopy = bWritten ? folder.filePath("kopia/strona/b.htm") : QString();
    QCOMPARE(outcomes, (QStringList{"zmieniony " + folder.filePath("kopia/strona/a.htm"),
                                    outcome + " " + bCopy}));
    QCOMPARE(readFile(a), utf8);
    QCOMPARE(readFile(b), bWritten ? utf8 : failure ? iso : iso + "<p>dopisane</p>\n");
    QMap<QString, QByteArray> kept{
        {"strona/a.htm", iso},
        {SiteBackup::RestoreListName, "strona\t" + folder.filePath("strona").toUtf8() + '\n'}};
    if (bWritten)
        kept.insert("strona/b.htm", iso);
    QCOMPARE(tree(folder.filePath("kopia")), kept);
}

QTEST_GUILESS_MAIN(TestSiteConversion)
#include "tst_siteconversion.moc"
