#include "app/TitleBar.h"

#include "document/DocumentPage.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTabWidget>
#include <QWidget>
#include <QWindow>

TitleBar::TitleBar(QWidget* window, QTabWidget* pages)
    : QObject(window), m_window(window), m_pages(pages)
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
    QGuiApplication::setApplicationDisplayName(title);
    // Ending in the application title, the text is shown as it stands: the platform adds the
    // application title itself only to a title that lacks it.
    QWindow* handle = m_window->windowHandle();
    const QString full = text(m_window->windowTitle(), title);
    if (handle && handle->title() != full)
        handle->setTitle(full);
}
