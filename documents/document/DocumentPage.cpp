#include "document/DocumentPage.h"

#include "editor/TSynMemo.h"

#include <QVBoxLayout>

DocumentPage::DocumentPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_editor(new TSynMemo(this)), m_caption(caption)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_editor);
    setFocusProxy(m_editor);
}

void DocumentPage::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    emit captionChanged();
}
