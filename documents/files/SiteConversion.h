#pragma once

#include "encoding/Encoding.h"
#include "encoding/Unrepresentable.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class SiteBackup;

// Converting every file of a site to one encoding: each file's encoding is taken from the
// declarations its kind of file can carry (SiteDeclarations.h), every one of them is rewritten
// in place, an undeclared page gets a <meta charset> after its <head>, and the file is written
// with its own line breaks and no byte-order mark. A file of pure ASCII without a declaration
// keeps its bytes.

struct SiteConversionOptions {
    Encoding target = EncodingUtf8; // one that can be declared, not Nieznany
    // Characters the target cannot hold become HTML character references instead of keeping
    // the file as it is.
    bool characterReferences = false;
    // Comparable paths (see comparablePath()) of files open in the editor: left alone.
    QSet<QString> openFiles;
    // When set, every file is copied there before it is changed; a file that cannot be copied
    // is not changed.
    SiteBackup* backup = nullptr;
};

struct FileConversion {
    enum class Outcome { Changed, Unchanged, Skipped, Failed };
    QString path;
    // Encoding names as the window shows them; `from` is empty when the file was not read.
    QString from;
    QString to;
    Outcome outcome = Outcome::Unchanged;
    // Why a file was left, or what was done besides the conversion; Polish, may be empty.
    QString reason;
    // Characters the target cannot hold: how many, and the first few with their places.
    UnrepresentableReport unrepresentable;
    // Each declaration changed or inserted ("wiersz 3: <meta charset> iso-8859-2 → utf-8"),
    // and the byte-order mark dropped.
    QStringList changes;
    // What the author should look at: declarations that disagree with each other or with the
    // bytes, characters the reading rule changes, a page left without a declaration.
    QStringList warnings;
    // How lines end in the file written ("LF", "CR LF", ...); empty when no byte but the
    // declarations changed.
    QString lineBreaks;
    // Which of ISO-8859-2 and windows-1250 the distinguishing bytes point to; empty for a file
    // that holds none.
    QString evidence;
    // A server file's settings that override the declarations of the pages below it.
    QString serverOverride;
    // Where the file's old bytes were copied to, when they were.
    QString backupPath;
};

// A path found for conversion, a path that could not be looked into (`problem` set), or one
// passed by (`passedBy` set: a link that leads out of the paths given).
struct SiteEntry {
    QString path;
    QString problem;
    QString passedBy;
    // Where the path led when it was found (see comparablePath()); a file is converted only
    // while it still leads there.
    QString target;
    // The path under the folder given (with that folder's own name first), or the file's name
    // when the file itself was given: where its backup goes.
    QString relative;
};

// True for the kinds of file the program colours, plain text (.txt), and a web server's
// folder settings (.htaccess).
bool isSiteFileName(const QString& fileName);
// Those kinds as name patterns: "*.htm", "*.html", ...
QStringList siteFilePatterns();

// The files under the given paths, in order: a file is taken whatever its name, a folder is
// walked recursively (sorted by name) for site files; hidden folders and links to folders met
// on the way are passed by, and so is a link to a file outside the given paths (listed, never
// written). A file reached twice, through a link inside the paths among others, is listed once;
// a link counts as a site file when both its name and its target's are.
QList<SiteEntry> collectSiteFiles(const QStringList& paths);
// The same with the files of a folder chosen by `wanted` (given a file name) instead.
QList<SiteEntry> collectSiteFiles(const QStringList& paths,
                                  const std::function<bool(const QString&)>& wanted);

// The outcome of converting a file with these bytes (no disk access); `converted` receives the
// new bytes when the outcome is Changed.
FileConversion planConversion(const QString& path, const QByteArray& bytes,
                              const SiteConversionOptions& options,
                              QByteArray* converted = nullptr);

// Reads, plans and, when `write` is set, writes one entry. A file that changed or vanished
// since it was read is not written.
FileConversion convertSiteEntry(const SiteEntry& entry, const SiteConversionOptions& options,
                                bool write);

// convertSiteEntry() for each entry, several files at a time (writing a file waits for the disk),
// with the results handed to `done` in the order of the entries, on the calling thread. Once
// `stop` (when given) says so, no further file is begun: `done` gets the files begun before, a
// run of the first entries, and the number handed over is returned.
qsizetype convertSiteEntries(const QList<SiteEntry>& entries, const SiteConversionOptions& options,
                             bool write,
                             const std::function<void(qsizetype, const FileConversion&)>& done,
                             const std::function<bool()>& stop = {});

// What became of a file, in Polish: "zmieniony" ("`planned`" when it is not written yet),
// "bez zmian", "pominięty" or "błąd", with the reason after it in brackets.
QString describeOutcome(const FileConversion& conversion, bool written, const QString& planned);

// The characters as "3:15 „→” (U+2192)", comma-separated, "…" when more than listed.
QString describeUnrepresentable(const UnrepresentableReport& report);
