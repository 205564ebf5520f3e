#include "files/FileAccess.h"

#include "common/CommandError.h"
#include "files/FileWriter.h"
#include "common/HugePages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString readFailureReason(const QString& path, int error)
{
    if (path.isEmpty())
        return QStringLiteral("Dokument nie ma jeszcze pliku.");
    // The system's own answer first: a path too long or a loop of links is named as such.
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT ? QStringLiteral("Plik nie istnieje.") : systemErrorText(errno);
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("To jest folder, a nie plik.");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("To nie jest zwykły plik.");
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0 && errno == EACCES)
        return QStringLiteral("Brak uprawnień do odczytu pliku.");
    return systemErrorText(error);
}

} // namespace

void openForReading(QFile& file)
{
    const QString path = file.fileName();
    // Only regular files: a pipe would block the window and a device never end.
    errno = 0;
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw CommandError(
            QStringLiteral("Cannot open file %1\n%2").arg(path, readFailureReason(path, errno)));
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    openForReading(file);
    // Read straight into a buffer of the file's size, in huge pages when it is large.
    QByteArray bytes(std::max<qint64>(file.size(), 0), Qt::Uninitialized);
    preferHugePages(bytes.data(), std::size_t(bytes.size()));
    const qint64 read = bytes.isEmpty() ? 0 : file.read(bytes.data(), bytes.size());
    bytes.truncate(std::max<qint64>(read, 0));
    if (read >= 0)
        bytes += file.readAll(); // what the file grew by meanwhile, or all of a file of no size
    if (file.error() != QFileDevice::NoError)
        throw CommandError(
            QStringLiteral("Cannot open file %1\n%2").arg(path, systemErrorText(errno)));
    return bytes;
}

QByteArray readFileStart(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    openForReading(file);
    const QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        throw CommandError(
            QStringLiteral("Cannot open file %1\n%2").arg(path, systemErrorText(errno)));
    return bytes;
}

bool readFileInLinePieces(QFile& file, qint64 expectedSize, qsizetype pieceBytes,
                          const std::function<void(QByteArrayView piece, bool last)>& sink)
{
    if (!file.seek(0))
        return false;
    QByteArray buffer;
    qint64 total = 0;
    for (;;) {
        const qsizetype held = buffer.size();
        buffer.resize(held + std::max<qsizetype>(pieceBytes, 1));
        const qint64 read = file.read(buffer.data() + held, buffer.size() - held);
        if (read < 0)
            return false;
        buffer.truncate(held + read);
        total += read;
        if (total > expectedSize)
            return false;
        if (total == expectedSize && file.read(1).isEmpty() &&
            file.error() == QFileDevice::NoError) {
            sink(buffer, true);
            return true;
        }
        if (read == 0)
            return false; // shorter than it was
        // What was held before holds no line feed: only the bytes just read are searched.
        const qsizetype lineFeed = QByteArrayView(buffer).sliced(held).lastIndexOf('\n');
        if (lineFeed < 0)
            continue; // a line longer than a piece: the piece goes on
        sink(QByteArrayView(buffer).first(held + lineFeed + 1), false);
        buffer.remove(0, held + lineFeed + 1);
    }
}

FileStamp fileStamp(const QString& path)
{
    struct stat status {};
    if (path.isEmpty() || stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {true, qint64(status.st_size),
            qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
            quint64(status.st_ino)};
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
