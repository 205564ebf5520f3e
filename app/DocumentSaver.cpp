#include "app/DocumentSaver.h"

#include "app/DocumentEncodings.h"
#include "app/DocumentPage.h"
#include "app/FileAccess.h"
#include "app/FileDialogs.h"
#include "app/TSynMemo.h"
#include "encoding/EncodingNames.h"
#include "encoding/SaveRules.h"

DocumentSaver::DocumentSaver(Desktop& desktop, DocumentEncodings& encodings, QWidget* window)
    : QObject(window), m_desktop(desktop), m_encodings(encodings), m_window(window),
      m_dialogState(saveDialogRequest())
{
}

bool DocumentSaver::save(DocumentPage* page)
{
    TSynMemo* editor = page->editor();
    if (!isExistingFile(editor->documentPath()))
        return saveThroughDialog(page, false);
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

void DocumentSaver::write(DocumentPage* page, const QString& path, bool byPageEncoding)
{
    TSynMemo* editor = page->editor();
    const SaveOutput output =
        chooseSaveOutput(byPageEncoding ? encodingIndexOfName(page->encodingName()) : -1,
                         m_encodings.selectedIndex(), editor->lineBreak());
    const QByteArrayView text = editor->textBytes();
    writeWholeFile(path, [&](const ByteSink& sink) {
        encodeDocument(text, output.form, output.lineBreak, sink);
    });
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
    m_dialogState.fileName = choice->path;
    m_dialogState.selectedFilter = choice->filter;
    saveToPath(page, choice->path, byPageEncoding);
    return true;
}
