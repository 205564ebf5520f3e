#include "app/EditorFocus.h"

#include "document/DocumentPage.h"
#include "editor/TSynMemo.h"

#include <QApplication>
#include <QChildEvent>
#include <QTabWidget>

EditorFocus::EditorFocus(QWidget* window, QTabWidget* pages)
    : QObject(window), m_window(window), m_pages(pages)
{
    connect(m_pages, &QTabWidget::currentChanged, this, &EditorFocus::focusEditor);
    m_window->installEventFilter(this);
}

bool EditorFocus::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate)
            focusEditor();
        // The window's dialogs and message boxes are its children: each is watched for its
        // closing. A child's window flags are set before it is given its parent.
        if (event->type() == QEvent::ChildAdded) {
            auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
            if (child && child->isWindow())
                child->installEventFilter(this);
        }
    } else if (event->type() == QEvent::Hide && watched->isWidgetType() &&
               static_cast<QWidget*>(watched)->isWindow()) {
        // A window manager hands the keyboard back to the main window; without one, nothing
        // would.
        QWidget* active = QApplication::activeWindow();
        if ((!active || active == watched) && m_window->isVisible())
            m_window->activateWindow();
        focusEditor();
    }
    return QObject::eventFilter(watched, event);
}

void EditorFocus::focusEditor()
{
    // In a window that is not active this only marks where the keyboard goes when it is.
    if (auto* page = qobject_cast<DocumentPage*>(m_pages->currentWidget()))
        page->editor()->setFocus();
}
