#pragma once

class CommandRegistry;
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
