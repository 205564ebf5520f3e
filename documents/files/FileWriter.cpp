#include "files/FileWriter.h"

#include "common/CommandError.h"
#include "files/FileAccess.h"
#include "files/RewriteJournal.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

using WriteFaults::Step;

namespace {

// Pieces smaller than this are gathered before they are written; larger ones go as they are.
constexpr qsizetype BufferBytes = 1 << 20;

WriteFaults::Hook& faultHook()
{
    static WriteFaults::Hook hook;
    return hook;
}

int injected(Step step)
{
    return WriteFaults::failureAt(step);
}

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

[[noreturn]] void failToWrite(const QString& path, const QString& reason)
{
    throw CommandError(QStringLiteral("Cannot create file %1\n%2").arg(path, reason));
}

// A descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Closes it; errno when the system reports a failure (a network file system may say only
    // now that the bytes did not arrive), else 0.
    int close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) != 0 && errno != EINTR ? errno : 0;
    }

private:
    int m_fd;
};

// Writes all the bytes at the descriptor's position, through interruptions and short writes;
// errno of the first failure, else 0.
int writeAll(int fd, QByteArrayView bytes)
{
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        if (const int error = injected(Step::Write))
            return error;
        const ssize_t written = ::write(fd, data, size_t(std::min<qsizetype>(left, BufferBytes)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        left -= written;
    }
    return 0;
}

// Gathers the producer's pieces into writes of about a megabyte; the first failure is kept and
// what follows it ignored.
class BufferedWriter {
public:
    explicit BufferedWriter(int fd) : m_fd(fd) { m_buffer.reserve(BufferBytes); }
    void add(QByteArrayView piece)
    {
        if (m_error)
            return;
        if (m_buffer.size() + piece.size() > BufferBytes)
            flush();
        if (piece.size() >= BufferBytes / 2)
            m_error = m_error ? m_error : writeAll(m_fd, piece);
        else
            m_buffer.append(piece);
    }
    int flush()
    {
        if (!m_error && !m_buffer.isEmpty())
            m_error = writeAll(m_fd, m_buffer);
        m_buffer.clear();
        return m_error;
    }

private:
    int m_fd;
    QByteArray m_buffer;
    int m_error = 0;
};

int syncDescriptor(int fd)
{
    if (const int error = injected(Step::Sync))
        return error;
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Syncs a folder after a name in it changed. Some file systems cannot sync a folder at all.
int syncFolder(int folderFd)
{
    if (const int error = injected(Step::SyncFolder))
        return error;
    if (::fsync(folderFd) == 0 || errno == EINVAL || errno == EROFS)
        return 0;
    return errno;
}

QString randomName()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = QStringLiteral(".tagomir-");
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return name;
}

// The file a name stands for: a link's final target, or the name itself.
QString fileNamedBy(const QString& path, WriteTarget target)
{
    const QFileInfo info(path);
    if (target != WriteTarget::FileItNames || !info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    // A link to a file not made yet: the file is made where the link points.
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// Gives the new file the old one's owner, group, mode and extended attributes (an access
// control list among them). False when it could not; the caller then keeps the old file and
// writes in place.
bool takeOverIdentity(int fd, const QByteArray& oldPath, const struct stat& old)
{
    struct stat made {};
    if (::fstat(fd, &made) != 0)
        return false;
    if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return false;
    const ssize_t listSize = ::llistxattr(oldPath.constData(), nullptr, 0);
    if (listSize <= 0)
        return listSize == 0 || errno == ENOTSUP;
    QByteArray names(listSize, '\0');
    const ssize_t listed = ::llistxattr(oldPath.constData(), names.data(), names.size());
    if (listed < 0)
        return false;
    for (const QByteArray& name : names.left(listed).split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t valueSize = ::lgetxattr(oldPath.constData(), name.constData(), nullptr, 0);
        if (valueSize < 0)
            return false;
        QByteArray value(valueSize, '\0');
        const ssize_t read =
            ::lgetxattr(oldPath.constData(), name.constData(), value.data(), value.size());
        if (read < 0 || ::fsetxattr(fd, name.constData(), value.constData(), read, 0) != 0)
            return false;
    }
    return true;
}

// Set while writeUnsyncedCopy() writes: the file and its folder are left to syncFileSystem().
thread_local bool leaveUnsynced = false;

// What came of writing a new file to take the old one's place.
struct Replacement {
    int error = 0;
    // The new file could not be made or could not keep what the old one was: write in place.
    bool inPlaceInstead = false;
};

// Writes the bytes into a new file in the folder and renames it over `path`. The new file has no
// name until it is whole and synced, so that a kill leaves nothing behind but the old file; where
// the file system cannot make such a file, it is a hidden ".tagomir-" file from the start.
Replacement replaceFile(const QString& path, const ByteProducer& produce, const struct stat* old,
                        WriteTarget target)
{
    const QFileInfo info(path);
    const QByteArray name = nativePath(info.fileName());
    Descriptor folder(
        ::open(nativePath(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen())
        return {errno};

    if (const int error = injected(Step::Create))
        return {error, old && (error == EACCES || error == EPERM)};
    // An unnamed file is given its name through /proc.
    const bool canName = ::access("/proc/self/fd", X_OK) == 0;
    int fd = canName ? ::openat(folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
    const bool unnamed = fd >= 0;
    const int unnamedError = canName ? errno : 0;
    QByteArray temporary;
    auto makeName = [&](const std::function<bool(const QByteArray&)>& tryName) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            temporary = nativePath(randomName());
            if (tryName(temporary))
                return true;
            if (errno != EEXIST)
                break;
        }
        temporary.clear();
        return false;
    };
    int createError = unnamed ? 0 : unnamedError;
    if (!unnamed && unnamedError != EACCES && unnamedError != EPERM &&
        !makeName([&](const QByteArray& candidate) {
            fd = ::openat(folder.get(), candidate.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            return fd >= 0;
        }))
        createError = errno;
    if (fd < 0) {
        const int error = createError ? createError : EIO;
        // A folder where this user may not make files: the old file can still be rewritten.
        return {error, old && (error == EACCES || error == EPERM)};
    }
    Descriptor file(fd);
    auto discard = [&](int error, bool inPlace = false) {
        if (!temporary.isEmpty())
            ::unlinkat(folder.get(), temporary.constData(), 0);
        return Replacement{error, inPlace};
    };
    if (old && target != WriteTarget::ThisNameOnly &&
        !takeOverIdentity(file.get(), nativePath(path), *old))
        return discard(0, true);

    BufferedWriter writer(file.get());
    produce([&](QByteArrayView piece) { writer.add(piece); });
    if (const int error = writer.flush())
        return discard(error);
    if (const int error = leaveUnsynced ? 0 : syncDescriptor(file.get()))
        return discard(error);
    if (const int error = injected(Step::Rename))
        return discard(error);
    if (unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.get());
        if (!makeName([&](const QByteArray& candidate) {
                return ::linkat(AT_FDCWD, self.constData(), folder.get(), candidate.constData(),
                                AT_SYMLINK_FOLLOW) == 0;
            }))
            return discard(errno);
    }
    if (const int error = file.close())
        return discard(error);
    if (::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) != 0)
        return discard(errno);
    return {leaveUnsynced ? 0 : syncFolder(folder.get())};
}

// True when `backupLink` is another name of the file `old` describes.
bool isLinkTo(const QString& backupLink, const struct stat& old)
{
    struct stat link {};
    return !backupLink.isEmpty() && ::lstat(nativePath(backupLink).constData(), &link) == 0 &&
           link.st_dev == old.st_dev && link.st_ino == old.st_ino;
}

// Before a file is rewritten in its own place, its backup link becomes a durable copy of the
// old bytes: as a link it would change with the file.
void separateBackup(const QString& path, const QString& backupLink)
{
    try {
        writeWholeFile(backupLink, readWholeFile(backupLink), WriteTarget::ThisNameOnly);
    } catch (const CommandError& error) {
        const QString& message = error.message();
        failToWrite(path, QStringLiteral("Nie udało się zrobić kopii pliku: %1")
                              .arg(message.mid(message.indexOf(QLatin1Char('\n')) + 1)));
    }
}

QString writeFailureReason(const QString& path, int error)
{
    if (error == ENOENT && !QFileInfo(QFileInfo(path).absolutePath()).isDir())
        return QStringLiteral("Folder nie istnieje.");
    if (error == EACCES && QFileInfo(path).exists())
        return QStringLiteral("Plik jest tylko do odczytu.");
    return systemErrorText(error);
}

} // namespace

void writeUnsyncedCopy(const QString& path, const QByteArray& bytes)
{
    leaveUnsynced = true;
    const auto restore = qScopeGuard([] { leaveUnsynced = false; });
    writeWholeFile(path, bytes, WriteTarget::ThisNameOnly);
}

bool linkUnsyncedCopy(const QString& path, const QString& copy, quint64 inode)
{
    const QByteArray from = nativePath(path);
    const QByteArray to = nativePath(copy);
    struct stat file {};
    // Another user's old file kept under this user's name would stay on that user's quota.
    if (::lstat(from.constData(), &file) != 0 || !S_ISREG(file.st_mode) || file.st_nlink != 1 ||
        quint64(file.st_ino) != inode || file.st_uid != ::geteuid())
        return false;
    if (injected(Step::Link) || ::linkat(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), 0))
        return false;
    // The file may have been replaced, or given another name, between the look and the link.
    struct stat linked {};
    if (::lstat(to.constData(), &linked) == 0 && linked.st_dev == file.st_dev &&
        linked.st_ino == file.st_ino && linked.st_nlink == 2)
        return true;
    ::unlink(to.constData());
    return false;
}

QString syncFileSystem(const QString& folder)
{
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return systemErrorText(errno);
    int error = injected(Step::Sync);
    if (!error && ::syncfs(fd) != 0)
        error = errno;
    ::close(fd);
    return error ? systemErrorText(error) : QString();
}

void WriteFaults::setHook(Hook hook)
{
    faultHook() = std::move(hook);
}

int WriteFaults::failureAt(Step step)
{
    const Hook& hook = faultHook();
    return hook ? hook(step) : 0;
}

void writeInPlace(const QString& path, const ByteProducer& produce, bool followLink)
{
    Descriptor file(
        ::open(nativePath(path).constData(), O_RDWR | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
    if (!file.isOpen())
        failToWrite(path, writeFailureReason(path, errno));
    const int fd = file.get();
    struct stat old {};
    if (::fstat(fd, &old) != 0)
        failToWrite(path, systemErrorText(errno));

    qint64 size = 0;
    QCryptographicHash hash(QCryptographicHash::Md5);
    produce([&](QByteArrayView piece) {
        size += piece.size();
        hash.addData(piece);
    });
    JournalledRewrite journal(path, fd, size, hash.result());

    if (size > old.st_size) {
        int reserved = injected(Step::Reserve);
        if (!reserved)
            reserved = posix_fallocate(fd, 0, size);
        if (reserved == EOPNOTSUPP || reserved == EINVAL) {
            // A file system that cannot reserve room: at least make sure that it has it now.
            struct statvfs space {};
            if (::fstatvfs(fd, &space) == 0 &&
                qint64(space.f_bavail) * qint64(space.f_frsize) < size - old.st_size)
                reserved = ENOSPC;
            else
                reserved = 0;
        }
        if (reserved != 0) {
            if (::ftruncate(fd, old.st_size) == 0 && ::fsync(fd) == 0)
                journal.finish();
            failToWrite(path, systemErrorText(reserved));
        }
    }
    int error = ::lseek(fd, 0, SEEK_SET) == 0 ? 0 : errno;
    if (!error) {
        BufferedWriter writer(fd);
        produce([&](QByteArrayView piece) { writer.add(piece); });
        error = writer.flush();
    }
    if (!error)
        error = injected(Step::Truncate);
    if (!error && ::ftruncate(fd, size) != 0)
        error = errno;
    if (!error)
        error = syncDescriptor(fd);
    if (error) {
        if (journal.putBack(fd)) {
            journal.finish();
            failToWrite(path, systemErrorText(error));
        }
        failToWrite(path, QStringLiteral("%1\nPoprzednia treść pliku jest zachowana w %2; "
                                         "Tagomir zaproponuje jej przywrócenie przy następnym "
                                         "uruchomieniu.")
                              .arg(systemErrorText(error), rewriteJournalFolder()));
    }
    if (const int done = injected(Step::Done))
        failToWrite(path, systemErrorText(done));
    journal.finish();
}

void writeWholeFile(const QString& path, const QByteArray& bytes, WriteTarget target,
                    const QString& backupLink)
{
    writeWholeFile(
        path, [&](const ByteSink& sink) { sink(bytes); }, target, backupLink);
}

void writeWholeFile(const QString& path, const ByteProducer& produce, WriteTarget target,
                    const QString& backupLink)
{
    if (path.isEmpty())
        failToWrite(path, QStringLiteral("Dokument nie ma jeszcze pliku."));
    const QString file = fileNamedBy(path, target);
    struct stat old {};
    const bool exists = ::lstat(nativePath(file).constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        failToWrite(path, writeFailureReason(file, errno));
    if (exists) {
        if (S_ISDIR(old.st_mode))
            failToWrite(path, QStringLiteral("To jest folder, a nie plik."));
        const bool replaceable =
            S_ISREG(old.st_mode) || (target == WriteTarget::ThisNameOnly && S_ISLNK(old.st_mode));
        if (!replaceable)
            failToWrite(path, QStringLiteral("To nie jest zwykły plik."));
        // A file its owner made read-only is not replaced behind their back.
        if (target != WriteTarget::ThisNameOnly && ::access(nativePath(file).constData(), W_OK))
            failToWrite(path, errno == EACCES || errno == EPERM
                                  ? QStringLiteral("Plik jest tylko do odczytu.")
                                  : systemErrorText(errno));
    }
    const bool backupLinked =
        exists && target != WriteTarget::ThisNameOnly && isLinkTo(backupLink, old);
    auto rewriteInPlace = [&] {
        if (backupLinked)
            separateBackup(path, backupLink);
        writeInPlace(file, produce, target == WriteTarget::FileItNames);
    };
    // The other names of a hard-linked file must see the new text too; the program's own copy
    // is not one of them.
    if (exists && target != WriteTarget::ThisNameOnly && old.st_nlink > (backupLinked ? 2 : 1)) {
        rewriteInPlace();
        return;
    }
    const Replacement replaced = replaceFile(file, produce, exists ? &old : nullptr, target);
    if (replaced.inPlaceInstead && target != WriteTarget::ThisNameOnly) {
        rewriteInPlace();
        return;
    }
    if (replaced.error || replaced.inPlaceInstead)
        failToWrite(path, writeFailureReason(file, replaced.error ? replaced.error : EPERM));
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
        return QStringLiteral("Nazwa pliku lub ścieżka jest za długa.");
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
