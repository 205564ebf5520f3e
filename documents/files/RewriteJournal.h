#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class Desktop;
class QWidget;

// While a file is rewritten in its own place, a copy of its old bytes is kept in the user's data
// folder, so that a kill or a crash halfway leaves something to put back. The copy is written and
// synced before the first old byte is overwritten and removed once the new bytes are synced.

// The folder of the copies: "Tagomir/journal" in the user's data folder.
QString rewriteJournalFolder();

// A rewrite in progress: its copy of the old bytes, locked while it lasts.
class JournalledRewrite {
public:
    // Keeps the old bytes of the file open as `fd` (named `path`), about to get `newSize` bytes
    // with the MD5 sum `newHash`. Throws CommandError "Cannot create file <path>" when the copy
    // cannot be made whole.
    JournalledRewrite(const QString& path, int fd, qint64 newSize, const QByteArray& newHash);
    // Without finish(), the copy stays for the next start.
    ~JournalledRewrite();
    JournalledRewrite(const JournalledRewrite&) = delete;
    JournalledRewrite& operator=(const JournalledRewrite&) = delete;

    // Writes the old bytes back into the file (after a failed rewrite); false when that failed
    // too, and the copy then stays.
    bool putBack(int fd);
    // The file holds what it should: the copy goes.
    void finish();

private:
    QString m_journal;
    int m_lock = -1;
};

// A rewrite that was cut short: the file may be neither old nor new.
struct InterruptedRewrite {
    QString journal;
    QString path;
    qint64 oldSize = 0;
};

// The rewrites of programs that died halfway and left the file changed. Copies of rewrites that
// never started, or that finished, are removed on the way; those still in progress are left.
QList<InterruptedRewrite> interruptedRewrites(const QString& folder = rewriteJournalFolder());

// Puts the old bytes back into the file and removes the copy; throws CommandError.
void restoreInterruptedRewrite(const InterruptedRewrite& rewrite);
void discardInterruptedRewrite(const InterruptedRewrite& rewrite);

// Asks about each interrupted rewrite: Tak puts the old file back, Nie drops the copy, Anuluj
// keeps it for the next start.
void offerInterruptedRewrites(Desktop& desktop, QWidget* window);
