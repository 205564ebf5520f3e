#pragma once

#include "encoding/TextLines.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>

class Desktop;
class DocumentEncodings;
class DocumentList;
class DocumentPage;

// A document kept for recovery: what it takes to show it again as the page it was.
struct RecoveredDocument {
    QString path;
    QString encodingName;
    QString caption;
    LineBreak lineBreak = LineBreak::CrLf;
    QByteArray text;
};

// The bytes of one recovery file, and the document read back from them (nullopt when they are
// not a recovery file or are cut short).
QByteArray formatRecoveredDocument(const RecoveredDocument& document);
std::optional<RecoveredDocument> parseRecoveredDocument(const QByteArray& bytes);

// Keeps copies of the window's modified documents so that a crash or a kill loses nothing.
// When the user has not typed for a moment, every page changed since its last copy is copied
// (the text is taken a slice at a time between other events, and written on a worker thread) into
// this instance's own folder under the user's data folder, never beside the user's files. A page
// saved or closed loses its copy; a clean exit removes the folder. Each running instance holds a
// lock file beside its folder, so a folder whose lock can be taken was left by an instance that
// died, and its documents are offered back at the next start.
class CrashRecovery : public QObject {
    Q_OBJECT
public:
    // `showPath` shows a restored page's path where the window shows the active page's;
    // `window` parents the question; `root` empty means the "recovery" folder in the
    // application's data location.
    using ShowPath = std::function<void(DocumentPage*)>;
    CrashRecovery(Desktop& desktop, DocumentEncodings& encodings, DocumentList& documents,
                  ShowPath showPath, QWidget* window, const QString& root = {});
    ~CrashRecovery() override;

    // Asks once whether to restore the documents of instances that died; Tak brings them back
    // as modified pages with their paths and encodings, Nie discards them, Anuluj keeps them
    // for the next start.
    void offerRestore();
    // Copies every page changed since its last copy now, and waits until written.
    void copyNow();

    QString folder() const { return m_folder.path(); }

    // How long the user must have stopped typing before copies are taken.
    static constexpr int IdleMilliseconds = 2000;

signals:
    // A copy could not be written (the first time only): the message says where and why.
    void copyFailed(const QString& message);

private:
    struct Tracked {
        QPointer<DocumentPage> page;
        QString fileName;
        bool changed = true;
        bool copied = false;
    };

    void tick();
    // Starts copying the next page that needs it; false when none does.
    bool startNextCopy();
    // Takes the next piece of the text being copied; a page changed meanwhile is left for later.
    void copySlice();
    Tracked& track(DocumentPage* page);
    void removeCopy(Tracked& tracked);
    void reportCopyFailure(const QString& message);
    void restore(const QList<RecoveredDocument>& documents);

    Desktop& m_desktop;
    DocumentEncodings& m_encodings;
    DocumentList& m_documents;
    ShowPath m_showPath;
    QPointer<QWidget> m_window;
    QDir m_root;
    QDir m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_timer;
    QElapsedTimer m_sinceEdit;
    QHash<DocumentPage*, Tracked> m_pages;
    // The copy being taken, a slice at a time between the window's other work.
    QTimer m_slices;
    QPointer<DocumentPage> m_copying;
    QByteArray m_copiedText;
    qsizetype m_copiedBytes = 0;
    int m_nextFile = 1;
    // One worker, so copies and removals of a page happen in the order they were asked for.
    QThreadPool m_writer;
    bool m_copyFailed = false;
};
