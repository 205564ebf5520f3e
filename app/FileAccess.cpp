#include "app/FileAccess.h"

#include "app/CommandError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

namespace {

QString readFailureReason(const QString& path, const QFile& file)
{
    const QFileInfo info(path);
    if (path.isEmpty())
        return QStringLiteral("Dokument nie ma jeszcze pliku.");
    if (!info.exists())
        return QStringLiteral("Plik nie istnieje.");
    if (info.isDir())
        return QStringLiteral("To jest folder, a nie plik.");
    if (!info.isFile())
        return QStringLiteral("To nie jest zwykły plik.");
    if (!info.isReadable())
        return QStringLiteral("Brak uprawnień do odczytu pliku.");
    return file.errorString();
}

QString writeFailureReason(const QString& path, const QSaveFile& file)
{
    const QFileInfo info(path);
    if (path.isEmpty())
        return QStringLiteral("Dokument nie ma jeszcze pliku.");
    if (info.isDir())
        return QStringLiteral("To jest folder, a nie plik.");
    if (!info.dir().exists())
        return QStringLiteral("Folder nie istnieje.");
    if (info.exists() && !info.isWritable())
        return QStringLiteral("Plik jest tylko do odczytu.");
    return file.errorString();
}

} // namespace

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    // Only regular files: a pipe would block the window and a device never end.
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw CommandError(
            QStringLiteral("Cannot open file %1\n%2").arg(path, readFailureReason(path, file)));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw CommandError(QStringLiteral("Cannot open file %1\n%2").arg(path, file.errorString()));
    return bytes;
}

void writeWholeFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    // In a folder the user may not write to, the file is rewritten in place rather than
    // replaced; make sure it cannot run out of room half-way.
    if (info.isFile() && !QFileInfo(info.absolutePath()).isWritable() &&
        QStorageInfo(info.absolutePath()).bytesAvailable() < bytes.size() - info.size())
        throw CommandError(
            QStringLiteral("Cannot create file %1\nZa mało miejsca na dysku.").arg(path));
    QSaveFile file(path);
    // A writable file in a folder the user may not write to is still written, in place.
    file.setDirectWriteFallback(true);
    const bool written = !path.isEmpty() && !QFileInfo(path).isDir() &&
                         file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                         file.commit();
    if (!written)
        throw CommandError(
            QStringLiteral("Cannot create file %1\n%2").arg(path, writeFailureReason(path, file)));
}

bool isExistingFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString fileNamePart(const QString& path)
{
    const qsizetype cut =
        qMax(qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))),
             path.lastIndexOf(QLatin1Char(':')));
    return path.mid(cut + 1);
}
