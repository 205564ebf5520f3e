#include "app/FileAccess.h"

#include "app/CommandError.h"
#include "encoding/HugePages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString readFailureReason(const QString& path, int error)
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
    return systemErrorText(error);
}

QString writeFailureReason(const QString& path, int error)
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
    return systemErrorText(error);
}

[[noreturn]] void failToWrite(const QString& path, const QString& reason)
{
    throw CommandError(QStringLiteral("Cannot create file %1\n%2").arg(path, reason));
}

} // namespace

void writeInPlace(const QString& path, const std::function<void(const ByteSink&)>& produce)
{
    qsizetype size = 0;
    produce([&size](QByteArrayView piece) { size += piece.size(); });

    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) // no truncation: the old bytes stay until replaced
        failToWrite(path, writeFailureReason(path, errno));
    const int fd = file.handle();
    const qint64 oldSize = file.size();
    if (size > oldSize) {
        const int reserved = posix_fallocate(fd, 0, size);
        if (reserved == EOPNOTSUPP || reserved == EINVAL) {
            // A file system that cannot reserve room: at least make sure that it has it now.
            if (QStorageInfo(QFileInfo(path).absolutePath()).bytesAvailable() < size - oldSize)
                failToWrite(path, systemErrorText(ENOSPC));
        } else if (reserved != 0) {
            [[maybe_unused]] const int restored = ftruncate(fd, oldSize);
            failToWrite(path, systemErrorText(reserved));
        }
    }
    int error = 0;
    produce([&](QByteArrayView piece) {
        if (!error && file.write(piece.data(), piece.size()) != piece.size())
            error = errno ? errno : EIO;
    });
    if (!error && !file.flush())
        error = errno ? errno : EIO;
    if (!error && ftruncate(fd, size) != 0)
        error = errno;
    if (!error && fsync(fd) != 0)
        error = errno;
    if (error)
        failToWrite(path, systemErrorText(error));
}

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("Brak miejsca na dysku.");
    case EDQUOT:
        return QStringLiteral("Przekroczony przydział miejsca na dysku.");
    case EFBIG:
        return QStringLiteral("Plik byłby za duży.");
    case EACCES:
        return QStringLiteral("Brak uprawnień.");
    case EPERM:
        return QStringLiteral("Operacja niedozwolona.");
    case EROFS:
        return QStringLiteral("System plików jest tylko do odczytu.");
    case ENOENT:
        return QStringLiteral("Plik lub folder nie istnieje.");
    case ENOTDIR:
        return QStringLiteral("Część ścieżki nie jest folderem.");
    case EISDIR:
        return QStringLiteral("To jest folder, a nie plik.");
    case ENAMETOOLONG:
        return QStringLiteral("Nazwa pliku jest za długa.");
    case ELOOP:
        return QStringLiteral("Zbyt wiele dowiązań symbolicznych w ścieżce.");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Otwartych jest zbyt wiele plików.");
    case ENOMEM:
        return QStringLiteral("Za mało pamięci.");
    case ETXTBSY:
    case EBUSY:
        return QStringLiteral("Plik jest w użyciu.");
    case EIO:
        return QStringLiteral("Błąd odczytu lub zapisu na dysku.");
    default:
        return QStringLiteral("Błąd systemu (kod %1).").arg(error);
    }
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    // Only regular files: a pipe would block the window and a device never end.
    errno = 0;
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw CommandError(
            QStringLiteral("Cannot open file %1\n%2").arg(path, readFailureReason(path, errno)));
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

void writeWholeFile(const QString& path, const QByteArray& bytes)
{
    writeWholeFile(path, [&](const ByteSink& sink) { sink(bytes); });
}

void writeWholeFile(const QString& path, const std::function<void(const ByteSink&)>& produce)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.isDir())
        failToWrite(path, writeFailureReason(path, 0));
    // In a folder the user may not write to, no new file can take the old one's place.
    if (info.isFile() && !QFileInfo(info.absolutePath()).isWritable() && info.isWritable()) {
        writeInPlace(path, produce);
        return;
    }

    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        failToWrite(path, writeFailureReason(path, errno));
    int error = 0;
    produce([&](QByteArrayView piece) {
        if (!error && file.write(piece.data(), piece.size()) != piece.size())
            error = errno ? errno : EIO;
    });
    if (!error && !file.commit())
        error = errno ? errno : EIO;
    if (error)
        failToWrite(path, writeFailureReason(path, error));
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
