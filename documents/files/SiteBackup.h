#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct SiteEntry;

// A copy of every file a site conversion changes, made before the file is touched, in a folder
// of its own that keeps the site's tree: each path given has its own name there (a folder's
// files below it). A list in the folder (RestoreListName), written before the first copy, says
// where each of those names came from, so that the copies can be put back
// (restoreSiteBackup()); a copy is there whole or not at all.
class SiteBackup {
public:
    static constexpr const char* RestoreListName = "tagomir-kopia.txt";

    explicit SiteBackup(QString folder) : m_folder(std::move(folder)) {}

    const QString& folder() const { return m_folder; }

    // Makes the folder ready for a conversion of `paths`: empty on success, else why not, in
    // Polish. The folder may not lie inside one of the paths (its copies would be converted in
    // turn), must be empty or new, and two paths of the same name cannot share it.
    QString start(const QStringList& paths);

    // Keeps the old bytes of the entry's file (`file`, its real path, the file numbered `inode`,
    // read as `bytes`) in the folder; safe from several threads. The copy is a hard link to the
    // file when linkUnsyncedCopy() can make one: the file must then be written by
    // writeWholeFile() with the copy as its backup link, or the copy dropped. Else the bytes are
    // copied. The error in Polish, or empty when the copy is made; `copy` receives its path.
    // The copy is on disk for certain only once sync() has said so.
    QString keep(const SiteEntry& entry, const QString& file, quint64 inode,
                 const QByteArray& bytes, QString* copy) const;
    // Removes the copy of a file that is not written after all: a link would change with the
    // file, and putting back a copy of a file never written could only undo another program's
    // change.
    static void drop(const QString& copy);
    // Makes every copy kept so far durable; the error in Polish, or empty.
    QString sync() const;

private:
    QString m_folder;
};

struct RestoredFile {
    QString path;
    QString error; // empty when the file holds its old bytes again
};

// Puts every copy in a backup folder back where it came from, each file written atomically.
// Throws CommandError when the folder holds no list.
QList<RestoredFile> restoreSiteBackup(const QString& folder);

// The folder under `backups` (one folder per run, named by its time) holding the newest backup
// not yet put back; empty when there is none.
QString newestRestorableBackup(const QString& backups);

// Notes in a backup folder that it has been put back, so that it is not offered again.
void markRestored(const QString& folder);
