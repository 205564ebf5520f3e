#pragma once

#include <QObject>

class QTabWidget;
class QWidget;

// Keeps the keyboard on the active page's editor, so that the first key typed goes into the
// text: when the active page changes (a page opened, switched to or closed), when the window
// is shown or becomes active again, and when one of its dialogs or message boxes closes.
class EditorFocus : public QObject {
    Q_OBJECT
public:
    EditorFocus(QWidget* window, QTabWidget* pages);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusEditor();

    QWidget* m_window;
    QTabWidget* m_pages;
};
