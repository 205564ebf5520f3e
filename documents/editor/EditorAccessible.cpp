#include "editor/EditorAccessible.h"

#include "editor/TSynMemo.h"

#include <QApplication>
#include <QFontMetrics>
#include <algorithm>

namespace {

bool editorsReadAloud = false;
EditorAccessible::EventSink eventSink = &QAccessible::updateAccessibility;

bool continues(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The editor's kinds of characters for words: letters, digits, '_' and every character outside
// ASCII make words.
enum class CharKind { Word, Space, LineEnd, Other };

CharKind kindOf(char byte)
{
    const auto c = static_cast<unsigned char>(byte);
    if (c >= 0x80 || c == '_' || (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'))
        return CharKind::Word;
    if (c == ' ' || c == '\t')
        return CharKind::Space;
    if (c == '\r' || c == '\n')
        return CharKind::LineEnd;
    return CharKind::Other;
}

QAccessibleInterface* editorInterface(const QString& className, QObject* object)
{
    if (className != QLatin1String("TSynMemo") || !object || !object->isWidgetType())
        return nullptr;
    auto* editor = qobject_cast<TSynMemo*>(object);
    if (editorsReadAloud)
        return new EditorAccessible(editor);
    return new QAccessibleWidget(editor->widget(), QAccessible::EditableText);
}

// The accessibility bridge learns that a screen reader runs some time after start-up, and may
// learn later that it no longer does: each editor's interface is then let go, so that the next
// question gets the one that suits.
class EditorAccessibilitySwitch : public QAccessible::ActivationObserver {
public:
    void accessibilityActiveChanged(bool active) override
    {
        if (active == editorsReadAloud)
            return;
        editorsReadAloud = active;
        const QWidgetList widgets = QApplication::allWidgets();
        for (QWidget* widget : widgets) {
            if (!qobject_cast<TSynMemo*>(widget))
                continue;
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
            if (iface && (dynamic_cast<EditorAccessible*>(iface) != nullptr) != active)
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
        }
    }
};

EditorAccessibilitySwitch* activationObserver = nullptr;

} // namespace

void installFastEditorAccessibility()
{
    if (activationObserver)
        return;
    editorsReadAloud = QAccessible::isActive();
    QAccessible::installFactory(editorInterface);
    activationObserver = new EditorAccessibilitySwitch;
    QAccessible::installActivationObserver(activationObserver);
    // The bridge may report until the application goes; then the observer goes too.
    qAddPostRoutine([] {
        QAccessible::removeActivationObserver(activationObserver);
        QAccessible::removeFactory(editorInterface);
        delete std::exchange(activationObserver, nullptr);
    });
}

EditorAccessible::EventSink EditorAccessible::setEventSink(EventSink sink)
{
    return std::exchange(eventSink, sink);
}

bool EditorAccessible::isInUse()
{
    return editorsReadAloud;
}

EditorAccessible::EditorAccessible(TSynMemo* editor)
    : QAccessibleWidget(editor, QAccessible::EditableText), m_receiver(new QObject)
{
    m_reader = [editor](qsizetype position, qsizetype length) {
        return editor->rangeBytes(position, length);
    };
    m_document = qintptr(send(QsciScintillaBase::SCI_GETDOCPOINTER));
    m_index.rebuild(send(QsciScintillaBase::SCI_GETLENGTH), m_reader);
    m_caretPosition = send(QsciScintillaBase::SCI_GETCURRENTPOS);
    m_anchorPosition = send(QsciScintillaBase::SCI_GETANCHOR);
    m_caretOffset = offsetOf(m_caretPosition);
    QObject::connect(editor, &QsciScintillaBase::SCN_MODIFIED, m_receiver.get(),
                     [this](int position, int type, const char*, int length) {
                         beforeChange(type, position, length);
                     });
    QObject::connect(editor, &QsciScintillaBase::SCN_UPDATEUI, m_receiver.get(),
                     [this](int what) { updated(what); });
    QObject::connect(editor, &TSynMemo::bulkEditEnded, m_receiver.get(), [this] { bulkEdited(); });
}

EditorAccessible::~EditorAccessible() = default;

TSynMemo* EditorAccessible::editor() const
{
    return static_cast<TSynMemo*>(widget());
}

long EditorAccessible::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return editor()->SendScintilla(message, wParam, lParam);
}

QByteArrayView EditorAccessible::bytes(qsizetype position, qsizetype length) const
{
    return editor()->rangeBytes(position, length);
}

void EditorAccessible::tell(QAccessibleEvent* event) const
{
    eventSink(event);
}

void EditorAccessible::catchUp() const
{
    const qintptr document = qintptr(send(QsciScintillaBase::SCI_GETDOCPOINTER));
    if (m_insertedAt >= 0 && document == m_document) {
        const qsizetype position = std::exchange(m_insertedAt, -1);
        m_index.inserted(position, m_insertedLength, m_reader);
        const QString inserted = m_insertedLength <= MaxCarriedBytes
                                     ? QString::fromUtf8(bytes(position, m_insertedLength))
                                     : QString();
        QAccessibleTextInsertEvent event(const_cast<EditorAccessible*>(this),
                                         int(offsetOf(position)), inserted);
        tell(&event);
    }
    m_insertedAt = -1;
    // Another document shown, or a change made unheard: counted again, and told as a change
    // of the whole text.
    if (document != m_document || m_index.bytes() != send(QsciScintillaBase::SCI_GETLENGTH)) {
        m_document = document;
        m_index.rebuild(send(QsciScintillaBase::SCI_GETLENGTH), m_reader);
        QAccessibleTextUpdateEvent event(const_cast<EditorAccessible*>(this), 0, QString(),
                                         QString());
        tell(&event);
    }
}

void EditorAccessible::beforeChange(int type, qsizetype position, qsizetype length)
{
    if (!(type & (QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE)))
        return;
    catchUp();
    if (type & QsciScintillaBase::SC_MOD_BEFOREINSERT) {
        m_insertedAt = position;
        m_insertedLength = length;
        return;
    }
    const QString removed =
        length <= MaxCarriedBytes ? QString::fromUtf8(bytes(position, length)) : QString();
    const qsizetype offset = offsetOf(position);
    m_index.removing(position, length, m_reader);
    QAccessibleTextRemoveEvent event(this, int(offset), removed);
    tell(&event);
}

void EditorAccessible::bulkEdited()
{
    m_insertedAt = -1;
    m_index.rebuild(send(QsciScintillaBase::SCI_GETLENGTH), m_reader);
    QAccessibleTextUpdateEvent event(this, 0, QString(), QString());
    tell(&event);
    updated(QsciScintillaBase::SC_UPDATE_CONTENT | QsciScintillaBase::SC_UPDATE_SELECTION);
}

void EditorAccessible::updated(int what)
{
    catchUp();
    if (!(what & (QsciScintillaBase::SC_UPDATE_CONTENT | QsciScintillaBase::SC_UPDATE_SELECTION)))
        return;
    const qsizetype caret = send(QsciScintillaBase::SCI_GETCURRENTPOS);
    const qsizetype anchor = send(QsciScintillaBase::SCI_GETANCHOR);
    const qsizetype caretOffset = offsetOf(caret);
    const bool selected = caret != anchor;
    const bool wasSelected = m_caretPosition != m_anchorPosition;
    const bool selectionMoved = caret != m_caretPosition || anchor != m_anchorPosition;
    m_caretPosition = caret;
    m_anchorPosition = anchor;
    if (caretOffset != m_caretOffset) {
        m_caretOffset = caretOffset;
        QAccessibleTextCursorEvent event(this, int(caretOffset));
        tell(&event);
    }
    if ((selected || wasSelected) && selectionMoved) {
        const qsizetype anchorOffset = offsetOf(anchor);
        QAccessibleTextSelectionEvent event(this, int(std::min(anchorOffset, caretOffset)),
                                            int(std::max(anchorOffset, caretOffset)));
        tell(&event);
    }
}

qsizetype EditorAccessible::offsetOf(qsizetype position) const
{
    return m_index.offsetOf(position, m_reader);
}

qsizetype EditorAccessible::positionOf(qsizetype offset) const
{
    catchUp();
    if (offset < 0)
        return m_index.bytes();
    return m_index.positionOf(offset, m_reader);
}

void* EditorAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State EditorAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.selectableText = true;
    state.multiLine = true;
    if (editor()->isReadOnly())
        state.readOnly = true;
    else
        state.editable = true;
    return state;
}

void EditorAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    catchUp();
    const long count = send(QsciScintillaBase::SCI_GETSELECTIONS);
    for (long i = 0, found = 0; i < count; ++i) {
        const long start = send(QsciScintillaBase::SCI_GETSELECTIONNSTART, i);
        const long end = send(QsciScintillaBase::SCI_GETSELECTIONNEND, i);
        if (start == end || found++ != selectionIndex)
            continue;
        *startOffset = int(offsetOf(start));
        *endOffset = int(offsetOf(end));
        return;
    }
}

int EditorAccessible::selectionCount() const
{
    const long count = send(QsciScintillaBase::SCI_GETSELECTIONS);
    int selected = 0;
    for (long i = 0; i < count; ++i)
        selected += send(QsciScintillaBase::SCI_GETSELECTIONNSTART, i) !=
                    send(QsciScintillaBase::SCI_GETSELECTIONNEND, i);
    return selected;
}

void EditorAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void EditorAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        editor()->clearSelection();
}

void EditorAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        send(QsciScintillaBase::SCI_SETSEL, positionOf(startOffset), positionOf(endOffset));
}

int EditorAccessible::cursorPosition() const
{
    catchUp();
    return int(offsetOf(send(QsciScintillaBase::SCI_GETCURRENTPOS)));
}

void EditorAccessible::setCursorPosition(int position)
{
    send(QsciScintillaBase::SCI_GOTOPOS, positionOf(position));
}

QString EditorAccessible::textBetween(qsizetype start, qsizetype end) const
{
    qsizetype length = std::min(end - start, MaxCarriedBytes);
    // Cut before a character, not inside one.
    while (length > 0 && start + length < m_index.bytes() &&
           continues(bytes(start + length, 1).front()))
        --length;
    return QString::fromUtf8(bytes(start, length));
}

QString EditorAccessible::answer(qsizetype start, qsizetype end, int* startOffset,
                                 int* endOffset) const
{
    const QString text = textBetween(start, end);
    *startOffset = int(offsetOf(start));
    *endOffset = *startOffset + int(text.size());
    return text;
}

QString EditorAccessible::text(int startOffset, int endOffset) const
{
    const qsizetype start = positionOf(startOffset);
    const qsizetype end = positionOf(endOffset);
    if (end <= start)
        return QString();
    return textBetween(start, end);
}

// A run of characters of one kind is looked for no further than this from the position, so
// that a word of megabytes (data in a page) is answered in part.
constexpr qsizetype RunReach = EditorAccessible::MaxCarriedBytes / 2;

qsizetype EditorAccessible::runStart(qsizetype position, int kind) const
{
    const qsizetype from = std::max<qsizetype>(0, position - RunReach);
    const QByteArrayView before = bytes(from, position - from);
    qsizetype i = before.size();
    while (i > 0 && int(kindOf(before[i - 1])) == kind)
        --i;
    // Not inside a character.
    while (i < before.size() && continues(before[i]))
        ++i;
    return from + i;
}

qsizetype EditorAccessible::runEnd(qsizetype position, int kind) const
{
    const QByteArrayView after = bytes(position, std::min(RunReach, m_index.bytes() - position));
    qsizetype i = 0;
    while (i < after.size() && int(kindOf(after[i])) == kind)
        ++i;
    while (i > 0 && i < after.size() && continues(after[i]))
        --i;
    return position + i;
}

bool EditorAccessible::pieceAround(qsizetype position, QAccessible::TextBoundaryType type,
                                   qsizetype* start, qsizetype* end) const
{
    const qsizetype length = m_index.bytes();
    switch (type) {
    case QAccessible::CharBoundary:
        if (position >= length)
            return false;
        *start = position;
        *end = send(QsciScintillaBase::SCI_POSITIONAFTER, position);
        break;
    case QAccessible::WordBoundary:
        *start = runStart(position, int(CharKind::Word));
        *end = runEnd(position, int(CharKind::Word));
        if (*start == *end) {
            // Between words: the word before the run of other characters before the position.
            if (position == 0)
                return false;
            *end = runStart(position, int(kindOf(bytes(position - 1, 1).front())));
            if (*end == 0)
                return false;
            *start = runStart(*end, int(CharKind::Word));
        }
        break;
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary: {
        const long line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, position);
        *start = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
        *end = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1);
        if (*start == *end)
            return false;
        break;
    }
    case QAccessible::SentenceBoundary:
        return false;
    case QAccessible::NoBoundary:
        *start = 0;
        *end = length;
        break;
    }
    // Of a line of megabytes, the part around the position.
    if (*end - *start > MaxCarriedBytes) {
        qsizetype from = std::max(*start, position - MaxCarriedBytes / 2);
        const QByteArrayView ahead = bytes(from, 4);
        for (qsizetype i = 0; i < ahead.size() && continues(ahead[i]); ++i)
            ++from;
        *start = from;
        *end = std::min(*end, from + MaxCarriedBytes);
    }
    return true;
}

QString EditorAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                       int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = -1;
    qsizetype start = 0;
    qsizetype end = 0;
    if (offset < -1 || offset > characterCount() ||
        !pieceAround(positionOf(offset), boundaryType, &start, &end))
        return QString();
    return answer(start, end, startOffset, endOffset);
}

QString EditorAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = -1;
    qsizetype start = 0;
    qsizetype end = 0;
    if (offset < -1 || offset > characterCount() ||
        !pieceAround(positionOf(offset), boundaryType, &start, &end) || start == 0 ||
        !pieceAround(send(QsciScintillaBase::SCI_POSITIONBEFORE, start), boundaryType, &start,
                     &end))
        return QString();
    return answer(start, end, startOffset, endOffset);
}

QString EditorAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = -1;
    qsizetype start = 0;
    qsizetype end = 0;
    if (offset < -1 || offset > characterCount() ||
        !pieceAround(positionOf(offset), boundaryType, &start, &end) || end >= m_index.bytes() ||
        !pieceAround(end, boundaryType, &start, &end))
        return QString();
    return answer(start, end, startOffset, endOffset);
}

int EditorAccessible::characterCount() const
{
    catchUp();
    return int(m_index.units());
}

QRect EditorAccessible::characterRect(int offset) const
{
    const qsizetype position = positionOf(offset);
    const int x = int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, position));
    const int y = int(send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, position));
    const long line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, position);
    const qsizetype after = send(QsciScintillaBase::SCI_POSITIONAFTER, position);
    int width = int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, after)) - x;
    if (after == position || send(QsciScintillaBase::SCI_LINEFROMPOSITION, after) != line ||
        width <= 0)
        width = editor()->fontMetrics().averageCharWidth();
    QRect rect(x, y, width, int(send(QsciScintillaBase::SCI_TEXTHEIGHT, line)));
    rect.moveTo(editor()->viewport()->mapToGlobal(rect.topLeft()));
    return rect;
}

int EditorAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint local = editor()->viewport()->mapFromGlobal(point);
    const long position = send(QsciScintillaBase::SCI_POSITIONFROMPOINTCLOSE, local.x(), local.y());
    if (position < 0)
        return -1;
    catchUp();
    return int(offsetOf(position));
}

void EditorAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    send(QsciScintillaBase::SCI_SCROLLRANGE, positionOf(endIndex), positionOf(startIndex));
}

QString EditorAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // The text is told without its colours: one run of no attributes.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

void EditorAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void EditorAccessible::insertText(int offset, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    editor()->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT,
                            static_cast<unsigned long>(positionOf(offset)), utf8.constData());
}

void EditorAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    send(QsciScintillaBase::SCI_SETSEL, positionOf(startOffset), positionOf(endOffset));
    editor()->SendScintilla(QsciScintillaBase::SCI_REPLACESEL, 0UL, utf8.constData());
}
