#pragma once

#include "app/Desktop.h"

#include <QObject>
#include <QPointer>

#include <functional>

class DocumentEncodings;
class DocumentPage;

// Writes documents to their files: Zapisz, Zapisz jako, and the saves that closing asks for.
// Each save writes the whole file at once, replacing the old one only when all is written.
class DocumentSaver : public QObject {
    Q_OBJECT
public:
    // `pageOfFile` finds the page that holds a file, if any.
    using PageOfFile = std::function<DocumentPage*(const QString& path)>;
    DocumentSaver(Desktop& desktop, DocumentEncodings& encodings, PageOfFile pageOfFile,
                  QWidget* window);

    // Into the page's file when it exists, else under a name asked for; false when the user
    // cancelled the dialog. Written in the selected encoding.
    bool save(DocumentPage* page);
    bool saveAs(DocumentPage* page);
    // A modified page in its own encoding, into its file or under a name asked for; false when
    // the user cancelled the dialog.
    bool saveForClose(DocumentPage* page);

signals:
    // The page now belongs to the file it was saved as.
    void pageRenamed(DocumentPage* page, const QString& caption);

private:
    void write(DocumentPage* page, const QString& path, bool byPageEncoding);
    bool changedByAnotherProgram(DocumentPage* page) const;
    void saveToPath(DocumentPage* page, const QString& path, bool byPageEncoding);
    bool saveThroughDialog(DocumentPage* page, bool byPageEncoding);

    Desktop& m_desktop;
    DocumentEncodings& m_encodings;
    PageOfFile m_pageOfFile;
    QPointer<QWidget> m_window;
    FileDialogRequest m_dialogState;
};
