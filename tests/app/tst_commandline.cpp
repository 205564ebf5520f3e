// The command line: the options, and what is left as file paths.
#include "app/CommandLine.h"

#include <QTest>

using Action = CommandLine::Action;
Q_DECLARE_METATYPE(Action)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("nothing") << QStringList{} << Action::Run << QStringList{};
    QTest::newRow("help") << QStringList{"--help"} << Action::ShowHelp << QStringList{};
    QTest::newRow("version after a path")
        << QStringList{"a.htm", "--version"} << Action::ShowVersion << QStringList{"a.htm"};
    QTest::newRow("first option decides")
        << QStringList{"--version", "--help"} << Action::ShowVersion << QStringList{};
    QTest::newRow("-- ends the options") << QStringList{"--", "--help", "--", "-x"} << Action::Run
                                         << QStringList{"--help", "--", "-x"};
    QTest::newRow("anything else is a path") << QStringList{"-h", "--verbose", "-"} << Action::Run
                                             << QStringList{"-h", "--verbose", "-"};
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QStringList, files);
    QCOMPARE(parseCommandLine(arguments), (CommandLine{action, files}));
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
