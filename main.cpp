#include "app/CommandLine.h"
#include "app/Desktop.h"
#include "app/SingleInstance.h"
#include "app/SiteConversionCommand.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

int main(int argc, char* argv[])
{
    // --help and --version answer before any window system is needed.
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine asked = parseCommandLine(rawArguments);
    // Converting files needs no window either.
    if (asked.action == CommandLine::Action::Convert ||
        asked.action == CommandLine::Action::BadUsage)
        return runSiteConversionCommand(asked);
    if (asked.action != CommandLine::Action::Run) {
        const QString text = asked.action == CommandLine::Action::ShowHelp
                                 ? usageText()
                                 : versionText() + QLatin1Char('\n');
        std::fputs(text.toUtf8().constData(), stdout);
        return 0;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tagomir"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tagomir"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("tagomir"), QIcon(QStringLiteral(":/icons/tagomir.svg"))));
    // Qt's own options (-style, -platform, ...) are gone from arguments() by now.
    const QStringList files = parseCommandLine(application.arguments().mid(1)).files;

    const QString socketName = instanceSocketName();
    if (handFilesToRunningInstance(socketName, files))
        return 0;

    // Dialog buttons and file dialogs speak Polish whatever the system's language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    installFastEditorAccessibility();

    SystemDesktop desktop;
    TForm1 form(desktop, files);
    InstanceServer instances;
    QObject::connect(&instances, &InstanceServer::filesReceived, &form,
                     [&form](const QStringList& handedOver) {
                         bringToFront(&form);
                         form.openFiles(handedOver);
                     });
    instances.listen(socketName);
    form.show();
    return application.exec();
}
