#include "document/DocumentEncodings.h"

#include "desktop/Desktop.h"
#include "document/DocumentPage.h"
#include "editor/TSynMemo.h"
#include "encoding/CharsetDetection.h"
#include "files/DocumentReader.h"

#include <QComboBox>
#include <QLabel>

namespace {

QString sequenceCount(qsizetype count)
{
    const qsizetype ones = count % 10;
    const qsizetype tens = count % 100;
    if (count == 1)
        return QStringLiteral("1 ciąg bajtów, który nie jest");
    if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14))
        return QStringLiteral("%1 ciągi bajtów, które nie są").arg(count);
    return QStringLiteral("%1 ciągów bajtów, które nie są").arg(count);
}

} // namespace

void announceMalformedUtf8(Desktop& desktop, DocumentPage* page, const MalformedUtf8& malformed)
{
    if (malformed.count == 0)
        return;
    TSynMemo* editor = page->editor();
    const TSynMemo::TextPlace first = editor->placeOf(malformed.firstTextOffset);
    desktop.showMessage(
        page->window(),
        QStringLiteral("Plik %1 zawiera %2 poprawnym tekstem UTF-8 (pierwszy: wiersz %3, "
                       "kolumna %4). Edytor pokazuje każdy z nich jako znak „\uFFFD”; "
                       "zapisanie pliku zastąpi je tym znakiem.\rJeśli plik zapisano w innym "
                       "kodowaniu, wczytaj go ponownie: "
                       "Plik → Otwórz ponownie jako ... → ISO-8859-2 lub CP-1250.")
            .arg(editor->documentPath(), sequenceCount(malformed.count))
            .arg(first.line)
            .arg(first.column));
}

DocumentEncodings::DocumentEncodings(Desktop& desktop, ShowEncoding showEncoding,
                                     ActivePage activePage, QWidget* hiddenParent)
    : m_desktop(desktop), m_showEncoding(std::move(showEncoding)),
      m_activePage(std::move(activePage))
{
    Label2 = new QLabel(QStringLiteral("Label2"), hiddenParent);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("00"), hiddenParent);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label2->setTextFormat(Qt::PlainText);
    Label3->setTextFormat(Qt::PlainText);
    ComboBox1 = new QComboBox(hiddenParent);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (int index = EncodingUtf8; index <= EncodingUnknown; ++index)
        ComboBox1->addItem(Encoding::fromIndex(index)->name());
    ComboBox1->setCurrentIndex(NoEncoding);
    Label2->hide();
    Label3->hide();
    ComboBox1->hide();
}

void DocumentEncodings::select(std::optional<Encoding> encoding)
{
    m_selected = encoding;
    ComboBox1->setCurrentIndex(selectedIndex());
}

void DocumentEncodings::followActivePage()
{
    // No page is ever written in another page's encoding: the selection follows the page.
    DocumentPage* page = m_activePage();
    if (const auto named = page ? Encoding::fromName(page->encodingName()) : std::nullopt)
        select(named->readAs());
}

void DocumentEncodings::setCharsetLine(qsizetype index, const QByteArray& loweredText)
{
    m_charsetLineIndex = index;
    m_charsetLineText = loweredText;
    showCharsetLine();
}

void DocumentEncodings::resetCharsetLine()
{
    m_charsetLineIndex.reset();
    showCharsetLine();
}

void DocumentEncodings::showCharsetLine()
{
    Label3->setText(m_charsetLineIndex ? QString::number(*m_charsetLineIndex)
                                       : QStringLiteral("00"));
    Label2->setText(QString::fromLatin1(m_charsetLineText));
}

void DocumentEncodings::setPageEncoding(DocumentPage* page, const QString& name)
{
    page->setEncodingName(name);
    if (page == m_activePage())
        m_showEncoding(name);
}

void DocumentEncodings::detect(DocumentPage* page)
{
    const CharsetLine found = findCharsetLine(page->editor()->textBytes());
    if (found.index >= 0)
        setCharsetLine(found.index, found.loweredText);
    else
        setCharsetLine(0, m_charsetLineText);
    const QString declared = found.index >= 0 ? ClassifyCharsetLine(found.loweredText) : QString();
    if (!declared.isEmpty())
        setPageEncoding(page, declared);
    else if (page->encodingName().isEmpty())
        setPageEncoding(page, Encoding(EncodingUnknown).name());
    followActivePage();
}

void DocumentEncodings::load(DocumentPage* page, DocumentRead read)
{
    if (read.charsetLine.index >= 0)
        setCharsetLine(read.charsetLine.index, read.charsetLine.loweredText);
    else
        setCharsetLine(0, m_charsetLineText);
    setPageEncoding(page, read.encoding.name());
    select(read.encoding.readAs());
    page->setDiskStamp(read.stamp);
    loadIntoPage(page, read);
}

void DocumentEncodings::loadIntoPage(DocumentPage* page, DocumentRead& read)
{
    TSynMemo* editor = page->editor();
    editor->loadFile(read, editor->documentPath());
    announceMalformedUtf8(m_desktop, page, read.malformed);
}

bool DocumentEncodings::reopen(DocumentPage* page, Encoding encoding)
{
    TSynMemo* editor = page->editor();
    const QString name = encoding.name();
    if (editor->isDocumentModified()) {
        const QString question =
            QStringLiteral("Dokument \"%1\" ma niezapisane zmiany, które zostaną utracone.\r"
                           "Czy wczytać go ponownie jako %2?")
                .arg(page->caption(), name);
        if (m_desktop.askYesNoCancel(page->window(), question) != Answer::Yes)
            return false;
    }
    DocumentRead read = readDocumentToShow(editor->documentPath(), encoding);
    setPageEncoding(page, name);
    select(encoding);
    loadIntoPage(page, read);
    return true;
}

void DocumentEncodings::recordWritten(DocumentPage* page)
{
    // A new document takes the encoding its file was first written in, so that later saves,
    // whichever page was active before, keep writing it the same way.
    if (!page->encodingName().isEmpty())
        return;
    setPageEncoding(page, m_selected.value_or(EncodingUnknown).name());
    followActivePage();
}
