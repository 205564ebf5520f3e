#pragma once

#include "search/SearchState.h"

#include <QPointer>

class Desktop;
class QWidget;
class TForm2;
class TForm3;
class TSynMemo;

// Find, Find next and Replace on the editor they are given, with the window-wide search state
// they share. The two dialogs are made on first use and then kept, with their histories and
// options, for as long as the window lives.
class SearchCommands {
public:
    SearchCommands(Desktop& desktop, QWidget* window);

    // Each does nothing without an editor.
    void find(TSynMemo* editor);
    void findNext(TSynMemo* editor);
    // The last search's text once more, the other way round and without replacing; the match
    // is selected so that find next goes on from it in the search's own direction.
    void findPrevious(TSynMemo* editor);
    void replace(TSynMemo* editor);

    const SearchState& state() const { return m_state; }
    TForm2* findDialog();
    TForm3* replaceDialog();

private:
    // Runs the search on `editor` with the state; false when nothing was found.
    bool run(TSynMemo& editor);

    Desktop& m_desktop;
    QWidget* m_window;
    SearchState m_state;
    QPointer<TForm2> m_findDialog;
    QPointer<TForm3> m_replaceDialog;
};
