#include "document/DocumentPage.h"

#include "document/Document.h"
#include "editor/TSynMemo.h"

#include <QVBoxLayout>

DocumentPage::DocumentPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_document(new Document(this)), m_editor(new TSynMemo(this, m_document))
{
    m_document->setCaption(caption);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_editor->widget());
    setFocusProxy(m_editor->widget());
}

QString DocumentPage::caption() const
{
    return m_document->caption();
}

void DocumentPage::setCaption(const QString& caption)
{
    if (caption == m_document->caption())
        return;
    m_document->setCaption(caption);
    emit captionChanged();
}

QString DocumentPage::encodingName() const
{
    return m_document->encodingName();
}

void DocumentPage::setEncodingName(const QString& name)
{
    m_document->setEncoding(Encoding::fromName(name));
}

FileStamp DocumentPage::diskStamp() const
{
    return m_document->diskStamp();
}

void DocumentPage::setDiskStamp(const FileStamp& stamp)
{
    m_document->setDiskStamp(stamp);
}
