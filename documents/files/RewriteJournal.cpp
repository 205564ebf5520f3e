#include "files/RewriteJournal.h"

#include "common/CommandError.h"
#include "desktop/Desktop.h"
#include "files/FileWriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A copy is this header, the file's name and its old bytes:
// "TGJ1 <old size> <new size> <MD5 of the new bytes, hex> <name's length>\n<name>\n<old bytes>"
constexpr char Magic[] = "TGJ1";
const QString CopySuffix = QStringLiteral(".tgj");
constexpr qsizetype CopyPiece = 1 << 20;

struct Header {
    qint64 oldSize = 0;
    qint64 newSize = 0;
    QByteArray newHash;
    QByteArray path;
    qint64 dataOffset = 0;
};

QByteArray formatHeader(const QByteArray& path, qint64 oldSize, qint64 newSize,
                        const QByteArray& newHash)
{
    return QByteArray(Magic) + ' ' + QByteArray::number(oldSize) + ' ' +
           QByteArray::number(newSize) + ' ' + newHash.toHex() + ' ' +
           QByteArray::number(path.size()) + '\n' + path + '\n';
}

std::optional<Header> readHeader(int fd)
{
    QByteArray start(4096 + 256, '\0');
    const ssize_t read = ::pread(fd, start.data(), start.size(), 0);
    if (read <= 0)
        return std::nullopt;
    start.truncate(read);
    const qsizetype lineEnd = start.indexOf('\n');
    const QList<QByteArray> fields = start.left(lineEnd).split(' ');
    if (lineEnd < 0 || fields.size() != 5 || fields[0] != Magic)
        return std::nullopt;
    Header header;
    bool ok[3] = {};
    header.oldSize = fields[1].toLongLong(&ok[0]);
    header.newSize = fields[2].toLongLong(&ok[1]);
    header.newHash = QByteArray::fromHex(fields[3]);
    const qsizetype pathSize = fields[4].toLongLong(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || pathSize <= 0 || lineEnd + 1 + pathSize >= start.size() ||
        start[lineEnd + 1 + pathSize] != '\n')
        return std::nullopt;
    header.path = start.mid(lineEnd + 1, pathSize);
    header.dataOffset = lineEnd + 2 + pathSize;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_size != header.dataOffset + header.oldSize)
        return std::nullopt;
    return header;
}

// Copies `size` bytes from `from` at `fromOffset` to `to` at `toOffset`; errno or 0.
int copyBytes(int from, off_t fromOffset, int to, off_t toOffset, qint64 size)
{
    while (size > 0) {
        const ssize_t copied = ::copy_file_range(from, &fromOffset, to, &toOffset,
                                                 size_t(std::min<qint64>(size, 1 << 30)), 0);
        if (copied > 0) {
            size -= copied;
            continue;
        }
        if (copied == 0)
            return EIO;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return errno;
        // Between file systems that cannot copy for us: through a buffer.
        QByteArray buffer(std::min<qint64>(size, CopyPiece), Qt::Uninitialized);
        while (size > 0) {
            const ssize_t read = ::pread(from, buffer.data(),
                                         size_t(std::min<qint64>(size, buffer.size())), fromOffset);
            if (read <= 0)
                return read < 0 ? errno : EIO;
            for (ssize_t done = 0; done < read;) {
                const ssize_t written =
                    ::pwrite(to, buffer.constData() + done, read - done, toOffset + done);
                if (written <= 0)
                    return written < 0 ? errno : EIO;
                done += written;
            }
            fromOffset += read;
            toOffset += read;
            size -= read;
        }
    }
    return 0;
}

void syncFolderOf(const QString& path)
{
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

// True when the file at `path` holds exactly `size` bytes with the MD5 sum `hash`.
bool fileMatches(const QString& path, qint64 size, const QByteArray& hash)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != size)
        return false;
    QCryptographicHash sum(QCryptographicHash::Md5);
    return sum.addData(&file) && sum.result() == hash;
}

// The MD5 sum of the copy's old bytes.
QByteArray oldBytesHash(int fd, const Header& header)
{
    QCryptographicHash sum(QCryptographicHash::Md5);
    QByteArray buffer(CopyPiece, Qt::Uninitialized);
    for (qint64 at = 0; at < header.oldSize;) {
        const ssize_t read =
            ::pread(fd, buffer.data(), size_t(std::min<qint64>(CopyPiece, header.oldSize - at)),
                    header.dataOffset + at);
        if (read <= 0)
            return {};
        sum.addData(QByteArrayView(buffer).first(read));
        at += read;
    }
    return sum.result();
}

} // namespace

QString rewriteJournalFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Tagomir/journal");
}

JournalledRewrite::JournalledRewrite(const QString& path, int fd, qint64 newSize,
                                     const QByteArray& newHash)
{
    auto fail = [&](int error) {
        throw CommandError(
            QStringLiteral("Cannot create file %1\nNie udało się zachować kopii jego treści "
                           "przed zapisem w miejscu (%2): %3")
                .arg(path, rewriteJournalFolder(), systemErrorText(error)));
    };
    struct stat old {};
    if (::fstat(fd, &old) != 0)
        fail(errno);
    const QString folder = rewriteJournalFolder();
    // Copies of the user's files are the user's alone.
    if (!QDir().mkpath(folder))
        fail(EACCES);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QByteArray temporary = QFile::encodeName(
        folder + QStringLiteral("/%1.tmp").arg(QRandomGenerator::global()->generate64(), 0, 16));
    const int copy =
        ::open(temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (copy < 0)
        fail(errno);
    m_lock = copy;
    const QByteArray header = formatHeader(QFile::encodeName(path), old.st_size, newSize, newHash);
    int error = WriteFaults::failureAt(WriteFaults::Step::Journal);
    if (!error && ::pwrite(copy, header.constData(), header.size(), 0) != header.size())
        error = errno ? errno : EIO;
    if (!error)
        error = copyBytes(fd, 0, copy, header.size(), old.st_size);
    if (!error && ::fsync(copy) != 0)
        error = errno;
    // Locked before it has its name, so that a start looking for copies left behind never
    // takes this one for one of them.
    if (!error && ::flock(copy, LOCK_EX) != 0)
        error = errno;
    m_journal = folder +
                QStringLiteral("/%1").arg(QRandomGenerator::global()->generate64(), 0, 16) +
                CopySuffix;
    if (!error && ::rename(temporary.constData(), QFile::encodeName(m_journal).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        ::close(std::exchange(m_lock, -1));
        fail(error);
    }
    syncFolderOf(m_journal);
}

JournalledRewrite::~JournalledRewrite()
{
    if (m_lock >= 0)
        ::close(m_lock);
}

bool JournalledRewrite::putBack(int fd)
{
    const std::optional<Header> header = readHeader(m_lock);
    return header && copyBytes(m_lock, header->dataOffset, fd, 0, header->oldSize) == 0 &&
           ::ftruncate(fd, header->oldSize) == 0 && ::fsync(fd) == 0;
}

void JournalledRewrite::finish()
{
    if (m_lock < 0)
        return;
    ::unlink(QFile::encodeName(m_journal).constData());
    syncFolderOf(m_journal);
    ::close(std::exchange(m_lock, -1));
}

QList<InterruptedRewrite> interruptedRewrites(const QString& folder)
{
    QList<InterruptedRewrite> found;
    const QStringList names =
        QDir(folder).entryList({QLatin1Char('*') + CopySuffix}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QString journal = folder + QLatin1Char('/') + name;
        const int fd =
            ::open(QFile::encodeName(journal).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A copy still locked belongs to a rewrite going on now.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        const std::optional<Header> header = readHeader(fd);
        bool settled = false;
        if (header) {
            const QString path = QFile::decodeName(header->path);
            // Finished, or never begun: nothing to put back.
            settled = fileMatches(path, header->newSize, header->newHash) ||
                      fileMatches(path, header->oldSize, oldBytesHash(fd, *header));
            if (!settled)
                found.append({journal, path, header->oldSize});
        }
        if (settled)
            ::unlink(QFile::encodeName(journal).constData());
        ::close(fd);
    }
    return found;
}

void restoreInterruptedRewrite(const InterruptedRewrite& rewrite)
{
    QFile copy(rewrite.journal);
    if (!copy.open(QIODevice::ReadOnly))
        throw CommandError(
            QStringLiteral("Cannot open file %1\n%2").arg(rewrite.journal, copy.errorString()));
    const std::optional<Header> header = readHeader(copy.handle());
    if (!header)
        throw CommandError(
            QStringLiteral("Cannot open file %1\nKopia jest niepełna.").arg(rewrite.journal));
    copy.seek(header->dataOffset);
    const QByteArray old = copy.read(header->oldSize);
    if (old.size() != header->oldSize)
        throw CommandError(
            QStringLiteral("Cannot open file %1\n%2").arg(rewrite.journal, copy.errorString()));
    // Written as any save is: a rewrite in place is journalled afresh.
    writeWholeFile(rewrite.path, old);
    discardInterruptedRewrite(rewrite);
}

void discardInterruptedRewrite(const InterruptedRewrite& rewrite)
{
    QFile::remove(rewrite.journal);
}

void offerInterruptedRewrites(Desktop& desktop, QWidget* window)
{
    for (const InterruptedRewrite& rewrite : interruptedRewrites()) {
        const Answer answer = desktop.askYesNoCancel(
            window,
            QStringLiteral("Zapis pliku %1 został przerwany w połowie i plik może być "
                           "uszkodzony. Tagomir zachował jego treść sprzed zapisu (%2 B).\n\n"
                           "Czy przywrócić plik do stanu sprzed zapisu?\n"
                           "(Nie – kopia zostanie usunięta, Anuluj – pytanie wróci przy "
                           "następnym uruchomieniu.)")
                .arg(rewrite.path, QLocale(QLocale::Polish).toString(rewrite.oldSize)));
        if (answer == Answer::Yes) {
            try {
                restoreInterruptedRewrite(rewrite);
            } catch (const CommandError& error) {
                desktop.showError(window, error.message());
            }
        } else if (answer == Answer::No) {
            discardInterruptedRewrite(rewrite);
        }
    }
}
