#pragma once

#include "encoding/Encoding.h"
#include "files/FileAccess.h"
#include "files/SiteConversion.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Finding and replacing text in the files of a site, each file read as opening it reads it (its
// declaration, undeclared UTF-8, "Nieznany") and written back in its own encoding, with its
// declaration, BOM and line breaks as they were: only the bytes of each match change.

struct FindQuery {
    QString text;
    bool matchCase = false;
    bool wholeWord = false;
    bool regularExpression = false;
};

// A query made ready for files. A plain text is matched as it is, its whole words bounded as the
// editor bounds them; an expression as the editor's (RegexSearch.h). Line breaks (CR LF, CR, LF)
// end lines for ^, $ and ".".
class FileSearchPattern {
public:
    explicit FileSearchPattern(const FindQuery& query);

    bool isValid() const { return m_expression.isValid(); }
    // Why the expression is malformed, in Polish, naming the position of the fault.
    QString errorMessage() const;
    const FindQuery& query() const { return m_query; }
    const QRegularExpression& expression() const { return m_expression; }

private:
    FindQuery m_query;
    QRegularExpression m_expression;
};

// One match: where it starts (line and column from 1, the column in characters), the line it
// starts in (without its break) and the part of that line it covers (UTF-16 offsets).
struct FileMatch {
    qsizetype line = 0;
    qsizetype column = 0;
    QString lineText;
    qsizetype matchStart = 0;
    qsizetype matchLength = 0;

    friend bool operator==(const FileMatch&, const FileMatch&) = default;
};

struct FileSearchResult {
    enum class Status { Searched, Skipped, Failed };
    QString path;
    // The encoding as the window shows it; empty when the file was not read.
    QString encoding;
    Status status = Status::Searched;
    // Why a file was passed by or could not be read, in Polish.
    QString reason;
    QList<FileMatch> matches;
};

// Name patterns ("*.htm *.php", separated by spaces, commas or semicolons; any case) as a test
// of file names; an empty list takes every name.
std::function<bool(const QString&)> fileNameFilter(const QString& patterns);

// The files under `paths` whose names the patterns take (collectSiteFiles()).
QList<SiteEntry> collectFilesToSearch(const QStringList& paths, const QString& patterns);

// How much of a file a search decodes and searches at a time.
inline constexpr qsizetype FileSearchPieceBytes = 1 << 20;

// Searches one file, read a line at a time in pieces of about `pieceBytes` (a longer line is read
// whole, then searched `pieceBytes` at a time): the bytes of a piece, its text and some text
// before it are held, never the whole file's text (unless a match may run on through all of it).
// Binary files (a NUL byte near the start) and files of 2 GB or more are skipped with the
// reason; a file that cannot be read is Failed with the reason.
FileSearchResult searchFile(const SiteEntry& entry, const FileSearchPattern& pattern,
                            qsizetype pieceBytes = FileSearchPieceBytes);

// searchFile() for each entry, several at a time, the results handed to `done` in the order of
// the entries on the calling thread. Once `stop` says so no further file is begun; returns how
// many results were handed over.
qsizetype searchFiles(const QList<SiteEntry>& entries, const FileSearchPattern& pattern,
                      const std::function<void(qsizetype, const FileSearchResult&)>& done,
                      const std::function<bool()>& stop = {});

// A line changed by a replacement, for the preview.
struct ChangedLine {
    qsizetype line = 0;
    QString before;
    QString after;
};

// What replacing would do to one file: its old and new bytes, and what the preview shows.
struct FileReplacement {
    QString path;
    // The file itself (comparablePath()), written only while it still has `stamp` and `original`.
    QString target;
    QString encoding;
    FileSearchResult::Status status = FileSearchResult::Status::Searched;
    QString reason;
    int count = 0;
    // The first few changed lines.
    QList<ChangedLine> preview;
    // Characters of the replacement the file's encoding cannot hold (each written as an HTML
    // reference when that was asked for, else the file is not to be changed).
    int unrepresentable = 0;
    bool characterReferences = false;
    FileStamp stamp;
    QByteArray original;
    QByteArray replaced;

    bool changes() const { return status == FileSearchResult::Status::Searched && count > 0; }
};

// Plans the replacement of every match in one file by `replacement` (with \0-\9 for an
// expression's groups, expandReplacement()); line breaks in it become the file's own.
FileReplacement planFileReplacement(const SiteEntry& entry, const FileSearchPattern& pattern,
                                    const QString& replacement, bool characterReferences);

// planFileReplacement() for each entry, several at a time, handed to `done` in order on the
// calling thread; once `stop` says so no further file is begun.
qsizetype planFileReplacements(const QList<SiteEntry>& entries, const FileSearchPattern& pattern,
                               const QString& replacement, bool characterReferences,
                               const std::function<void(qsizetype, const FileReplacement&)>& done,
                               const std::function<bool()>& stop = {});

// The outcome of writing (or restoring) one file.
struct FileWriteOutcome {
    QString path;
    bool written = false;
    QString reason;
};

// What a replacement run wrote, to undo it: each file's copy and its stamp after the write.
struct ReplacementRun {
    QString backupFolder;
    struct File {
        QString path;
        QString target;
        QString backup;
        FileStamp written;
    };
    QList<File> files;
};

// A new dated folder for the copies of one run, under `dataFolder`:
// <dataFolder>/kopie-zamian/2026-12-09_03-15-42 (with -2, -3 ... when taken).
QString newBackupFolder(const QString& dataFolder);

// Removes the folders of copies under `dataFolder` made more than `days` days before `now`
// (by the date in their names; nothing else there is touched). Returns how many went.
int removeOldBackups(const QString& dataFolder, int days,
                     const QDateTime& now = QDateTime::currentDateTime());

// Writes the planned files that change: first a copy of each one's old bytes in
// `backupFolder`, under the file's own path (/home/ola/strona/a.htm as
// <backupFolder>/home/ola/strona/a.htm), with "pliki.txt" listing them; if any copy fails nothing
// is written. A copy is the old file itself under a second name where that keeps its bytes
// (linkUnsyncedCopy()). Then each file, atomically, unless it changed on disk since it was
// planned (left alone and listed, its copy removed). `run` receives what was written.
QList<FileWriteOutcome> applyFileReplacements(const QList<FileReplacement>& plans,
                                              const QString& backupFolder, ReplacementRun* run);

// Puts back the old bytes of every file the run wrote, unless the file changed since (left
// alone and listed).
QList<FileWriteOutcome> undoFileReplacements(const ReplacementRun& run);
