#pragma once

#include "files/FileWriter.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QFile;

// Opens the regular file named by `file` for reading; throws as readWholeFile() does.
void openForReading(QFile& file);

// The whole file; throws CommandError "Cannot open file <path>" with the reason on a second line.
QByteArray readWholeFile(const QString& path);

// At most the first `maxBytes` of the file; throws as readWholeFile() does.
QByteArray readFileStart(const QString& path, qint64 maxBytes);

// Reads an open file from its start in pieces of about `pieceBytes` that end just after a line
// feed (the last one at the end of the file), handing each to `sink` with whether it is the
// last. False, with nothing more handed over, when reading fails or the file turns out not to
// be `expectedSize` bytes long. A large file is read this way a second time, so that its text
// is made without all of its bytes in memory.
bool readFileInLinePieces(QFile& file, qint64 expectedSize, qsizetype pieceBytes,
                          const std::function<void(QByteArrayView piece, bool last)>& sink);

// What a file looked like on disk, to notice when another program changes it.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp fileStamp(const QString& path);

// True when the path names an existing regular file (or a link to one).
bool isExistingFile(const QString& path);

// A canonical name for comparing files: the real path of an existing file (links and ".."
// resolved), else the absolute, cleaned path.
QString comparablePath(const QString& path);

// The text after the last slash, backslash or colon; the whole text when there is none.
QString fileNamePart(const QString& path);
