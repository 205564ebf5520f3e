// The table generator at its largest: building the markup of 100,000 cells and putting it into
// a document through the main window, for the shapes that give the most text.
#include "desktop/Desktop.h"
#include "app/TForm1.h"
#include "authoring/TableMarkup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SystemDesktop desktop;
    TForm1 form(desktop, {}, dir.filePath(QStringLiteral("Tagomir.dat")));
    form.show();
    const std::pair<const char*, const char*> shapes[] = {
        {"1000", "100"}, {"100000", "1"}, {"100000", "0"}};
    for (const auto& [rows, columns] : shapes) {
        form.runCommand(QStringLiteral("mnuNowy1Click"));
        TableSettings settings;
        settings.rows = QLatin1String(rows);
        settings.columns = QLatin1String(columns);
        QElapsedTimer timer;
        timer.start();
        const TableMarkup table = buildTableMarkup(settings, QString());
        const qint64 built = timer.elapsed();
        form.InsertTags(table.text, QStringLiteral(" "));
        const qint64 inserted = timer.elapsed();
        app.processEvents();
        std::printf(
            "%7s x %-4s %8lld characters  build %4lld ms  insert %4lld ms  shown %4lld ms\n", rows,
            columns, static_cast<long long>(table.text.size()), static_cast<long long>(built),
            static_cast<long long>(inserted - built), static_cast<long long>(timer.elapsed()));
    }
    return 0;
}
