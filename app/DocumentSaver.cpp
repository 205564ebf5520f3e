#include "app/DocumentSaver.h"

#include "app/CommandError.h"
#include "app/DocumentEncodings.h"
#include "app/DocumentPage.h"
#include "app/FileAccess.h"
#include "app/FileDialogs.h"
#include "app/TSynMemo.h"
#include "encoding/EncodingNames.h"
#include "encoding/SaveRules.h"

DocumentSaver::DocumentSaver(Desktop& desktop, DocumentEncodings& encodings,
                             PageOfFile pageOfFile, QWidget* window)
    : QObject(window), m_desktop(desktop), m_encodings(encodings),
      m_pageOfFile(std::move(pageOfFile)), m_window(window), m_dialogState(saveDialogRequest())
{
}

bool DocumentSaver::save(DocumentPage* page)
{
    TSynMemo* editor = page->editor();
    if (!isExistingFile(editor->documentPath()))
        return saveThroughDialog(page, false);
    if (changedByAnotherProgram(page)) {
        const QString question =
            QStringLiteral("Plik %1 został zmieniony przez inny program po wczytaniu.\r"
                           "Czy zastąpić go tekstem z edytora?")
                .arg(editor->documentPath());
        if (m_desktop.askYesNoCancel(m_window, question) != Answer::Yes)
            return false;
    }
    write(page, editor->documentPath(), false);
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
    saveToPath(page, editor->documentPath(), true);
    return true;
}

bool DocumentSaver::changedByAnotherProgram(DocumentPage* page) const
{
    const FileStamp known = page->diskStamp();
    return known.exists && fileStamp(page->editor()->documentPath()) != known;
}

void DocumentSaver::write(DocumentPage* page, const QString& path, bool byPageEncoding)
{
    TSynMemo* editor = page->editor();
    // A new document written with no encoding chosen becomes "Nieznany", whose later saves go
    // the CP-1250 way; its first save goes that way too, so that saving it again without an
    // edit writes the same bytes.
    const int selected = m_encodings.selectedIndex() < 0 && page->encodingName().isEmpty()
                             ? EncodingCp1250
                             : m_encodings.selectedIndex();
    const SaveOutput output =
        chooseSaveOutput(byPageEncoding ? encodingIndexOfName(page->encodingName()) : -1,
                         selected, editor->lineBreak());
    const QByteArrayView text = editor->textBytes();
    writeWholeFile(path, [&](const ByteSink& sink) {
        encodeDocument(text, output.form, output.lineBreak, sink);
    });
    page->setDiskStamp(fileStamp(path));
}

void DocumentSaver::saveToPath(DocumentPage* page, const QString& path, bool byPageEncoding)
{
    write(page, path, byPageEncoding);
    page->editor()->setDocumentPath(path);
    page->editor()->markSaved();
    emit pageRenamed(page, fileNamePart(path));
    m_encodings.recordWritten(page);
}

bool DocumentSaver::saveThroughDialog(DocumentPage* page, bool byPageEncoding)
{
    const std::optional<FileChoice> choice = m_desktop.chooseFileToSave(m_window, m_dialogState);
    if (!choice)
        return false;
    // Two pages of one file would overwrite each other's saves.
    if (DocumentPage* other = m_pageOfFile(choice->path); other && other != page)
        throw CommandError(
            QStringLiteral("Plik %1 jest już otwarty w zakładce \"%2\".\n"
                           "Zamknij tamtą zakładkę albo zapisz ten dokument pod inną nazwą.")
                .arg(choice->path, other->caption()));
    m_dialogState.fileName = choice->path;
    m_dialogState.selectedFilter = choice->filter;
    saveToPath(page, choice->path, byPageEncoding);
    return true;
}
