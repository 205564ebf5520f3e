#include "app/CommandLine.h"
#include "app/FindCommand.h"
#include "app/SingleInstance.h"
#include "app/SiteConversionCommand.h"
#include "app/TForm1.h"
#include "desktop/Desktop.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

int main(int argc, char* argv[])
{
    // The whole command line is read here; --help and --version answer before any window system
    // is needed.
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine asked = parseCommandLine(rawArguments);
    // Converting and searching files need no window either.
    if (asked.action == CommandLine::Action::Find)
        return runFindCommand(asked);
    if (asked.action == CommandLine::Action::Convert ||
        asked.action == CommandLine::Action::Restore ||
        asked.action == CommandLine::Action::BadUsage)
        return runSiteConversionCommand(asked);
    if (asked.action != CommandLine::Action::Run) {
        const QString text = asked.action == CommandLine::Action::ShowHelp
                                 ? usageText()
                                 : versionText() + QLatin1Char('\n');
        std::fputs(text.toUtf8().constData(), stdout);
        return 0;
    }

    // Qt takes its own options (-platform, -style, -reverse, ...) from the arguments it is given,
    // even after "--": it gets none, only a name, and the files come from the reading above.
    char programName[] = "tagomir";
    char* qtArguments[] = {programName, nullptr};
    int qtArgumentCount = 1;
    QApplication application(qtArgumentCount, qtArguments);
    QApplication::setApplicationName(QStringLiteral("Tagomir"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tagomir"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("tagomir"), QIcon(QStringLiteral(":/icons/tagomir.svg"))));

    // This start becomes the instance of its display before it reads any file, so that a start
    // made meanwhile hands its files over instead of opening them a second time.
    const QString socketName = instanceSocketName(
        displayKey(QGuiApplication::platformName(), qEnvironmentVariable("DISPLAY"),
                   qEnvironmentVariable("WAYLAND_DISPLAY")));
    InstanceServer instances;
    if (handOverOrBecomeInstance(socketName, asked.files, instances))
        return 0;

    // Dialog buttons and file dialogs speak Polish whatever the system's language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    installFastEditorAccessibility();

    SystemDesktop desktop;
    // Files handed over while these open (an error box runs the event loop) wait their turn.
    TForm1 form(desktop, asked.files);
    QObject::connect(&instances, &InstanceServer::filesReceived, &form,
                     [&form](const QStringList& handedOver) {
                         bringToFront(&form);
                         form.openFiles(handedOver);
                     });
    // Once the window has gone, a later start opens its own rather than handing files to it.
    QObject::connect(&application, &QGuiApplication::lastWindowClosed, &instances,
                     &InstanceServer::close);
    form.show();
    instances.startDelivering();
    return application.exec();
}
