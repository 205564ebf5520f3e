#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

#include "encoding/Encoding.h"

class Desktop;
class DocumentPage;
class QComboBox;
class QLabel;
class QWidget;

// The window-wide encoding state: the selected encoding index that the next save writes in,
// and the charset line that the last detection found. It detects a document's encoding, reads
// a file into a page in the encoding it was detected in, and reads one again in another.
// The hidden controls `ComboBox1`, `Label2` and `Label3` show the values; this holds them.
struct DocumentRead;
struct MalformedUtf8;

// After a page was read as UTF-8: when some of its bytes were not UTF-8, one message saying how
// many sequences the editor shows as U+FFFD, where the first stands, and how to read the file
// in another encoding instead, before a save writes U+FFFD in their place.
void announceMalformedUtf8(Desktop& desktop, DocumentPage* page, const MalformedUtf8& malformed);

class DocumentEncodings {
public:
    using ActivePage = std::function<DocumentPage*()>;
    // `showEncoding` shows the active page's encoding name where the window shows it.
    using ShowEncoding = std::function<void(const QString& name)>;
    DocumentEncodings(Desktop& desktop, ShowEncoding showEncoding, ActivePage activePage,
                      QWidget* hiddenParent);

    DocumentPage* activePage() const { return m_activePage(); }

    // The selected encoding; nullopt for none.
    std::optional<Encoding> selected() const { return m_selected; }
    void select(std::optional<Encoding> encoding);
    // The same as the index the window keeps: 0 UTF-8, 1 ISO-8859-2, 2 CP-1250, 3 Nieznany, or
    // -1 for none (any other index selects none).
    int selectedIndex() const { return m_selected ? m_selected->index() : NoEncoding; }
    void setSelectedIndex(int index) { select(Encoding::fromIndex(index)); }
    // The selection follows the active page's encoding name ("Nieznany" selects CP-1250); a
    // page with no name yet leaves it as it is.
    void followActivePage();

    // The 0-based index of the first line holding "charset"; 0 also when there is none.
    qsizetype charsetLineIndex() const { return m_charsetLineIndex.value_or(0); }
    // That line's text, with A-Z lower-cased.
    QByteArray charsetLineText() const { return m_charsetLineText; }
    void setCharsetLine(qsizetype index, const QByteArray& loweredText);
    // Back to the start value, shown as "00".
    void resetCharsetLine();

    // The page's encoding name, shown in panel 2 when the page is the active one.
    void setPageEncoding(DocumentPage* page, const QString& name);

    // Finds the charset line in the page's text and takes the page's encoding from it; a page
    // with no name yet becomes "Nieznany".
    void detect(DocumentPage* page);
    // Shows a file read by readDocument() in a new page, in the encoding detected, and keeps its
    // disk stamp; bytes read as UTF-8 that are not UTF-8 are then announced
    // (announceMalformedUtf8).
    void load(DocumentPage* page, DocumentRead read);
    // Reads the page's file again in the given encoding, after asking when the page has unsaved
    // changes; false, with nothing changed, when the user declines. A file that cannot be read,
    // or that the editor could not hold, throws and changes nothing. Announced as load().
    bool reopen(DocumentPage* page, Encoding encoding);
    // After a page's first save: a page with no encoding yet takes the selected one.
    void recordWritten(DocumentPage* page);

private:
    void showCharsetLine();
    void loadIntoPage(DocumentPage* page, DocumentRead& read);

    Desktop& m_desktop;
    ShowEncoding m_showEncoding;
    ActivePage m_activePage;
    QLabel* Label2;
    QLabel* Label3;
    QComboBox* ComboBox1;

    std::optional<Encoding> m_selected;
    std::optional<qsizetype> m_charsetLineIndex;
    QByteArray m_charsetLineText;
};
