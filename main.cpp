#include "app/Desktop.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tagomir"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tagomir"));

    // Dialog buttons and file dialogs speak Polish whatever the system's language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    installFastEditorAccessibility();

    SystemDesktop desktop;
    TForm1 form(desktop, application.arguments().mid(1));
    form.show();
    return application.exec();
}
