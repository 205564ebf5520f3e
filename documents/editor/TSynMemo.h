#pragma once

#include "document/Document.h"
#include "encoding/DocumentCodec.h"
#include "encoding/TextLines.h"
#include "files/DocumentReader.h"

#include <QHash>
#include <QPointer>
#include <Qsci/qsciscintilla.h>

#include <QMenu>

#include <memory>

class ColouringCatchUp;

// The document editor: a view of one document's text, a QScintilla editor in UTF-8 mode, with
// the few operations the rest of the program relies on. The component's own interface (and its
// raw messages) is the editor's alone; what the rest of the program uses is named below.
class TSynMemo : private QsciScintilla {
    Q_OBJECT
    // Qt's connections and lookups convert the editor to its QObject and back.
    friend class QObject;
    template <class T> friend T qobject_cast(QObject* object);
    template <class T> friend T qobject_cast(const QObject* object);
    // The tests and benchmarks of the component itself send it raw messages through this.
    friend struct ComponentAccess;
    // A screen reader's interface and the spell checking follow the component's own notices.
    friend class EditorAccessible;
    friend class SpellChecking;

public:
    enum StatusChange {
        StatusAll = 0x1,
        StatusCaretX = 0x2,
        StatusCaretY = 0x4,
        StatusModified = 0x8,
        // The text changed.
        StatusText = 0x10,
    };
    Q_DECLARE_FLAGS(StatusChanges, StatusChange)

    // Shows `document`, or a document of its own when none is given.
    explicit TSynMemo(QWidget* parent = nullptr, Document* document = nullptr);
    ~TSynMemo() override;

    // Of the component's own operations, those of the window's commands.
    using QsciScintilla::copy;
    using QsciScintilla::cut;
    using QsciScintilla::lexer;
    using QsciScintilla::paste;
    using QsciScintilla::redo;
    using QsciScintilla::removeSelectedText;
    using QsciScintilla::setLexer;
    using QsciScintilla::undo;
    // Of the component's, those the tests read the text and place the caret with.
    using QsciScintilla::getCursorPosition;
    using QsciScintilla::isUndoAvailable;
    using QsciScintilla::selectedText;
    using QsciScintilla::setCursorPosition;
    using QsciScintilla::setFont;
    using QsciScintilla::setSelection;
    using QsciScintilla::text;
    // Of the widget's, those the window, its parts and the tests use.
    using QAbstractScrollArea::viewport;
    using QWidget::hasFocus;
    using QWidget::parentWidget;
    using QWidget::resize;
    using QWidget::setFocus;
    using QWidget::show;
    using QWidget::window;

    // The editor as a widget: to lay out, focus, and send input to.
    QWidget* widget() { return this; }
    const QWidget* widget() const { return this; }

    // The document shown and edited.
    Document* document() const { return m_document.data(); }
    // Shows and edits `document` from now on; the one shown before keeps its text.
    void attach(Document* document);

    // The shown document's file and line breaks.
    QString documentPath() const;
    void setDocumentPath(const QString& path);
    LineBreak lineBreak() const;
    void setLineBreak(LineBreak lineBreak);
    void setPopupMenu(QMenu* menu) { m_popupMenu = menu; }
    QMenu* popupMenu() const { return m_popupMenu; }

    // The text as UTF-8 bytes, without a copy; valid until the next change.
    QByteArrayView textBytes() const;
    // Number of lines; an empty editor holds no lines.
    int lineCount() const;
    // Shows a file read by readDocument(), decoded by decodeRead() (which takes the bytes and
    // fills in read.malformed; `sameFile` as there), and records its line breaks. Not undoable:
    // the undo history starts afresh, the editor unmodified with the caret at the start. When
    // decodeRead() throws, the editor is left empty and whole.
    void loadFile(DocumentRead& read, const QString& sameFile = {});
    // The same for bytes in the encoding.
    MalformedUtf8 loadFile(QByteArray fileBytes, Encoding encoding, const QString& sameFile = {});
    // Shows the given editor text (UTF-8, LF breaks) as a fresh document: no undo history,
    // unmodified, the caret at the start.
    void setDocumentText(QByteArrayView text);

    // Whether text up to the end of what is shown still waits to be coloured.
    bool isColouringBehind() const;

    // Line and column of a byte position of the text, both from 1; the column counts characters.
    struct TextPlace {
        long line = 0;
        long column = 0;
    };
    TextPlace placeOf(qsizetype position) const;

    // Caret line and column, both from 1; the column counts characters, not bytes.
    int caretLine() const;
    int caretColumn() const;
    // Whether the caret's line is longer than the editor component colours: the rest of it
    // keeps the plain style, so that typing on a line of megabytes stays quick.
    bool isCaretLinePartlyColoured() const;
#ifdef TAGOMIR_PATCHED_QSCINTILLA
    static constexpr long ColouredLineLength = 0x40000;
#endif

    // Byte positions of the selection's lower and upper ends (equal when nothing is selected).
    int selectionStartPosition() const;
    int selectionEndPosition() const;
    void selectPositions(int anchor, int caret);
    // Length of the text and the caret's place, in bytes.
    qsizetype textLength() const;
    qsizetype caretPosition() const;
    // Bytes of a part of the text, valid until the next edit; cheaper than textBytes() when the
    // part lies before the last edit.
    QByteArrayView rangeBytes(qsizetype position, qsizetype length) const;
    // Puts the caret there with nothing selected, and scrolls it into view.
    void moveCaret(qsizetype position);
    // Puts the caret on the line at the column (both from 1, the column in characters), each
    // brought within the text, with nothing selected and the line in view.
    void goToPlace(long line, long column);
    // The first line shown at the top, from 1; showing from a line scrolls there.
    long firstShownLine() const;
    void showFromLine(long line);
    // Lets go of the selection, the caret staying where it is.
    void clearSelection();
    bool hasSelection() const;

    // Many edits made as one undo step while it lives, with the change notifications left out
    // (nobody reads them meanwhile); what the editor keeps of the text before the caret is let go
    // afterwards, as those notifications would have had it.
    class BulkEdit {
    public:
        explicit BulkEdit(TSynMemo& editor);
        ~BulkEdit();
        BulkEdit(const BulkEdit&) = delete;
        BulkEdit& operator=(const BulkEdit&) = delete;

    private:
        TSynMemo& m_editor;
        long m_mask;
    };

    // Puts `open` before and `close` after every selected piece (or at the caret, leaving the
    // caret between them) as one undo step; the same text is selected again afterwards, and
    // undoing the step restores the text and the selection as they were.
    void wrapSelection(QByteArrayView open, QByteArrayView close);

    // Puts `bytes` in place of the `length` bytes of text at `position`, as one undo step.
    void replaceRange(qsizetype position, qsizetype length, QByteArrayView bytes);

    // Scintilla's save point: false right after loading or saving.
    bool isDocumentModified() const;
    void markSaved();
    // Modified with the text as it is, until the next save or load: its file is gone.
    void markModified();

    // How many selections are kept for undoing wraps: the latest MaxUndoSelections at most.
    static constexpr int MaxUndoSelections = 1000;
    qsizetype undoSelectionCount() const
    {
        return m_undoSelections.size();
    }

public slots:
    void recolor(int start = 0, int end = -1) override;
    // Replaces the whole text with no undo history; modified unless its text is at its save
    // point, as the editor component has it.
    void setText(const QString& text) override;

signals:
    void statusChange(TSynMemo::StatusChanges changes);
    // The context menu is about to show, for the text at `position` (-1: none).
    void popupMenuAboutToShow(QMenu* menu, qsizetype position);
    // A BulkEdit ended: its changes were made without change notices.
    void bulkEditEnded();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;

private:
    // One selection as Scintilla keeps it: a rectangle, or ranges of anchor and caret.
    struct SelectionState {
        bool rectangular = false;
        QList<QPair<long, long>> ranges;
    };
    // A query that leaves the editor as it is.
    long query(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    SelectionState currentSelection();
    void restoreSelection(const SelectionState& state);
    void reportUpdate(int updated);
    void makeRoomForNewLines();
    void finishLoading();
    // The settings Scintilla keeps with a document's text rather than with the view.
    void configureDocument();
    void handleContainerAction(int modificationType, int token);
    void keepColumnBefore(int modificationType, long position);

    // A document of its own, when none was given; let go before the component's own text.
    std::unique_ptr<Document> m_ownDocument;
    QPointer<Document> m_document;
    QPointer<QMenu> m_popupMenu;
    // Selections to put back when an edit that remembered them is undone, by undo token.
    QHash<int, SelectionState> m_undoSelections;
    int m_nextUndoToken = 1;
    ColouringCatchUp* m_colouringCatchUp;
    // The last caret column counted: the caret's next column is counted from here when that is
    // nearer than its line's start, which on a line of megabytes is far. Let go when the text
    // before it changes.
    struct ColumnMark {
        long lineStart = -1;
        long position = -1;
        long column = 0;
    };
    mutable ColumnMark m_columnMark;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TSynMemo::StatusChanges)

// Gives editors a screen reader's interface that follows their text without counting it from
// the start on every change (EditorAccessible) while an assistive technology is active, whenever
// it becomes so, and a plain widget's otherwise. Installed once at start-up.
void installFastEditorAccessibility();
