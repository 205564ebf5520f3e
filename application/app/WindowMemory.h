#pragma once

#include "document/Session.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class CommandRegistry;
class Desktop;
class DocumentSaver;
class QMenu;
class QProgressDialog;
class TForm1;
struct FileProbe;

// What the window remembers from one run to the next besides its place: the files last opened
// or saved ("Ostatnio otwierane" in Plik) and, when "Przywracaj pliki przy starcie" in Opcje is
// ticked, the files open when it closed. Both are kept in files of their own beside the
// settings file, each written whole or not at all.
class WindowMemory : public QObject {
    Q_OBJECT
public:
    WindowMemory(TForm1& window, CommandRegistry& commands, DocumentSaver& saver, Desktop& desktop);
    ~WindowMemory() override;

    // After the start's own files and crash recovery: with no files given, the last session's
    // files that are not open yet open again, one at a time, the window staying responsive.
    void start(bool filesGiven);
    // The open files as the session keeps them, asked when the window is about to close them.
    // A session still being opened stops there; the files it had not opened yet stay in it.
    Session sessionAtClose();
    // The window closed with those files open.
    void closing(const Session& open);

    QString recentFilesPath() const;
    QString sessionPath() const;
    // True while a session is being opened.
    bool isRestoring() const { return m_probe != nullptr; }

    // How a session's file is found readable, asked away from the window; a test may stand in
    // a file that does not answer. Empty puts back the file system's answer.
    using FileCheck = std::function<bool(const QString& path)>;
    static void setFileCheck(FileCheck check);

private:
    void loadRecent();
    void remember(const QString& path);
    void showRecent();
    void saveRecent();
    void toggleRestore();
    void probeFrom(int index);
    void openProbed();
    void finishRestoring();
    void stopProbing();

    TForm1& m_window;
    CommandRegistry& m_commands;
    Desktop& m_desktop;
    QMenu* m_recentMenu;
    QAction* m_clearItem;
    QAction* m_restoreItem;
    bool m_recentLoaded = false;
    QStringList m_recent;
    QStringList m_dropped; // gone at the start

    Session m_session;
    std::shared_ptr<FileProbe> m_probe;
    int m_next = 0;
    bool m_opening = false;
    QStringList m_skipped;
    QSet<QString> m_alreadyOpen;
    QTimer m_poll;
    QElapsedTimer m_sinceProgress;
    QPointer<QProgressDialog> m_progress;
    static FileCheck m_fileCheck;
};
