#pragma once

#include <functional>

class CommandRegistry;
class QString;
enum class Language;
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
// The tag commands, which put their tag around the selection through `insertTags`, and the
// colouring commands, which colour the active page as their language through `colour`.
void addTextCommands(CommandRegistry& commands,
                     const std::function<void(const QString&, const QString&)>& insertTags,
                     const std::function<void(Language)>& colour);
