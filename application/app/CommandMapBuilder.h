#pragma once

class CommandRegistry;
class QFrame;
class QMainWindow;
class QMenu;
class QWidget;

// The command map's tables made into named actions wired to their commands.

// The menu bar, set on the window. The items of "Otwórz ponownie jako ..." are checkable and
// exclusive, "UTF-8" checked.
void buildMainMenu(QMainWindow* window, CommandRegistry& commands);
// The editors' context menu.
QMenu* buildPopupMenu(QWidget* owner, CommandRegistry& commands);
// The toolbar, laid out inside `iconPanel`.
void buildToolBar(QFrame* iconPanel, CommandRegistry& commands);
