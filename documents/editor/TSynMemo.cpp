#include "editor/TSynMemo.h"

#include "document/Document.h"
#include "editor/ColouringCatchUp.h"
#include "encoding/DocumentCodec.h"
#include "files/FileAccess.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QMimeData>
#include <algorithm>
#include <cstdlib>

namespace {

constexpr int RightEdgeColumn = 80;
constexpr int MaxLeftChar = 2048;

} // namespace

TSynMemo::TSynMemo(QWidget* parent, Document* document)
    : QsciScintilla(parent), m_colouringCatchUp(new ColouringCatchUp(this))
{
    ++Document::s_liveViews;
    if (!document) {
        m_ownDocument = std::make_unique<Document>();
        document = m_ownDocument.get();
    }
    attach(document);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMarginLineNumbers(0, true);
    setMarginWidth(0, QStringLiteral("00000"));
    setMarginWidth(1, 0);

    // Alt with a drag selects a column block.
    SendScintilla(SCI_SETRECTANGULARSELECTIONMODIFIER, SCMOD_ALT);
    SendScintilla(SCI_SETMOUSESELECTIONRECTANGULARSWITCH, 1);

    setEdgeMode(EdgeLine);
    setEdgeColumn(RightEdgeColumn);
    setEdgeColor(palette().color(QPalette::Light));
    setScrollWidth(MaxLeftChar * fontMetrics().horizontalAdvance(QLatin1Char('x')));
    setScrollWidthTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // What is shown is styled before it is painted, the rest of a long text in short slices
    // (ColouringCatchUp), so jumping to the end of a large page does not wait for all of it to
    // be styled.
    SendScintilla(SCI_SETIDLESTYLING, SC_IDLESTYLING_TOVISIBLE);

    // The component's change notifications count the text before the change for its own
    // screen-reader support, on every edit; they are left out, and status reports come from the
    // update and save-point notifications instead. The notices sent before an insertion or a
    // deletion count nothing and stay on: a screen reader's interface (EditorAccessible) follows
    // the text through them.
    SendScintilla(SCI_SETMODEVENTMASK, SC_MOD_CHANGEFOLD | SC_MOD_CHANGEMARKER | SC_MOD_CONTAINER |
                                           SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this,
            [this](int updated) { reportUpdate(updated); });
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int, int, int, int, int, int token, int) {
                keepColumnBefore(type, position);
                handleContainerAction(type, token);
            });
    SendScintilla(SCI_SETMULTIPLESELECTION, 1L);
    SendScintilla(SCI_SETADDITIONALSELECTIONTYPING, 1L);
    connect(this, &QsciScintilla::modificationChanged, this, [this](bool modified) {
        m_document->setTextModified(modified);
        emit statusChange(StatusModified);
    });
}

TSynMemo::~TSynMemo()
{
    if (m_document) {
        m_document->setTextModified(query(SCI_GETMODIFY) != 0);
        m_document->setTextModifiedQuery({});
        --m_document->m_views;
    }
    m_ownDocument.reset();
    --Document::s_liveViews;
}

void TSynMemo::attach(Document* document)
{
    if (document == m_document)
        return;
    if (m_document) {
        m_document->setTextModified(query(SCI_GETMODIFY) != 0);
        m_document->setTextModifiedQuery({});
        --m_document->m_views;
    }
    // A text shown before and by no view now is held by a reference the component took when
    // its last view let go of it; showing it again does not give that reference back, so this
    // view does, or the text would never be freed.
    const bool heldAlone = document->m_shown && document->m_views == 0;
    m_document = document;
    setDocument(document->text());
    if (heldAlone)
        SendScintilla(SCI_RELEASEDOCUMENT, 0UL, SendScintillaPtrResult(SCI_GETDOCPOINTER));
    ++document->m_views;
    document->m_shown = true;
    configureDocument();
    // The colouring is kept with the text too: the one chosen is given to this text.
    if (QsciLexer* colouring = lexer())
        setLexer(colouring);
    m_columnMark = {};
    m_undoSelections.clear();
    // Scintilla does not report every move of the save point (an undo action of the program's
    // own leaves it silently), so the document asks.
    document->setTextModifiedQuery([this] { return query(SCI_GETMODIFY) != 0; });
    document->setTextModified(query(SCI_GETMODIFY) != 0);
}

void TSynMemo::configureDocument()
{
    setUtf8(true);
    setEolMode(EolUnix);
    // Tab inserts a tab character.
    setIndentationsUseTabs(true);
}

QString TSynMemo::documentPath() const
{
    return m_document->path();
}

void TSynMemo::setDocumentPath(const QString& path)
{
    m_document->setPath(path);
}

LineBreak TSynMemo::lineBreak() const
{
    return m_document->format().lineBreak;
}

void TSynMemo::setLineBreak(LineBreak lineBreak)
{
    m_document->setLineBreak(lineBreak);
}

long TSynMemo::query(unsigned int message, unsigned long wParam, long lParam) const
{
    // Scintilla's messages are not const-qualified; those sent through here leave the text,
    // the selection and the view as they are.
    return const_cast<TSynMemo*>(this)->SendScintilla(message, wParam, lParam);
}

QByteArrayView TSynMemo::textBytes() const
{
    const long length = query(SCI_GETLENGTH);
    if (length == 0)
        return {};
    const auto* data = reinterpret_cast<const char*>(query(SCI_GETCHARACTERPOINTER));
    return QByteArrayView(data, length);
}

int TSynMemo::lineCount() const
{
    if (query(SCI_GETLENGTH) == 0)
        return 0;
    return int(query(SCI_GETLINECOUNT));
}

MalformedUtf8 TSynMemo::loadFile(QByteArray fileBytes, Encoding encoding, const QString& sameFile)
{
    DocumentRead read = inspectDocument(std::move(fileBytes), encoding);
    loadFile(read, sameFile);
    return read.malformed;
}

namespace {

// The editor's text as decodeRead() fills it.
class EditorText : public DecodedText {
public:
    explicit EditorText(QsciScintillaBase& editor) : m_editor(editor) {}
    void reserve(qsizetype bytes) override
    {
        m_editor.SendScintilla(QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(bytes));
    }
    void append(QByteArrayView text) override
    {
        m_editor.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT,
                               static_cast<unsigned long>(text.size()), text.data());
    }
    qsizetype length() const override
    {
        return m_editor.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    }
    void clear() override { m_editor.SendScintilla(QsciScintillaBase::SCI_CLEARALL); }

private:
    QsciScintillaBase& m_editor;
};

} // namespace

void TSynMemo::loadFile(DocumentRead& read, const QString& sameFile)
{
    SendScintilla(SCI_SETUNDOCOLLECTION, 0L);
    SendScintilla(SCI_CLEARALL);
    EditorText text(*this);
    try {
        decodeRead(read, sameFile, text);
    } catch (...) {
        setLineBreak(read.lineBreak);
        finishLoading();
        throw;
    }
    setLineBreak(read.lineBreak);
    finishLoading();
}

TSynMemo::TextPlace TSynMemo::placeOf(qsizetype position) const
{
    const long line = query(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const long column = query(SCI_COUNTCHARACTERS, query(SCI_POSITIONFROMLINE, line), position);
    return {line + 1, column + 1};
}

void TSynMemo::setDocumentText(QByteArrayView text)
{
    SendScintilla(SCI_SETUNDOCOLLECTION, 0L);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(text.size() + 2));
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(text.size()), text.data());
    finishLoading();
}

void TSynMemo::finishLoading()
{
    makeRoomForNewLines();
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    m_undoSelections.clear();
    SendScintilla(SCI_SETUNDOCOLLECTION, 1L);
    SendScintilla(SCI_SETSAVEPOINT);
    m_document->setTextModified(false);
    m_document->setForcedModified(false);
    // Placing the caret lays out the first line; a long one, as a minified page's line of
    // megabytes, is coloured first, so that it is laid out once and not again when it is first
    // painted in its colours.
    constexpr long LongFirstLine = 1 << 16;
    if (query(SCI_LINELENGTH, 0) > LongFirstLine)
        SendScintilla(SCI_COLOURISE, 0UL, query(SCI_LINELENGTH, 0));
    SendScintilla(SCI_GOTOPOS, 0L);
    const int digits = int(QString::number(qMax(lineCount(), 1)).size());
    setMarginWidth(0, QString(qMax(digits, 4) + 1, QLatin1Char('0')));
}

void TSynMemo::makeRoomForNewLines()
{
    // Scintilla makes its tables of the lexer's per-line state and fold levels when it first
    // needs them, exactly as long as the text, and grows such a table by a sixth only once it is
    // full. In a text of a million lines the first new line typed would then wait for tables of
    // megabytes to be made, and the eighth for them to be copied. They are made here and grown
    // by adding and taking away a few thousand lines, before the undo history starts.
    constexpr long ManyLines = 10'000;
    const long lines = query(SCI_GETLINECOUNT);
    if (lines < ManyLines)
        return;
    SendScintilla(SCI_GETLINESTATE, lines - 1);
    SendScintilla(SCI_SETFOLDLEVEL, 0UL, SendScintilla(SCI_GETFOLDLEVEL, 0UL));
    const long length = query(SCI_GETLENGTH);
    const QByteArray breaks(ManyLines / 4, '\n');
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(breaks.size()), breaks.constData());
    SendScintilla(SCI_DELETERANGE, static_cast<unsigned long>(length), long(breaks.size()));
}

bool TSynMemo::isColouringBehind() const
{
    return m_colouringCatchUp->isBehind();
}

int TSynMemo::caretLine() const
{
    return int(query(SCI_LINEFROMPOSITION, query(SCI_GETCURRENTPOS))) + 1;
}

int TSynMemo::caretColumn() const
{
    const long pos = query(SCI_GETCURRENTPOS);
    const long lineStart = query(SCI_POSITIONFROMLINE, query(SCI_LINEFROMPOSITION, pos));
    long column;
    const ColumnMark& mark = m_columnMark;
    if (mark.lineStart == lineStart && std::abs(pos - mark.position) < pos - lineStart)
        column = pos >= mark.position
                     ? mark.column + query(SCI_COUNTCHARACTERS, mark.position, pos)
                     : mark.column - query(SCI_COUNTCHARACTERS, pos, mark.position);
    else
        column = query(SCI_COUNTCHARACTERS, lineStart, pos);
    m_columnMark = {lineStart, pos, column};
    return int(column) + 1;
}

bool TSynMemo::isCaretLinePartlyColoured() const
{
#ifdef TAGOMIR_PATCHED_QSCINTILLA
    const long line = query(SCI_LINEFROMPOSITION, query(SCI_GETCURRENTPOS));
    return lexer() && query(SCI_POSITIONFROMLINE, line + 1) - query(SCI_POSITIONFROMLINE, line) >
                          ColouredLineLength;
#else
    return false;
#endif
}

void TSynMemo::keepColumnBefore(int modificationType, long position)
{
    if (!(modificationType & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) ||
        position >= m_columnMark.position)
        return;
    // A change on the mark's line moves the mark back to it, counting the characters in
    // between while they are still there; a nearby change, as the keys typed make, is cheap.
    constexpr long NearChange = 1 << 16;
    if (position >= m_columnMark.lineStart && m_columnMark.position - position <= NearChange)
        m_columnMark = {m_columnMark.lineStart, position,
                        m_columnMark.column -
                            query(SCI_COUNTCHARACTERS, position, m_columnMark.position)};
    else
        m_columnMark = {};
}

int TSynMemo::selectionStartPosition() const
{
    return int(query(SCI_GETSELECTIONSTART));
}

int TSynMemo::selectionEndPosition() const
{
    return int(query(SCI_GETSELECTIONEND));
}

void TSynMemo::selectPositions(int anchor, int caret)
{
    SendScintilla(SCI_SETSEL, long(anchor), long(caret));
}

qsizetype TSynMemo::textLength() const
{
    return query(SCI_GETLENGTH);
}

qsizetype TSynMemo::caretPosition() const
{
    return query(SCI_GETCURRENTPOS);
}

QByteArrayView TSynMemo::rangeBytes(qsizetype position, qsizetype length) const
{
    if (length <= 0)
        return {};
    return QByteArrayView(
        reinterpret_cast<const char*>(query(SCI_GETRANGEPOINTER, position, long(length))), length);
}

void TSynMemo::moveCaret(qsizetype position)
{
    SendScintilla(SCI_GOTOPOS, long(position));
}

void TSynMemo::goToPlace(long line, long column)
{
    const long lines = query(SCI_GETLINECOUNT);
    const long index = std::clamp(line - 1, 0L, std::max(lines - 1, 0L));
    const long lineStart = query(SCI_POSITIONFROMLINE, index);
    const long lineEnd = query(SCI_GETLINEENDPOSITION, index);
    const long characters = query(SCI_COUNTCHARACTERS, lineStart, lineEnd);
    const long position =
        query(SCI_POSITIONRELATIVE, lineStart, std::clamp(column - 1, 0L, characters));
    const long shown = query(SCI_LINESONSCREEN);
    const long top = query(SCI_GETFIRSTVISIBLELINE);
    // A line out of sight comes to the middle of the page, not to its edge.
    if (index < top || index >= top + shown)
        SendScintilla(SCI_SETFIRSTVISIBLELINE, std::max(index - shown / 2, 0L));
    SendScintilla(SCI_GOTOPOS, position);
}

long TSynMemo::firstShownLine() const
{
    return query(SCI_GETFIRSTVISIBLELINE) + 1;
}

void TSynMemo::showFromLine(long line)
{
    SendScintilla(SCI_SETFIRSTVISIBLELINE, std::max(line - 1, 0L));
}

void TSynMemo::clearSelection()
{
    SendScintilla(SCI_SETEMPTYSELECTION, query(SCI_GETCURRENTPOS));
}

bool TSynMemo::hasSelection() const
{
    return query(SCI_GETSELECTIONEMPTY) == 0;
}

TSynMemo::SelectionState TSynMemo::currentSelection()
{
    SelectionState state;
    state.rectangular = SendScintilla(SCI_SELECTIONISRECTANGLE) != 0;
    if (state.rectangular) {
        state.ranges.append({SendScintilla(SCI_GETRECTANGULARSELECTIONANCHOR),
                             SendScintilla(SCI_GETRECTANGULARSELECTIONCARET)});
        return state;
    }
    const long count = SendScintilla(SCI_GETSELECTIONS);
    for (long i = 0; i < count; ++i)
        state.ranges.append(
            {SendScintilla(SCI_GETSELECTIONNANCHOR, i), SendScintilla(SCI_GETSELECTIONNCARET, i)});
    return state;
}

void TSynMemo::restoreSelection(const SelectionState& state)
{
    if (state.ranges.isEmpty())
        return;
    if (state.rectangular) {
        SendScintilla(SCI_SETRECTANGULARSELECTIONANCHOR, state.ranges[0].first);
        SendScintilla(SCI_SETRECTANGULARSELECTIONCARET, state.ranges[0].second);
        return;
    }
    SendScintilla(SCI_SETSELECTION, state.ranges[0].second, state.ranges[0].first);
    for (qsizetype i = 1; i < state.ranges.size(); ++i)
        SendScintilla(SCI_ADDSELECTION, state.ranges[i].second, state.ranges[i].first);
    SendScintilla(SCI_SETMAINSELECTION, 0L);
}

void TSynMemo::handleContainerAction(int modificationType, int token)
{
    if (!(modificationType & SC_MOD_CONTAINER) || !(modificationType & SC_PERFORMED_UNDO))
        return;
    const auto found = m_undoSelections.constFind(token);
    if (found == m_undoSelections.constEnd())
        return;
    // Scintilla collapses the selection when the undo finishes; put it back after that.
    const SelectionState state = *found;
    QMetaObject::invokeMethod(
        this, [this, state] { restoreSelection(state); }, Qt::QueuedConnection);
}

void TSynMemo::wrapSelection(QByteArrayView open, QByteArrayView close)
{
    const SelectionState before = currentSelection();
    // Every selected piece from the last to the first, so earlier positions stay valid.
    QList<QPair<long, long>> pieces;
    const long count = SendScintilla(SCI_GETSELECTIONS);
    for (long i = 0; i < count; ++i)
        pieces.append(
            {SendScintilla(SCI_GETSELECTIONNSTART, i), SendScintilla(SCI_GETSELECTIONNEND, i)});
    std::sort(pieces.begin(), pieces.end());

    const int token = m_nextUndoToken++;
    m_undoSelections.insert(token, before);
    m_undoSelections.remove(token - MaxUndoSelections);
    beginUndoAction();
    SendScintilla(SCI_ADDUNDOACTION, long(token), 0L);
    for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
        const auto [start, end] = pieces[i];
        SendScintilla(SCI_INSERTTEXT, end, close.toByteArray().constData());
        SendScintilla(SCI_INSERTTEXT, start, open.toByteArray().constData());
    }
    endUndoAction();

    // The same text selected again, the caret at its start; with nothing selected the caret
    // stands between the two texts.
    SelectionState after;
    long shift = 0;
    for (const auto& [start, end] : std::as_const(pieces)) {
        const long innerStart = start + shift + long(open.size());
        after.ranges.append({innerStart + (end - start), innerStart});
        shift += long(open.size() + close.size());
    }
    restoreSelection(after);
}

TSynMemo::BulkEdit::BulkEdit(TSynMemo& editor)
    : m_editor(editor), m_mask(editor.query(SCI_GETMODEVENTMASK))
{
    m_editor.SendScintilla(SCI_SETMODEVENTMASK, 0L);
    m_editor.beginUndoAction();
}

TSynMemo::BulkEdit::~BulkEdit()
{
    m_editor.endUndoAction();
    m_editor.SendScintilla(SCI_SETMODEVENTMASK, m_mask);
    m_editor.m_columnMark = {};
    emit m_editor.bulkEditEnded();
}

void TSynMemo::replaceRange(qsizetype position, qsizetype length, QByteArrayView bytes)
{
    beginUndoAction();
    SendScintilla(SCI_SETTARGETRANGE, long(position), long(position + length));
    SendScintilla(SCI_REPLACETARGET, static_cast<unsigned long>(bytes.size()), bytes.data());
    endUndoAction();
}

bool TSynMemo::isDocumentModified() const
{
    return m_document->isModified();
}

void TSynMemo::markSaved()
{
    m_document->setForcedModified(false);
    SendScintilla(SCI_SETSAVEPOINT);
    m_document->setTextModified(false);
    emit statusChange(StatusModified);
}

void TSynMemo::markModified()
{
    m_document->setForcedModified(true);
    emit statusChange(StatusModified);
}

void TSynMemo::reportUpdate(int updated)
{
    StatusChanges changes;
    if (updated & (SC_UPDATE_SELECTION | SC_UPDATE_CONTENT))
        changes |= StatusCaretX | StatusCaretY;
    if (updated & SC_UPDATE_CONTENT)
        changes |= StatusText;
    if (changes)
        emit statusChange(changes);
}

void TSynMemo::recolor(int start, int end)
{
    // Choosing a lexer asks for the whole text to be styled at once, which takes seconds on a
    // large page; its styles are cleared by then, so painting and idle time restyle it lazily.
    if (start == 0 && end == -1) {
        viewport()->update();
        return;
    }
    QsciScintilla::recolor(start, end);
}

void TSynMemo::setText(const QString& text)
{
    QsciScintilla::setText(text);
    // Emptying the undo history moves the save point without telling.
    m_document->setTextModified(query(SCI_GETMODIFY) != 0);
}

void TSynMemo::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_popupMenu) {
        const QPoint at = viewport()->mapFromGlobal(event->globalPos());
        const qsizetype position =
            event->reason() == QContextMenuEvent::Mouse
                ? SendScintilla(SCI_CHARPOSITIONFROMPOINTCLOSE, at.x(), at.y())
                : caretPosition();
        emit popupMenuAboutToShow(m_popupMenu, position);
        m_popupMenu->popup(event->globalPos());
    }
    else
        QsciScintilla::contextMenuEvent(event);
}

void TSynMemo::dragEnterEvent(QDragEnterEvent* event)
{
    // Files dropped on an editor go to the main window, which opens them.
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QsciScintilla::dragEnterEvent(event);
}
