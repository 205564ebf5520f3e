#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class Desktop;
class DocumentList;
class DocumentPage;

// Notices when another program has changed or deleted the file of an open page, and asks the
// user what to do: once per change, never a storm of questions.
class ExternalChanges {
public:
    ExternalChanges(Desktop& desktop, const DocumentList& documents, QWidget* window);

    // Looks at every page's file: a changed one is read again after asking (losing unsaved
    // edits only when the user says so); a deleted one is reported and its page left modified.
    // Errors in reading throw CommandError.
    void check();

private:
    void reload(DocumentPage* page);

    Desktop& m_desktop;
    const DocumentList& m_documents;
    QPointer<QWidget> m_window;
    bool m_checking = false;
};
