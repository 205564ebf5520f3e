#include "app/DocumentSaver.h"

#include "app/DocumentEncodings.h"
#include "app/DocumentPage.h"
#include "app/FileAccess.h"
#include "app/FileDialogs.h"
#include "app/TSynMemo.h"
#include "encoding/EncodingNames.h"
#include "encoding/SaveRules.h"
#include "encoding/Unrepresentable.h"

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
    if (!write(page, editor->documentPath(), false))
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
    return saveToPath(page, editor->documentPath(), true);
}

bool DocumentSaver::writeInSelectedEncoding(DocumentPage* page)
{
    return write(page, page->editor()->documentPath(), false);
}

bool DocumentSaver::write(DocumentPage* page, const QString& path, bool byPageEncoding)
{
    TSynMemo* editor = page->editor();
    const SaveOutput output =
        chooseSaveOutput(byPageEncoding ? encodingIndexOfName(page->encodingName()) : -1,
                         m_encodings.selectedIndex(), editor->lineBreak());
    QByteArrayView text = editor->textBytes();
    QByteArray referenced;
    const UnrepresentableReport report = findUnrepresentable(text, output.form);
    if (report.count > 0) {
        const Answer answer = m_desktop.askChoice(
            m_window, unrepresentableQuestion(page->caption(), output.form, report),
            QStringLiteral("Odwołania HTML"), QStringLiteral("Zamień"));
        if (answer == Answer::Cancel)
            return false;
        if (answer == Answer::Yes) {
            referenced = withCharacterReferences(text, output.form);
            text = referenced;
        }
    }
    writeWholeFile(path, [&](const ByteSink& sink) {
        encodeDocument(text, output.form, output.lineBreak, sink);
    });
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
    m_dialogState.fileName = choice->path;
    m_dialogState.selectedFilter = choice->filter;
    return saveToPath(page, choice->path, byPageEncoding);
}
