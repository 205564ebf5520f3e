#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include <array>

class DocumentPage;
class QTabWidget;

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

private:
    // Runs `change` with isSwitching() true.
    template <typename Change> void switching(Change change);

    QTabWidget* m_tabs;
    std::array<QIcon, 2> m_markers;
    bool m_switching = false;
};
