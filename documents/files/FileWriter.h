#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

// Writing a whole file so that at every moment, a kill or a full disk included, it holds either
// its old bytes or all of its new ones, and success is said only when every write, sync and
// rename has said so.

using ByteSink = std::function<void(QByteArrayView)>;
// Hands the file's bytes to the sink, piece by piece. May be called twice and must hand the same
// bytes each time.
using ByteProducer = std::function<void(const ByteSink&)>;

enum class WriteTarget {
    // A document: a symbolic link is followed and its target replaced; the file keeps its
    // owner, group, mode and other hard links.
    FileItNames,
    // The same for a file found by its real path: a link that has taken its place since is not
    // followed, and the write fails.
    ThisFile,
    // The program's own files: the name itself is replaced, never written through a link.
    ThisNameOnly,
};

// Replaces the file with the bytes `produce` hands over. Normally a new file is written beside
// it, synced, given the old one's owner, group, mode and attributes, and renamed over it, and
// the folder is synced. When that cannot keep the file what it was (a folder where no new file
// can be made, other hard links, an owner or group this user cannot give), the file is rewritten
// in its own place instead, after a copy of its old bytes has been kept in the rewrite journal
// (RewriteJournal.h), so that a kill halfway can be undone at the next start. Throws CommandError
// "Cannot create file <path>" with the reason on a second line; the old file is then as it was.
// `backupLink` may name the program's own copy of the old bytes made by linkUnsyncedCopy(): while
// it is a hard link to the file it is not counted among the file's other names, so the file is
// replaced and the link keeps the old bytes; when the file must still be rewritten in its own
// place, the link is first replaced by a durable copy of the old bytes.
void writeWholeFile(const QString& path, const ByteProducer& produce,
                    WriteTarget target = WriteTarget::FileItNames, const QString& backupLink = {});
void writeWholeFile(const QString& path, const QByteArray& bytes,
                    WriteTarget target = WriteTarget::FileItNames, const QString& backupLink = {});

// Rewrites an existing file in its own place, journalled as above. Room for all of the new bytes
// is reserved before the first old byte is overwritten, so a full disk leaves the old file as it
// was.
void writeInPlace(const QString& path, const ByteProducer& produce, bool followLink = true);

// Writes a new copy of some bytes as writeWholeFile() with ThisNameOnly does (whole or not at
// all under the name), but syncs neither the file nor its folder: many copies are made durable
// at once by syncFileSystem(), which must succeed before anything relies on them.
void writeUnsyncedCopy(const QString& path, const QByteArray& bytes);
// Keeps the present bytes of the regular file `path` (a link there is not followed) under the
// new name `copy` for nothing: `copy` becomes another hard link to the file, which holds those
// bytes once writeWholeFile(), given `copy` as its backup link, has put a new file in the
// file's place. Made only when the file is still the one numbered `inode`, is this user's own
// and has no other name (a file with other names is rewritten in place, and the link would
// change with it); false, with nothing made, when it is not or linking is not possible (another
// file system, too many links): the caller then writes a copy. Like writeUnsyncedCopy(), the
// new name is durable only once syncFileSystem() has said so. A link left by a file that is not
// written after all must be removed: it would change with the file.
bool linkUnsyncedCopy(const QString& path, const QString& copy, quint64 inode);
// Syncs the whole file system that holds the folder; the reason in Polish, or empty.
QString syncFileSystem(const QString& folder);

// The reason for a failed system call, in Polish.
QString systemErrorText(int error);

// Where a test makes the writer fail or stop: before each step, the hook is asked, and a non-zero
// answer fails the step with that errno.
namespace WriteFaults {
enum class Step { Create, Write, Sync, Rename, SyncFolder, Reserve, Truncate, Journal, Done, Link };
using Hook = std::function<int(Step)>;
void setHook(Hook hook);
// The errno the hook asks this step to fail with, or 0.
int failureAt(Step step);
} // namespace WriteFaults
