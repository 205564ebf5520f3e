#pragma once

#include <QObject>

class CommandRegistry;
class DocumentList;
class QTabWidget;
class QWidget;
class SearchCommands;

// The window's keys that belong to no menu item: Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDown and
// Ctrl+PgUp go to the next and previous page, Alt+1 to Alt+9 to the first nine, Shift+F3 finds
// the last search's text the other way, Shift+F10 opens the context menu at the caret as the
// Menu key does. It also carries "Przejdź do wiersza" (Ctrl+G is that item's key).
class WindowKeys : public QObject {
    Q_OBJECT
public:
    WindowKeys(QWidget* window, CommandRegistry& commands, QTabWidget* pages,
               DocumentList& documents, SearchCommands& search);

private:
    void addKey(const QList<QKeySequence>& keys, const std::function<void()>& work);
    void goToPage(int index);
    void stepPage(int step);
    void goToLine();
    void openContextMenu();

    QWidget* m_window;
    CommandRegistry& m_commands;
    QTabWidget* m_pages;
    DocumentList& m_documents;
    SearchCommands& m_search;
};
