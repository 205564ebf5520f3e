#pragma once

#include <QStringList>

class CommandRegistry;
class QMimeData;
class QWidget;
class QFrame;
class QMainWindow;
class QTabWidget;
class StatusPanels;

// The main window's controls below the menu bar, from top to bottom.
struct WindowLayout {
    // The toolbar and the row of tag buttons; it also holds the hidden state controls.
    QFrame* topPanel;
    // The pages, one tab each.
    QTabWidget* pages;
    StatusPanels* statusBar;
};

// Builds the top panel, the page control "PC" and the status bar as the window's central
// widget, the buttons wired to their commands.
WindowLayout buildWindowLayout(QMainWindow* window, CommandRegistry& commands);

// Places the window in the middle of the desktop (its left or top edge never off it).
void centreOnDesktop(QWidget* window);

// The local files of a drag, in order; links to anything else are passed by.
QStringList droppedFiles(const QMimeData* data);
