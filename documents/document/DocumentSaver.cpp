#include "document/DocumentSaver.h"

#include "common/CommandError.h"
#include "desktop/FileDialogs.h"
#include "document/Document.h"
#include "document/DocumentEncodings.h"
#include "document/DocumentList.h"
#include "document/DocumentPage.h"
#include "editor/TSynMemo.h"
#include "encoding/SaveRules.h"
#include "encoding/Unrepresentable.h"
#include "files/FileAccess.h"

DocumentSaver::DocumentSaver(Desktop& desktop, DocumentEncodings& encodings,
                             DocumentList& documents, QWidget* window)
    : QObject(window), m_desktop(desktop), m_encodings(encodings), m_documents(documents),
      m_window(window), m_dialogState(saveDialogRequest())
{
}

bool DocumentSaver::save(DocumentPage* page)
{
    TSynMemo* editor = page->editor();
    if (!isExistingFile(editor->documentPath()))
        return saveThroughDialog(page, false);
    if (!mayOverwrite(page) || !write(page, editor->documentPath(), false))
        return false;
    editor->markSaved();
    m_encodings.recordWritten(page);
    return true;
}

bool DocumentSaver::saveAs(DocumentPage* page)
{
    return saveThroughDialog(page, false);
}

bool DocumentSaver::saveForClose(DocumentPage* page)
{
    TSynMemo* editor = page->editor();
    if (!editor->isDocumentModified())
        return true;
    if (!isExistingFile(editor->documentPath()))
        return saveThroughDialog(page, true);
    return mayOverwrite(page) && saveToPath(page, editor->documentPath(), true);
}

bool DocumentSaver::writeInSelectedEncoding(DocumentPage* page)
{
    return mayOverwrite(page) && write(page, page->editor()->documentPath(), false);
}

bool DocumentSaver::mayOverwrite(DocumentPage* page)
{
    const FileStamp known = page->diskStamp();
    const QString& path = page->editor()->documentPath();
    const FileStamp now = fileStamp(path);
    // A file gone since is written afresh, or the write fails and says why.
    if (!known.exists || !now.exists || now == known)
        return true;
    const QString question =
        QStringLiteral("Plik %1 został zmieniony przez inny program po wczytaniu.\r"
                       "Czy zastąpić go tekstem z edytora?")
            .arg(path);
    return m_desktop.askYesNoCancel(m_window, question) == Answer::Yes;
}

bool DocumentSaver::write(DocumentPage* page, const QString& path, bool byPageEncoding)
{
    TSynMemo* editor = page->editor();
    // A new document written with no encoding chosen becomes "Nieznany", whose later saves go
    // the CP-1250 way; its first save goes that way too, so that saving it again without an
    // edit writes the same bytes.
    const std::optional<Encoding> selected =
        !m_encodings.selected() && page->encodingName().isEmpty()
            ? Encoding(EncodingUnknown).readAs()
            : m_encodings.selected();
    const SaveOutput output =
        chooseSaveOutput(byPageEncoding ? Encoding::fromName(page->encodingName()) : std::nullopt,
                         selected, editor->lineBreak());
    QByteArrayView text = editor->textBytes();
    QByteArray rewritten;
    const UnrepresentableReport report = findUnrepresentable(text, output.encoding);
    if (report.count > 0) {
        const Answer answer = m_desktop.askChoice(
            m_window, unrepresentableQuestion(page->caption(), output.encoding, report),
            QStringLiteral("Odwołania HTML"), QStringLiteral("Zamień"));
        if (answer == Answer::Cancel)
            return false;
        rewritten = answer == Answer::Yes ? withCharacterReferences(text, output.encoding)
                                          : withSimilarCharacters(text, output.encoding);
        text = rewritten;
    }
    writeWholeFile(path, [&](const ByteSink& sink) {
        encodeDocument(text, output.encoding, output.lineBreak, sink);
    });
    page->setDiskStamp(fileStamp(path));
    return true;
}

bool DocumentSaver::saveToPath(DocumentPage* page, const QString& path, bool byPageEncoding)
{
    if (!write(page, path, byPageEncoding))
        return false;
    page->editor()->setDocumentPath(path);
    page->editor()->markSaved();
    emit pageRenamed(page, fileNamePart(path));
    m_encodings.recordWritten(page);
    return true;
}

bool DocumentSaver::saveThroughDialog(DocumentPage* page, bool byPageEncoding)
{
    const std::optional<FileChoice> choice = m_desktop.chooseFileToSave(m_window, m_dialogState);
    if (!choice)
        return false;
    // Two pages of one file would overwrite each other's saves.
    if (DocumentPage* other = m_documents.at(m_documents.indexOfFile(choice->path));
        other && other != page)
        throw CommandError(
            QStringLiteral("Plik %1 jest już otwarty w zakładce \"%2\".\n"
                           "Zamknij tamtą zakładkę albo zapisz ten dokument pod inną nazwą.")
                .arg(choice->path, other->caption()));
    m_dialogState.fileName = choice->path;
    m_dialogState.selectedFilter = choice->filter;
    return saveToPath(page, choice->path, byPageEncoding);
}

Answer DocumentSaver::askToSave(DocumentPage* page)
{
    return m_desktop.askYesNoCancel(
        m_window, QStringLiteral("Dokument \"%1\" został zmodyfikowany.\rCzy chcesz go zapisać?")
                      .arg(page->caption()));
}

bool DocumentSaver::closeActive()
{
    DocumentPage* current = m_documents.active();
    if (!current)
        return true;
    if (current->editor()->isDocumentModified()) {
        // Cancel, or a save that did not happen, keeps the document open.
        const Answer answer = askToSave(current);
        if (answer == Answer::Cancel || (answer == Answer::Yes && !save(current)))
            return false;
    }
    m_documents.close(current->document());
    return true;
}

bool DocumentSaver::closeAll()
{
    while (DocumentPage* current = m_documents.active()) {
        if (current->editor()->isDocumentModified()) {
            const Answer answer = askToSave(current);
            if (answer == Answer::Cancel || (answer == Answer::Yes && !saveForClose(current)))
                return false;
        }
        m_documents.close(current->document());
    }
    return true;
}
