#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

// The eight options of a search; what each does is up to searchAndReplace().
enum class SearchOption {
    MatchCase = 0x01,
    WholeWord = 0x02,
    Backwards = 0x04,
    EntireScope = 0x08,
    SelectedOnly = 0x10,
    Replace = 0x20,
    ReplaceAll = 0x40,
    Prompt = 0x80,
    // The search text is a regular expression (RegexSearch.h).
    RegularExpression = 0x100,
};
Q_DECLARE_FLAGS(SearchOptions, SearchOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(SearchOptions)

// What Find and Replace last confirmed, repeated by Find next.
struct SearchState {
    SearchOptions LastSearchOptions;
    QString LastSearchText;
    QString LastReplaceText;
};

// Dialog results beyond QDialog's: OK, Cancel and the replace dialog's "replace all".
enum SearchDialogResult { ResultOk = 1, ResultCancel = 2, ResultReplaceAll = 10 };

// Puts `text` at the top of a history of ten entries, newest first, unless the history already
// holds it in any letter case. A short history is first filled up with empty entries.
void addToHistory(QStringList& history, const QString& text);
