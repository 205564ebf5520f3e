#include "files/SiteBackup.h"

#include "common/CommandError.h"
#include "files/FileAccess.h"
#include "files/SiteConversion.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <unistd.h>

namespace {

QString backupFailure(const CommandError& error)
{
    const QString& message = error.message();
    const qsizetype newline = message.indexOf(QLatin1Char('\n'));
    return newline < 0 ? message : message.mid(newline + 1);
}

bool isInside(const QString& path, const QString& folder)
{
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

// The name a path given to the conversion has in the backup (collectSiteFiles() names its
// entries after it).
QString topName(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return info.fileName();
    const QString name = QFileInfo(comparablePath(path)).fileName();
    return name.isEmpty() ? QStringLiteral("katalog-glowny") : name;
}

} // namespace

QString SiteBackup::start(const QStringList& paths)
{
    if (m_folder.isEmpty())
        return QStringLiteral("nie podano folderu kopii");
    const QString where = comparablePath(m_folder);
    for (const QString& path : paths) {
        const QString root = comparablePath(path);
        if (QFileInfo(root).isDir() ? isInside(where, root) : where == root)
            return QStringLiteral("folder kopii %1 leży w zmienianym folderze %2")
                .arg(m_folder, path);
    }
    const QFileInfo info(m_folder);
    if (info.exists() && !info.isDir())
        return QStringLiteral("%1 nie jest folderem").arg(m_folder);
    if (info.exists() && !QDir(m_folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                 QDir::NoDotAndDotDot))
        return QStringLiteral("folder kopii %1 nie jest pusty").arg(m_folder);
    QByteArray list;
    QSet<QString> names;
    for (const QString& path : paths) {
        const QString name = topName(path);
        if (names.contains(name))
            return QStringLiteral("dwie ścieżki o tej samej nazwie %1 nie zmieszczą się w jednym "
                                  "folderze kopii")
                .arg(name);
        names.insert(name);
        list += name.toUtf8() + '\t' + QFileInfo(path).absoluteFilePath().toUtf8() + '\n';
    }
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("nie można utworzyć folderu kopii %1").arg(m_folder);
    try {
        writeWholeFile(m_folder + QLatin1Char('/') + QLatin1String(RestoreListName), list,
                       WriteTarget::ThisNameOnly);
    } catch (const CommandError& error) {
        return backupFailure(error);
    }
    return {};
}

QString SiteBackup::keep(const SiteEntry& entry, const QString& file, quint64 inode,
                         const QByteArray& bytes, QString* copy) const
{
    const QString relative = QDir::cleanPath(entry.relative);
    if (relative.isEmpty() || relative.startsWith(QLatin1String("..")) ||
        QDir::isAbsolutePath(relative))
        return QStringLiteral("nieznane miejsce pliku w kopii");
    const QString target = m_folder + QLatin1Char('/') + relative;
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("nie można utworzyć folderu %1").arg(folder);
    try {
        if (!linkUnsyncedCopy(file, target, inode))
            writeUnsyncedCopy(target, bytes);
    } catch (const CommandError& error) {
        return backupFailure(error);
    }
    if (copy)
        *copy = target;
    return {};
}

void SiteBackup::drop(const QString& copy)
{
    if (!copy.isEmpty())
        ::unlink(QFile::encodeName(copy).constData());
}

QString SiteBackup::sync() const
{
    return syncFileSystem(m_folder);
}

QList<RestoredFile> restoreSiteBackup(const QString& folder)
{
    const QByteArray list =
        readWholeFile(folder + QLatin1Char('/') + QLatin1String(SiteBackup::RestoreListName));
    QList<RestoredFile> restored;
    auto put = [&](const QString& copy, const QString& original) {
        RestoredFile file{original, {}};
        try {
            writeWholeFile(original, readWholeFile(copy), WriteTarget::FileItNames);
        } catch (const CommandError& error) {
            file.error = backupFailure(error);
        }
        restored.append(file);
    };
    for (const QByteArray& line : list.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        const QString name = QString::fromUtf8(line.first(tab));
        const QString original = QString::fromUtf8(line.mid(tab + 1));
        const QString copy = folder + QLatin1Char('/') + name;
        if (QFileInfo(copy).isDir()) {
            QDirIterator it(copy, QDir::Files | QDir::Hidden | QDir::System,
                            QDirIterator::Subdirectories);
            QStringList copies;
            while (it.hasNext())
                copies << it.next();
            copies.sort();
            for (const QString& file : copies)
                put(file, original + file.mid(copy.size()));
        } else if (QFileInfo::exists(copy)) {
            put(copy, original);
        }
    }
    return restored;
}

namespace {

constexpr const char* RestoredMarkName = "przywrocono.txt";

} // namespace

QString newestRestorableBackup(const QString& backups)
{
    const QStringList runs = QDir(backups).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
        const QString folder = backups + QLatin1Char('/') + *run;
        if (QFileInfo::exists(folder + QLatin1Char('/') +
                              QLatin1String(SiteBackup::RestoreListName)) &&
            !QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(RestoredMarkName)))
            return folder;
    }
    return {};
}

void markRestored(const QString& folder)
{
    writeWholeFile(folder + QLatin1Char('/') + QLatin1String(RestoredMarkName),
                   QByteArray("Pliki z tej kopii przywrócono.\n"), WriteTarget::ThisNameOnly);
}
