#include "document/ExternalChanges.h"

#include "desktop/Desktop.h"
#include "document/Document.h"
#include "document/DocumentEncodings.h"
#include "document/DocumentList.h"
#include "document/DocumentPage.h"
#include "editor/TSynMemo.h"
#include "files/DocumentReader.h"
#include "files/FileAccess.h"

#include <QScopedValueRollback>

ExternalChanges::ExternalChanges(Desktop& desktop, const DocumentList& documents, QWidget* window)
    : m_desktop(desktop), m_documents(documents), m_window(window)
{
}

void ExternalChanges::check()
{
    // The questions themselves take the focus away and give it back.
    if (m_checking)
        return;
    const QScopedValueRollback busy(m_checking, true);
    for (DocumentPage* page : m_documents.pages()) {
        TSynMemo* editor = page->editor();
        const FileStamp known = page->diskStamp();
        if (!known.exists)
            continue;
        const FileStamp now = fileStamp(editor->documentPath());
        if (now == known)
            continue;
        page->setDiskStamp(now); // asked once for each change
        if (!now.exists) {
            editor->markModified();
            m_desktop.showMessage(
                m_window, QStringLiteral("Plik %1 został usunięty lub przeniesiony przez inny "
                                         "program.\rDokument pozostaje otwarty; zapisz go, by "
                                         "nie stracić tekstu.")
                              .arg(editor->documentPath()));
            continue;
        }
        const QString question =
            editor->isDocumentModified()
                ? QStringLiteral("Plik %1 został zmieniony przez inny program, a dokument ma "
                                 "niezapisane zmiany.\rCzy wczytać plik ponownie? Zmiany w "
                                 "edytorze zostaną utracone.")
                : QStringLiteral("Plik %1 został zmieniony przez inny program.\rCzy wczytać go "
                                 "ponownie?");
        if (m_desktop.askYesNoCancel(m_window, question.arg(editor->documentPath())) == Answer::Yes)
            reload(page);
    }
}

void ExternalChanges::reload(DocumentPage* page)
{
    // In the page's own encoding, as the page reads it.
    Document* document = page->document();
    DocumentRead read =
        readDocumentToShow(document->path(), document->format().encoding.value_or(EncodingUnknown));
    document->setDiskStamp(read.stamp);
    TSynMemo* editor = page->editor();
    editor->loadFile(read, editor->documentPath());
    announceMalformedUtf8(m_desktop, page, read.malformed);
}
