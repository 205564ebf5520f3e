#include "document/Document.h"

#include <QApplication>
#include <Qsci/qsciscintillabase.h>

Document::Document(QObject* parent) : QObject(parent) {}

Document::~Document()
{
    // The component lets go of a text that no view shows through one of its views; with none
    // left, one is made for the purpose, or, as the program ends, the text is left to the end of
    // the process.
    if (m_shown && m_views == 0 && s_liveViews == 0) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            const QsciScintillaBase releaser;
            m_text.reset();
        } else {
            (void)m_text.release();
        }
    }
}

void Document::setPath(const QString& path)
{
    if (path == m_path)
        return;
    m_path = path;
    emit changed();
}

void Document::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    emit changed();
}

void Document::setFormat(const DocumentFormat& format)
{
    if (format == m_format)
        return;
    m_format = format;
    emit changed();
}

void Document::setEncoding(std::optional<Encoding> encoding)
{
    DocumentFormat format = m_format;
    format.encoding = encoding;
    setFormat(format);
}

void Document::setLineBreak(LineBreak lineBreak)
{
    DocumentFormat format = m_format;
    format.lineBreak = lineBreak;
    setFormat(format);
}

QString Document::encodingName() const
{
    return m_format.encoding ? m_format.encoding->name() : QString();
}

bool Document::isModified() const
{
    return m_forcedModified || (m_textModifiedQuery ? m_textModifiedQuery() : m_textModified);
}

void Document::setTextModifiedQuery(std::function<bool()> textModified)
{
    m_textModifiedQuery = std::move(textModified);
}

void Document::setTextModified(bool modified)
{
    if (modified == m_textModified)
        return;
    m_textModified = modified;
    emit changed();
}

void Document::setForcedModified(bool forced)
{
    if (forced == m_forcedModified)
        return;
    m_forcedModified = forced;
    emit changed();
}
