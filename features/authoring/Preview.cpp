#include "authoring/Preview.h"

#include "desktop/Desktop.h"

#include <QFileInfo>

bool isPreviewable(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView extension = QStringView(name).sliced(dot);
    return extension == QLatin1String(".htm") || extension == QLatin1String(".html");
}

void previewInBrowser(Desktop& desktop, QWidget* owner, const QString& path)
{
    if (isPreviewable(path))
        desktop.openWithAssociatedProgram(path);
    else
        desktop.showMessage(owner, QStringLiteral("Skarbie!!\r\n"
                                                  "Reaguję tylko na pliki HTML. Taki plik to ja "
                                                  "mam ...!"));
}
