#pragma once

#include "files/FindInFiles.h"

#include <QObject>
#include <QPointer>

class CommandRegistry;
class Desktop;
class FindInFilesDialog;
class FindResultsPanel;
class QFrame;
class TForm1;
class TSynMemo;

// The byte position in UTF-8 editor text (lines joined by '\n') of a line and column, both from
// 1 and the column in characters, not counting a byte order mark at the start; clamped to the
// line and to the text.
qsizetype positionOfPlace(QByteArrayView text, qsizetype line, qsizetype column);

// "Szukaj w plikach...", "Zamień w plikach..." and "Wyniki szukania w plikach" of the Szukanie
// menu: the two dialogs, the results panel under the pages, in a splitter with them, with a
// close button (made on first use, shown again by the menu), opening
// a match in a page, and replacing in files: a preview, the files open in a page changed in the
// page, the others written in their own encodings after a copy of each was kept, and the run
// undone on request until the program closes.
class FindInFilesCommands : public QObject {
    Q_OBJECT
public:
    FindInFilesCommands(TForm1* window, CommandRegistry& commands, Desktop& desktop);

    void findInFiles();
    void replaceInFiles();
    void showResults();
    FindResultsPanel* panel();
    // Where the copies of the files go before a replacement (under the user's data folder).
    static QString backupRoot();

private:
    void openMatch(const QString& path, qsizetype line, qsizetype column, qsizetype length);
    void replacePlanned(QList<FileReplacement> plans);
    void undo();
    QString suggestedFolder() const;
    // Shows the find or the replace dialog; the dialog when confirmed (the panel then shown).
    FindInFilesDialog* askFor(bool replacing);

    TForm1* m_window;
    CommandRegistry& m_commands;
    Desktop& m_desktop;
    QPointer<QFrame> m_dock;
    QPointer<FindResultsPanel> m_panel;
    QPointer<FindInFilesDialog> m_findDialog;
    QPointer<FindInFilesDialog> m_replaceDialog;
    FindQuery m_replaceQuery;
    QString m_replacement;
    ReplacementRun m_lastRun;
};
