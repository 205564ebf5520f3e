#pragma once

#include "desktop/Desktop.h"

#include <QObject>
#include <QPointer>

#include <functional>

class DocumentEncodings;
class DocumentList;
class DocumentPage;

// Writes documents to their files: Zapisz, Zapisz jako, and the saves that closing asks for.
// Each save writes the whole file at once, replacing the old one only when all is written.
class DocumentSaver : public QObject {
    Q_OBJECT
public:
    // `documents` are the open documents, so that no two pages come to hold one file.
    DocumentSaver(Desktop& desktop, DocumentEncodings& encodings, DocumentList& documents,
                  QWidget* window);

    // Before any of these writes characters the encoding cannot hold, the user is asked whether
    // to write them as HTML character references, as the conversion makes them, or not at all.

    // Into the page's file when it exists, else under a name asked for; false when the user
    // cancelled the dialog or the question. Written in the selected encoding.
    bool save(DocumentPage* page);
    bool saveAs(DocumentPage* page);
    // A modified page in its own encoding, into its file or under a name asked for; false when
    // the user cancelled the dialog or a question. Another program's change to the file is
    // asked about as Zapisz asks.
    bool saveForClose(DocumentPage* page);
    // Into the page's file, whatever its path, in the selected encoding; the page is not marked
    // saved. False when the user cancelled a question (another program's change to the file
    // among them).
    bool writeInSelectedEncoding(DocumentPage* page);

    // Closes the active page, after asking whether to save it when it has unsaved changes
    // (saved as Zapisz saves); false, the page left open, when the user cancelled or the save
    // did not happen.
    bool closeActive();
    // Closes the pages from the active one on, each saved in its own encoding when the user
    // says so; stops where the user cancels or a save does not happen, the rest left open.
    bool closeAll();

signals:
    // The page now belongs to the file it was saved as.
    void pageRenamed(DocumentPage* page, const QString& caption);

private:
    bool write(DocumentPage* page, const QString& path, bool byPageEncoding);
    // True unless another program changed the page's file since it was read or written and the
    // user, asked, would rather keep that file.
    bool mayOverwrite(DocumentPage* page);
    bool saveToPath(DocumentPage* page, const QString& path, bool byPageEncoding);
    bool saveThroughDialog(DocumentPage* page, bool byPageEncoding);
    Answer askToSave(DocumentPage* page);

    Desktop& m_desktop;
    DocumentEncodings& m_encodings;
    DocumentList& m_documents;
    QPointer<QWidget> m_window;
    FileDialogRequest m_dialogState;
};
