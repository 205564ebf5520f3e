#include "app/TitleBar.h"

#include "desktop/Desktop.h"
#include "document/DocumentPage.h"

#include <QEvent>
#include <QTabWidget>
#include <QWidget>
#include <QWindow>

TitleBar::TitleBar(QWidget* window, QTabWidget* pages, Desktop& desktop)
    : QObject(window), m_window(window), m_desktop(desktop), m_pages(pages)
{
    connect(m_pages, &QTabWidget::currentChanged, this, &TitleBar::followActivePage);
    m_window->installEventFilter(this);
    followActivePage();
}

QString TitleBar::text(const QString& caption, const QString& applicationTitle)
{
    return caption + QStringLiteral(" — ") + applicationTitle;
}

bool TitleBar::eventFilter(QObject* watched, QEvent* event)
{
    // The platform window is made at the first showing, and takes the bare caption then.
    if (watched == m_window &&
        (event->type() == QEvent::Show || event->type() == QEvent::WindowTitleChange))
        update();
    return QObject::eventFilter(watched, event);
}

void TitleBar::followActivePage()
{
    auto* page = qobject_cast<DocumentPage*>(m_pages->currentWidget());
    if (page != m_followed) {
        disconnect(m_captionConnection);
        m_followed = page;
        if (page)
            m_captionConnection =
                connect(page, &DocumentPage::captionChanged, this, &TitleBar::update);
    }
    update();
}

void TitleBar::update()
{
    const QString title = m_followed ? m_followed->caption() : QStringLiteral("Tagomir");
    m_desktop.setApplicationTitle(title);
    // Not the application's display name: the platform would append that to the title of every
    // dialog and message box as well.
    QWindow* handle = m_window->windowHandle();
    const QString full = text(m_window->windowTitle(), title);
    if (handle && handle->title() != full)
        handle->setTitle(full);
}
