#include "search/SearchState.h"

namespace {
constexpr qsizetype HistoryLength = 10;
}

void addToHistory(QStringList& history, const QString& text)
{
    if (history.contains(text, Qt::CaseInsensitive))
        return;
    while (history.size() < HistoryLength)
        history.append(QString());
    history.removeLast();
    history.prepend(text);
}
