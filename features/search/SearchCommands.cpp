#include "search/SearchCommands.h"

#include "desktop/Desktop.h"
#include "editor/TSynMemo.h"
#include "search/EditorSearch.h"
#include "search/TForm2.h"
#include "search/TForm3.h"

#include <QApplication>

namespace {

const QString PhraseNotFound = QStringLiteral("Takiej frazy już nie znaleziono.");
const QString TextNotFound = QStringLiteral("Takiego tekstu już nie znaleziono.");

// A busy pointer while replacing everything in a large text.
class BusyCursor {
public:
    explicit BusyCursor(bool busy) : m_busy(busy)
    {
        if (m_busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor()
    {
        if (m_busy)
            QApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool m_busy;
};

} // namespace

SearchCommands::SearchCommands(Desktop& desktop, QWidget* window)
    : m_desktop(desktop), m_window(window)
{
}

TForm2* SearchCommands::findDialog()
{
    if (!m_findDialog)
        m_findDialog = new TForm2(m_window);
    return m_findDialog;
}

TForm3* SearchCommands::replaceDialog()
{
    if (!m_replaceDialog)
        m_replaceDialog = new TForm3(m_window);
    return m_replaceDialog;
}

bool SearchCommands::run(TSynMemo& editor)
{
    const BusyCursor busy(m_state.LastSearchOptions.testFlag(SearchOption::ReplaceAll));
    return searchAndReplace(editor, m_state.LastSearchText, m_state.LastReplaceText,
                            m_state.LastSearchOptions) > 0;
}

void SearchCommands::find(TSynMemo* editor)
{
    if (!editor)
        return;
    TForm2* dialog = findDialog();
    dialog->setSearchText(takeWordAtCaret(*editor));
    if (dialog->exec() != ResultOk || dialog->searchText().isEmpty())
        return;
    m_state.LastSearchOptions = dialog->options() | SearchOption::Prompt;
    m_state.LastSearchText = dialog->searchText();
    m_state.LastReplaceText = m_state.LastSearchText;
    if (!run(*editor))
        m_desktop.showMessage(m_window, PhraseNotFound);
}

void SearchCommands::findNext(TSynMemo* editor)
{
    if (!editor)
        return;
    if (m_state.LastSearchText.isEmpty()) {
        find(editor);
        return;
    }
    // Once repeated, a search goes on from the caret for good.
    m_state.LastSearchOptions.setFlag(SearchOption::EntireScope, false);
    if (!run(*editor))
        m_desktop.showMessage(m_window, PhraseNotFound);
}

void SearchCommands::findPrevious(TSynMemo* editor)
{
    if (!editor)
        return;
    if (m_state.LastSearchText.isEmpty()) {
        find(editor);
        return;
    }
    const bool forwards = m_state.LastSearchOptions.testFlag(SearchOption::Backwards);
    SearchOptions options =
        m_state.LastSearchOptions & (SearchOption::MatchCase | SearchOption::WholeWord);
    options.setFlag(SearchOption::Backwards, !forwards);
    const int start = editor->selectionStartPosition();
    const int end = editor->selectionEndPosition();
    const bool caretAtEnd = editor->caretPosition() == end;
    // From the selection's far side, so that the match selected now is not found again.
    editor->moveCaret(forwards ? end : start);
    if (searchAndReplace(*editor, m_state.LastSearchText, m_state.LastSearchText, options) == 0) {
        editor->selectPositions(caretAtEnd ? start : end, caretAtEnd ? end : start);
        m_desktop.showMessage(m_window, PhraseNotFound);
        return;
    }
    const int from = editor->selectionStartPosition();
    const int to = editor->selectionEndPosition();
    editor->selectPositions(forwards ? to : from, forwards ? from : to);
}

void SearchCommands::replace(TSynMemo* editor)
{
    if (!editor)
        return;
    TForm3* dialog = replaceDialog();
    dialog->setSearchText(takeWordAtCaret(*editor));
    const int result = dialog->exec();
    if (result != ResultOk && result != ResultReplaceAll)
        return;
    m_state.LastSearchOptions = dialog->options() | SearchOption::Replace;
    m_state.LastSearchOptions.setFlag(SearchOption::ReplaceAll, result == ResultReplaceAll);
    m_state.LastSearchText = dialog->searchText();
    m_state.LastReplaceText = dialog->replaceText();
    if (!run(*editor))
        m_desktop.showMessage(m_window, TextNotFound);
}
