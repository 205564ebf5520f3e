// The settings file beside the program: its format, and start-up with good and bad files.
#include "app/TForm1.h"
#include "app/WindowSettings.h"
#include "support/ScriptedDesktop.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void formatIsFourCrLfLines();
    void parse_data();
    void parse();
    void startUpAppliesSizeAndCentres();
    void startUpWithBadFiles_data();
    void startUpWithBadFiles();
    void closingWritesTheFile();
    void location_data();
    void location();
};

void TestSettings::formatIsFourCrLfLines()
{
    QCOMPARE(formatWindowSettings(QRect(-4, 12, 800, 600)),
             QByteArray("800\r\n600\r\n-4\r\n12\r\n"));
}

void TestSettings::parse_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("error");
    QTest::newRow("CR LF") << QByteArray("800\r\n600\r\n-4\r\n-4\r\n") << 4 << "";
    QTest::newRow("LF, no final break") << QByteArray("800\n600\n10\n20") << 4 << "";
    QTest::newRow("CR") << QByteArray("800\r600\r10\r20\r") << 4 << "";
    QTest::newRow("extra lines ignored") << QByteArray("1\n2\n3\n4\nrubbish\n") << 4 << "";
    QTest::newRow("empty") << QByteArray() << 0 << "List index out of bounds (0)";
    QTest::newRow("two lines") << QByteArray("800\r\n600\r\n") << 2
                               << "List index out of bounds (2)";
    QTest::newRow("garbage third")
        << QByteArray("800\n600\nabc\n1\n") << 2 << "'abc' is not a valid integer value";
    QTest::newRow("blank first") << QByteArray("\n600\n1\n1\n") << 0
                                 << "'' is not a valid integer value";
    QTest::newRow("too large") << QByteArray("99999999999\n1\n1\n1\n") << 0
                               << "'99999999999' is not a valid integer value";
    QTest::newRow("control bytes shown escaped")
        << QByteArray("8\x1b[2J\x07\t0\n1\n1\n1\n") << 0
        << "'8\\x1b[2J\\x07\\x090' is not a valid integer value";
}

void TestSettings::parse()
{
    QFETCH(QByteArray, file);
    QFETCH(int, count);
    QFETCH(QString, error);
    const WindowSettings settings = parseWindowSettings(file);
    QCOMPARE(settings.count, count);
    QCOMPARE(settings.error, error);
}

void TestSettings::startUpAppliesSizeAndCentres()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath("Tagomir.dat"), "800\r\n600\r\n-4\r\n-4\r\n");
    ScriptedDesktop desktop;
    TForm1 form(desktop, {}, path);
    form.show();
    QCOMPARE(form.size(), QSize(800, 600));
    const QRect screen = form.screen()->virtualGeometry();
    QCOMPARE(form.frameGeometry().x(),
             qMax(0, (screen.width() - form.frameGeometry().width()) / 2));
    QCOMPARE(form.frameGeometry().y(),
             qMax(0, (screen.height() - form.frameGeometry().height()) / 2));
    QVERIFY(desktop.errors.isEmpty());
}

void TestSettings::startUpWithBadFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QSize>("size");
    QTest::newRow("empty") << QByteArray() << "List index out of bounds (0)" << QSize(781, 536);
    QTest::newRow("short") << QByteArray("700\r\n") << "List index out of bounds (1)"
                           << QSize(700, 536);
    QTest::newRow("garbage") << QByteArray("700\r\nwysoko\r\n")
                             << "'wysoko' is not a valid integer value" << QSize(700, 536);
    QByteArray noise(10 << 20, '\0');
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    noise[0] = 'x';
    QTest::newRow("10 MB of noise") << noise << "" << QSize(781, 536);
}

void TestSettings::startUpWithBadFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    ScriptedDesktop desktop;
    TForm1 form(desktop, {}, writeFile(dir.filePath("Tagomir.dat"), file));
    QCOMPARE(desktop.errors.size(), 1);
    if (!error.isEmpty())
        QCOMPARE(desktop.errors[0], error);
    QVERIFY(desktop.errors[0].size() < 200); // a readable message, not the noise itself
    QCOMPARE(form.size(), size);
}

void TestSettings::closingWritesTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Tagomir.dat");
    ScriptedDesktop desktop;
    {
        TForm1 form(desktop, {}, path);
        form.show();
        form.resize(800, 480);
        QVERIFY(form.close());
    }
    const QList<QByteArray> lines = readFile(path).split('\n');
    QCOMPARE(lines.size(), 5); // four lines, each ended by CR LF
    QCOMPARE(lines[0], QByteArray("800\r"));
    QCOMPARE(lines[1], QByteArray("480\r"));
    QVERIFY(lines[4].isEmpty());
}

void TestSettings::location_data()
{
    QTest::addColumn<bool>("fileBeside");
    QTest::addColumn<QString>("installFolder");
    QTest::addColumn<QString>("programSubfolder");
    QTest::addColumn<bool>("expectBeside");
    // An unpacked copy keeps its file; an installed program never writes into the system.
    QTest::newRow("writable folder") << false << ""
                                     << "program" << true;
    QTest::newRow("install folder") << false << "program"
                                    << "program" << false;
    QTest::newRow("install folder holding one") << true << "program"
                                                << "program" << true;
    QTest::newRow("folder that cannot be written") << false << ""
                                                   << "missing" << false;
}

void TestSettings::location()
{
    QFETCH(bool, fileBeside);
    QFETCH(QString, installFolder);
    QFETCH(QString, programSubfolder);
    QFETCH(bool, expectBeside);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("program"));
    if (fileBeside)
        QVERIFY(QFile(dir.filePath("program/Tagomir.dat")).open(QIODevice::WriteOnly));
    const QString program = dir.filePath(programSubfolder);
    const QString config = dir.filePath("config");
    QCOMPARE(settingsFilePath(program,
                              installFolder.isEmpty() ? QString() : dir.filePath(installFolder),
                              config),
             (expectBeside ? program : config) + "/Tagomir.dat");
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
