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
    writeWholeFile(path, [&](const ByteSink& sink) { sink(bytes); });
}

void writeWholeFile(const QString& path, const std::function<void(const ByteSink&)>& produce)
{
    const auto fail = [&](const QString& reason) {
        throw CommandError(QStringLiteral("Cannot create file %1\n%2").arg(path, reason));
    };
    const QFileInfo info(path);
    // In a folder the user may not write to, the file is rewritten in place rather than
    // replaced; make sure it cannot run out of room half-way. The room needed is that of the
    // bytes to be written, counted by producing them once without keeping them.
    if (info.isFile() && !QFileInfo(info.absolutePath()).isWritable()) {
        qsizetype size = 0;
        produce([&size](QByteArrayView piece) { size += piece.size(); });
        if (QStorageInfo(info.absolutePath()).bytesAvailable() < size - info.size())
            fail(QStringLiteral("Za mało miejsca na dysku."));
    }
    if (path.isEmpty() || info.isDir())
        fail(writeFailureReason(path, QSaveFile()));

    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        fail(writeFailureReason(path, file));
    bool written = true;
    produce([&](QByteArrayView piece) {
        written = written && file.write(piece.data(), piece.size()) == piece.size();
    });
    if (!written || !file.commit())
        fail(writeFailureReason(path, file));
}

bool isExistingFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString comparablePath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString fileNamePart(const QString& path)
{
    const qsizetype cut =
        qMax(qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))),
             path.lastIndexOf(QLatin1Char(':')));
    return path.mid(cut + 1);
}
