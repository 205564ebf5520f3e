// The command line: the options, what is left as file paths, and the answer to bad usage.
#include "app/CommandLine.h"

#include <QProcess>
#include <QTest>

using Action = CommandLine::Action;
Q_DECLARE_METATYPE(Action)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void convert_data();
    void convert();
    void programRefusesUnknownOption();
    void find_data();
    void find();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing") << QStringList{} << Action::Run << QStringList{} << "";
    QTest::newRow("help") << QStringList{"--help"} << Action::ShowHelp << QStringList{} << "";
    QTest::newRow("version after a path")
        << QStringList{"a.htm", "--version"} << Action::ShowVersion << QStringList{"a.htm"} << "";
    QTest::newRow("first option decides")
        << QStringList{"--version", "--help"} << Action::ShowVersion << QStringList{} << "";
    QTest::newRow("-- ends the options") << QStringList{"--", "--help", "--", "-x"} << Action::Run
                                         << QStringList{"--help", "--", "-x"} << "";
    QTest::newRow("Qt's options after --")
        << QStringList{"--", "-platform", "x", "-stylesheet", "-reverse", "-"} << Action::Run
        << QStringList{"-platform", "x", "-stylesheet", "-reverse", "-"} << "";
    QTest::newRow("-platform") << QStringList{"-platform", "x.htm"} << Action::BadUsage
                               << QStringList{} << "Nieznana opcja: -platform";
    QTest::newRow("-stylesheet") << QStringList{"a.htm", "-stylesheet", "x"} << Action::BadUsage
                                 << QStringList{} << "Nieznana opcja: -stylesheet";
    QTest::newRow("-reverse") << QStringList{"-reverse"} << Action::BadUsage << QStringList{}
                              << "Nieznana opcja: -reverse";
    QTest::newRow("other dashes are not paths")
        << QStringList{"a-b", "--verbose", "--help", "-h"} << Action::BadUsage << QStringList{}
        << "Nieznana opcja: --verbose";
    QTest::newRow("lone dash") << QStringList{"-"} << Action::BadUsage << QStringList{}
                               << "Tagomir nie czyta standardowego wejścia („-”); plik o tej "
                                  "nazwie to ./-";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QStringList, files);
    QFETCH(QString, error);
    CommandLine expected;
    expected.action = action;
    expected.files = files;
    expected.usageError = error;
    QCOMPARE(parseCommandLine(arguments), expected);
}

void TestCommandLine::convert_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all switches") << QStringList{"--entities", "--convert", "UTF-8",     "a",
                                                 "--dry-run",  "--",        "--entities"}
                                  << "Convert UTF-8 dry entities [a|--entities]";
    QTest::newRow("help wins") << QStringList{"--convert", "utf-8", "a", "--help"} << "ShowHelp";
    QTest::newRow("no target") << QStringList{"--convert"}
                               << "Po --convert brakuje kodowania docelowego.";
    QTest::newRow("unknown target")
        << QStringList{"--convert", "latin1", "a"}
        << "Nieznane kodowanie docelowe: latin1 (dozwolone: utf-8, iso-8859-2, windows-1250).";
    QTest::newRow("no path") << QStringList{"--convert", "iso-8859-2", "--dry-run"}
                             << "Po --convert brakuje plików lub folderów.";
    QTest::newRow("switch alone") << QStringList{"--dry-run", "a"}
                                  << "Opcje --dry-run i --entities działają tylko z --convert.";
    QTest::newRow("twice") << QStringList{"--convert", "utf-8", "--convert", "utf-8", "a"}
                           << "Opcja --convert podana dwa razy.";
    QTest::newRow("find switch alone")
        << QStringList{"--word", "a"}
        << "Opcje --ignore-case, --word i --regex działają tylko z --find.";
    QTest::newRow("find and convert") << QStringList{"--find", "x", "--convert", "utf-8", "a"}
                                      << "Opcji --find i --convert nie można łączyć.";
    QTest::newRow("find without text")
        << QStringList{"--find"} << "Po --find brakuje szukanego tekstu.";
    QTest::newRow("report and backup")
        << QStringList{"--report", "r.html", "--convert", "utf-8", "--backup", "k", "a"}
        << "Convert utf-8 [a] report r.html backup k";
    QTest::newRow("report alone") << QStringList{"--report", "r.html", "a"}
                                  << "Opcje --report i --backup działają tylko z --convert.";
    QTest::newRow("backup without folder")
        << QStringList{"--convert", "utf-8", "a", "--backup"} << "Po --backup brakuje ścieżki.";
    QTest::newRow("restore") << QStringList{"--restore", "k"} << "Restore k";
    QTest::newRow("restore with a path")
        << QStringList{"--restore", "k", "a"} << "Opcja --restore nie łączy się z innymi.";
}

void TestCommandLine::convert()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const CommandLine parsed = parseCommandLine(arguments);
    QString seen;
    if (parsed.action == Action::BadUsage)
        seen = parsed.usageError;
    else if (parsed.action == Action::ShowHelp)
        seen = "ShowHelp";
    else if (parsed.action == Action::Restore)
        seen = "Restore " + parsed.restoreFolder;
    else
        seen = QStringLiteral("Convert %1%2%3 [%4]")
                   .arg(parsed.convertTarget, parsed.dryRun ? " dry" : "",
                        parsed.characterReferences ? " entities" : "", parsed.files.join('|')) +
               (parsed.reportPath.isEmpty() ? "" : " report " + parsed.reportPath) +
               (parsed.backupFolder.isEmpty() ? "" : " backup " + parsed.backupFolder);
    QCOMPARE(seen, expected);
}

// Bad usage is answered before any display is needed, and opens no window.
void TestCommandLine::programRefusesUnknownOption()
{
    QProcess program;
    program.setProcessEnvironment(QProcessEnvironment());
    program.start(TAGOMIR_PROGRAM, {"a.htm", "--bogus"});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()),
             "tagomir: Nieznana opcja: --bogus\nOpis opcji: tagomir --help\n");
}

void TestCommandLine::find_data()
{
    // The arguments after "--find", run in the mixed-encoding site's folder; what the program
    // prints on its two outputs, and its exit status.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");
    QTest::addColumn<int>("status");
    const QString binary = "tagomir: site/binarny.htm: plik binarny\n";
    const QString second = "<p>Łąkowy nie, Łąka tak: żółw na łące, łąka!</p>\n";
    QString everyEncoding;
    for (const char* file : {"bom.htm", "cp.html", "iso.htm"})
        everyEncoding += QStringLiteral("site/%1:7:12: <p>Zielona łąka i ŁĄKA.</p>\n"
                                        "site/%1:7:19: <p>Zielona łąka i ŁĄKA.</p>\n"
                                        "site/%1:8:16: %2"
                                        "site/%1:8:40: %2")
                             .arg(file, second);
    QTest::newRow("whole words in any case, every encoding")
        << QStringList{"łąka", "--ignore-case", "--word", "site"}
        << everyEncoding + "site/styl/nieznany.css:1:4: /* łąka */\n"
                           "site/zwykly.txt:1:1: łąka bez końca wiersza\n"
                           "site/zwykly.txt:2:10: ostatni: Łąka\n"
        << binary << 0;
    QTest::newRow("one case, inside words, a file named")
        << QStringList{"Łąk", "site/cp.html", "site/obrazek.png"}
        << "site/cp.html:4:8: <title>Łąki</title>\nsite/cp.html:8:4: " + second +
               "site/cp.html:8:16: " + second
        << "tagomir: site/obrazek.png: plik binarny\n"
        << 0;
    QTest::newRow("expression") << QStringList{"ł\\w+e\\b", "--regex", "site/iso.htm"}
                                << "site/iso.htm:8:34: " + second << "" << 0;
    QTest::newRow("expression, groups and lines")
        << QStringList{"^(o\\w+): (\\w)ąka$", "--regex", "--ignore-case", "site"}
        << "site/zwykly.txt:2:1: ostatni: Łąka\n"
        << binary << 0;
    QTest::newRow("nothing found") << QStringList{"łąkę", "site"} << "" << binary << 1;
    QTest::newRow("malformed expression")
        << QStringList{"ł(ą", "--regex", "site"} << ""
        << "tagomir: Błąd w wyrażeniu regularnym na pozycji 4: brak nawiasu zamykającego.\n"
        << 2;
    QTest::newRow("missing path, found elsewhere")
        << QStringList{"nic", "site", "brak"} << "site/bez-niczego.js:1:4: // nic tu nie ma\n"
        << binary + "tagomir: brak: Plik nie istnieje.\n"
        << 2;
    QTest::newRow("no path") << QStringList{"łąka"} << ""
                             << "tagomir: Po --find brakuje plików lub folderów.\n"
                                "Opis opcji: tagomir --help\n"
                             << 2;
}

// The search needs no display: the program runs with an empty environment.
void TestCommandLine::find()
{
    QFETCH(QStringList, arguments);
    QProcess program;
    program.setProcessEnvironment(QProcessEnvironment());
    program.setWorkingDirectory(TAGOMIR_TEST_DATA "/find-site");
    program.start(TAGOMIR_PROGRAM, QStringList{"--find"} + arguments);
    QVERIFY(program.waitForFinished(10000));
    QTEST(QString::fromUtf8(program.readAllStandardOutput()), "output");
    QTEST(QString::fromUtf8(program.readAllStandardError()), "errors");
    QTEST(program.exitCode(), "status");
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
