#include "app/TSynMemo.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QMimeData>

namespace {

constexpr int RightEdgeColumn = 80;
constexpr int MaxLeftChar = 2048;

QAccessibleInterface* plainEditorAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("TSynMemo") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
    return nullptr;
}

} // namespace

void installFastEditorAccessibility()
{
    if (!QAccessible::isActive())
        QAccessible::installFactory(plainEditorAccessible);
}

TSynMemo::TSynMemo(QWidget* parent) : QsciScintilla(parent)
{
    setUtf8(true);
    setEolMode(EolUnix);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMarginLineNumbers(0, true);
    setMarginWidth(0, QStringLiteral("00000"));
    setMarginWidth(1, 0);

    // Tab inserts a tab character; Alt with a drag selects a column block.
    setIndentationsUseTabs(true);
    SendScintilla(SCI_SETRECTANGULARSELECTIONMODIFIER, SCMOD_ALT);
    SendScintilla(SCI_SETMOUSESELECTIONRECTANGULARSWITCH, 1);

    setEdgeMode(EdgeLine);
    setEdgeColumn(RightEdgeColumn);
    setEdgeColor(palette().color(QPalette::Light));
    setScrollWidth(MaxLeftChar * fontMetrics().horizontalAdvance(QLatin1Char('x')));
    setScrollWidthTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // What is shown is styled before it is painted, the rest of a long text in idle time, so
    // jumping to the end of a large page does not wait for all of it to be styled.
    SendScintilla(SCI_SETIDLESTYLING, SC_IDLESTYLING_TOVISIBLE);

    // Change notifications would cost time proportional to the text before the caret on
    // every edit; status reports come from the update and save-point notifications instead.
    SendScintilla(SCI_SETMODEVENTMASK, SC_MOD_CHANGEFOLD | SC_MOD_CHANGEMARKER);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, &TSynMemo::reportUpdate);
    connect(this, &QsciScintilla::modificationChanged, this,
            [this] { emit statusChange(StatusModified); });
}

QByteArrayView TSynMemo::textBytes() const
{
    auto* self = const_cast<TSynMemo*>(this);
    const long length = self->SendScintilla(SCI_GETLENGTH);
    if (length == 0)
        return {};
    const auto* data = reinterpret_cast<const char*>(self->SendScintilla(SCI_GETCHARACTERPOINTER));
    return QByteArrayView(data, length);
}

int TSynMemo::lineCount() const
{
    auto* self = const_cast<TSynMemo*>(this);
    if (self->SendScintilla(SCI_GETLENGTH) == 0)
        return 0;
    return int(self->SendScintilla(SCI_GETLINECOUNT));
}

void TSynMemo::replaceAllText(
    const std::function<void(const std::function<void(QByteArrayView)>&)>& produce)
{
    SendScintilla(SCI_SETUNDOCOLLECTION, 0L);
    SendScintilla(SCI_CLEARALL);
    // Growing the buffers piece by piece would copy them again and again; room for the whole
    // text is made once.
    qsizetype total = 0;
    produce([&total](QByteArrayView piece) { total += piece.size(); });
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(total + 1));
    produce([this](QByteArrayView piece) {
        if (!piece.isEmpty())
            SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(piece.size()), piece.data());
    });
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1L);
    SendScintilla(SCI_SETSAVEPOINT);
    SendScintilla(SCI_GOTOPOS, 0L);
    const int digits = int(QString::number(qMax(lineCount(), 1)).size());
    setMarginWidth(0, QString(qMax(digits, 4) + 1, QLatin1Char('0')));
}

int TSynMemo::caretLine() const
{
    auto* self = const_cast<TSynMemo*>(this);
    const long pos = self->SendScintilla(SCI_GETCURRENTPOS);
    return int(self->SendScintilla(SCI_LINEFROMPOSITION, pos)) + 1;
}

int TSynMemo::caretColumn() const
{
    auto* self = const_cast<TSynMemo*>(this);
    const long pos = self->SendScintilla(SCI_GETCURRENTPOS);
    const long line = self->SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long lineStart = self->SendScintilla(SCI_POSITIONFROMLINE, line);
    return int(self->SendScintilla(SCI_COUNTCHARACTERS, lineStart, pos)) + 1;
}

void TSynMemo::setCaretColumn(int column)
{
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, pos);
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, line);
    const long lineEnd = SendScintilla(SCI_GETLINEENDPOSITION, line);
    long target = SendScintilla(SCI_POSITIONRELATIVE, lineStart, long(qMax(column, 1) - 1));
    if (target == 0 && column > 1)
        target = lineEnd; // past the end of the document
    SendScintilla(SCI_GOTOPOS, qMin(target, lineEnd));
}

int TSynMemo::selectionStartPosition() const
{
    return int(const_cast<TSynMemo*>(this)->SendScintilla(SCI_GETSELECTIONSTART));
}

int TSynMemo::selectionEndPosition() const
{
    return int(const_cast<TSynMemo*>(this)->SendScintilla(SCI_GETSELECTIONEND));
}

void TSynMemo::selectPositions(int anchor, int caret)
{
    SendScintilla(SCI_SETSEL, long(anchor), long(caret));
}

bool TSynMemo::isDocumentModified() const
{
    return const_cast<TSynMemo*>(this)->SendScintilla(SCI_GETMODIFY) != 0;
}

void TSynMemo::markSaved()
{
    SendScintilla(SCI_SETSAVEPOINT);
}

void TSynMemo::reportUpdate(int updated)
{
    StatusChanges changes;
    if (updated & (SC_UPDATE_SELECTION | SC_UPDATE_CONTENT))
        changes |= StatusCaretX | StatusCaretY;
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

void TSynMemo::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_popupMenu)
        m_popupMenu->popup(event->globalPos());
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
