#include "document/DocumentList.h"

#include "document/Document.h"
#include "document/DocumentPage.h"
#include "files/DocumentReader.h"
#include "files/FileAccess.h"

#include <QTabWidget>

namespace {

// A tab shows "&" as it is, not as the mark of a shortcut key.
QString tabText(const QString& caption)
{
    QString text = caption;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

DocumentList::DocumentList(QTabWidget* tabs, std::array<QIcon, 2> markers, QObject* parent)
    : QObject(parent), m_tabs(tabs), m_markers(std::move(markers))
{
}

template <typename Change> void DocumentList::switching(Change change)
{
    const bool was = std::exchange(m_switching, true);
    change();
    m_switching = was;
}

int DocumentList::count() const
{
    return m_tabs->count();
}

DocumentPage* DocumentList::at(int index) const
{
    return qobject_cast<DocumentPage*>(m_tabs->widget(index));
}

QList<DocumentPage*> DocumentList::pages() const
{
    QList<DocumentPage*> open;
    for (int index = 0; index < count(); ++index)
        open << at(index);
    return open;
}

DocumentPage* DocumentList::active() const
{
    return qobject_cast<DocumentPage*>(m_tabs->currentWidget());
}

QStringList DocumentList::paths() const
{
    QStringList open;
    for (const DocumentPage* page : pages())
        open << page->document()->path();
    return open;
}

int DocumentList::indexOfFile(const QString& path) const
{
    if (path.isEmpty())
        return -1;
    const QString sought = comparablePath(path);
    for (int index = 0; index < count(); ++index) {
        const QString pagePath = at(index)->document()->path();
        if (!pagePath.isEmpty() && comparablePath(pagePath) == sought)
            return index;
    }
    return -1;
}

QList<Document*> DocumentList::documents() const
{
    QList<Document*> open;
    for (const DocumentPage* page : pages())
        open << page->document();
    return open;
}

Document* DocumentList::find(const QString& path) const
{
    const int index = indexOfFile(path);
    return index >= 0 ? at(index)->document() : nullptr;
}

DocumentPage* DocumentList::pageOf(const Document* document) const
{
    for (DocumentPage* page : pages()) {
        if (page->document() == document)
            return page;
    }
    return nullptr;
}

DocumentPage* DocumentList::open(const QString& caption, const QString& path, const ShowRead& show,
                                 std::optional<Encoding> asked)
{
    if (const int existing = indexOfFile(path); existing >= 0) {
        activate(existing);
        return at(existing);
    }
    DocumentRead read = path.isEmpty() ? DocumentRead() : readDocumentToShow(path, asked);
    DocumentPage* page = add(caption);
    page->document()->setPath(path);
    activate(count() - 1);
    try {
        show(page, read);
    } catch (...) {
        remove(page); // unreadable after all
        throw;
    }
    return page;
}

void DocumentList::close(Document* document)
{
    if (DocumentPage* page = pageOf(document)) {
        emit aboutToClose(document);
        remove(page);
    }
}

DocumentPage* DocumentList::add(const QString& caption)
{
    auto* page = new DocumentPage(caption);
    connect(page->document(), &Document::changed, this,
            [this, document = page->document()] { emit changed(document); });
    switching([&] { m_tabs->addTab(page, m_markers[0], tabText(caption)); });
    emit added(page);
    return page;
}

void DocumentList::remove(DocumentPage* page)
{
    switching([&] {
        const int index = m_tabs->indexOf(page);
        const bool wasLast = index == m_tabs->count() - 1;
        m_tabs->removeTab(index);
        if (wasLast && m_tabs->count() > 0)
            m_tabs->setCurrentIndex(0);
    });
    page->deleteLater();
    page->hide();
    page->setParent(nullptr);
}

void DocumentList::activate(int index)
{
    switching([&] { m_tabs->setCurrentIndex(index); });
}

void DocumentList::setCaption(DocumentPage* page, const QString& caption)
{
    page->setCaption(caption);
    m_tabs->setTabText(m_tabs->indexOf(page), tabText(caption));
}

void DocumentList::setModifiedMarker(DocumentPage* page, int marker)
{
    if (!page || page->modifiedMarker() == marker)
        return;
    page->setModifiedMarker(marker);
    m_tabs->setTabIcon(m_tabs->indexOf(page), m_markers[marker ? 1 : 0]);
}
