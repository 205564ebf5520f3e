#include "app/WindowKeys.h"

#include "common/Commands.h"
#include "desktop/CommandRegistry.h"
#include "document/DocumentList.h"
#include "document/DocumentPage.h"
#include "editor/TSynMemo.h"
#include "search/SearchCommands.h"
#include "search/TFWiersz.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QTabWidget>

WindowKeys::WindowKeys(QWidget* window, CommandRegistry& commands, QTabWidget* pages,
                       DocumentList& documents, SearchCommands& search)
    : QObject(window), m_window(window), m_commands(commands), m_pages(pages),
      m_documents(documents), m_search(search)
{
    addKey({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
           [this] { stepPage(1); });
    addKey({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
            QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
           [this] { stepPage(-1); });
    for (int n = 0; n < 9; ++n)
        addKey({QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + n))}, [this, n] { goToPage(n); });
    addKey({QKeySequence(Qt::SHIFT | Qt::Key_F3)}, [this] {
        DocumentPage* page = m_documents.active();
        m_search.findPrevious(page ? page->editor() : nullptr);
    });
    addKey({QKeySequence(Qt::SHIFT | Qt::Key_F10)}, [this] { openContextMenu(); });
    m_commands.add(QString::fromLatin1(Cmd::mnuPrzejdzClick), [this] { goToLine(); });
}

void WindowKeys::addKey(const QList<QKeySequence>& keys, const std::function<void()>& work)
{
    auto* action = new QAction(m_window);
    action->setShortcuts(keys);
    m_window->addAction(action);
    connect(action, &QAction::triggered, this, [this, work] { m_commands.guarded(work); });
}

void WindowKeys::goToPage(int index)
{
    if (index < m_pages->count())
        m_pages->setCurrentIndex(index);
}

void WindowKeys::stepPage(int step)
{
    // Round the tabs, as the tab strip itself does.
    const int count = m_pages->count();
    if (count > 1)
        m_pages->setCurrentIndex((m_pages->currentIndex() + step + count) % count);
}

void WindowKeys::goToLine()
{
    DocumentPage* page = m_documents.active();
    if (!page)
        return;
    TSynMemo* editor = page->editor();
    const long lines = std::max(editor->lineCount(), 1);
    if (const auto place = TFWiersz::ask(m_window, lines, editor->caretLine())) {
        const LinePlace nearest = nearestPlace(*place, lines);
        editor->goToPlace(nearest.line, nearest.column);
        editor->setFocus();
    }
}

void WindowKeys::openContextMenu()
{
    // Where the Menu key opens it: at the text cursor of the widget with the keyboard, or in
    // the middle of one that has none.
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != m_window)
        target = m_window;
    const QRect cursor = target->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QPoint at = cursor.isValid() ? cursor.center() : target->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
}
