#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class Desktop;
class DocumentPage;

// Notices when another program has changed or deleted the file of an open page, and asks the
// user what to do: once per change, never a storm of questions.
class ExternalChanges {
public:
    using Pages = std::function<QList<DocumentPage*>()>;
    ExternalChanges(Desktop& desktop, Pages pages, QWidget* window);

    // Looks at every page's file: a changed one is read again after asking (losing unsaved
    // edits only when the user says so); a deleted one is reported and its page left modified.
    // Errors in reading throw CommandError.
    void check();

private:
    void reload(DocumentPage* page);

    Desktop& m_desktop;
    Pages m_pages;
    QPointer<QWidget> m_window;
    bool m_checking = false;
};
