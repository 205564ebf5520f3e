#pragma once

#include "encoding/Encoding.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class Document;
class DocumentPage;
class QTabWidget;
struct DocumentRead;

// The open documents, in the order of their tabs: found by their files, added, closed, captioned
// and marked modified. The window shows them; everything else asks the list, not the window.
class DocumentList : public QObject {
    Q_OBJECT
public:
    // `markers` are the tab icons of an unmodified and a modified page.
    DocumentList(QTabWidget* tabs, std::array<QIcon, 2> markers, QObject* parent);

    int count() const;
    DocumentPage* at(int index) const;
    QList<DocumentPage*> pages() const;
    DocumentPage* active() const;
    // The files of the pages, in tab order; empty for a page with no file yet.
    QStringList paths() const;
    // The page holding the file (compared as the file system does, by its real path), or -1.
    int indexOfFile(const QString& path) const;
    // The open documents, in tab order.
    QList<Document*> documents() const;
    // The document of the file (compared as indexOfFile() compares), or null.
    Document* find(const QString& path) const;
    // The page showing the document, or null.
    DocumentPage* pageOf(const Document* document) const;

    // Shows `read` in a new page; for a new document, `read` is empty.
    using ShowRead = std::function<void(DocumentPage* page, DocumentRead& read)>;
    // The file's page made the active one: the page already holding it, else a new last page
    // with the caption and the file read by readDocument() (an empty path: a new document),
    // shown by `show`; read in `asked` when given, else as detected. A file that cannot be read, or
    // that `show` fails to show, gets no page: what they threw is thrown, so no page ever holds the
    // path of a file whose text it does not show.
    DocumentPage* open(const QString& caption, const QString& path, const ShowRead& show,
                       std::optional<Encoding> asked = std::nullopt);
    // Closes the document's page, as remove() does, once aboutToClose() was told.
    void close(Document* document);

    // A new empty page with the caption, as the last tab, made the active one.
    DocumentPage* add(const QString& caption);
    // Closes the page: the one after it becomes active, or the first when it was the last.
    void remove(DocumentPage* page);
    void activate(int index);
    void setCaption(DocumentPage* page, const QString& caption);
    // 0: no unsaved changes; 1: unsaved changes, shown on its tab.
    void setModifiedMarker(DocumentPage* page, int marker);

    // True while the list itself changes the active tab (the user did not choose it).
    bool isSwitching() const { return m_switching; }

signals:
    // A page was added; it is not the active one yet.
    void added(DocumentPage* page);
    // A document's path, caption, format or modified state changed.
    void changed(Document* document);
    // The document's page is about to be closed.
    void aboutToClose(Document* document);

private:
    // Runs `change` with isSwitching() true.
    template <typename Change> void switching(Change change);

    QTabWidget* m_tabs;
    std::array<QIcon, 2> m_markers;
    bool m_switching = false;
};
