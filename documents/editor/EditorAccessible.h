#pragma once

#include "editor/Utf16Index.h"

#include <QAccessibleWidget>
#include <QString>
#include <memory>

class TSynMemo;

// What a screen reader is told of an editor: its text, the caret and the selection as UTF-16
// offsets, lines and words around an offset, and each change as it is made. Offsets come from
// a Utf16Index kept up to date with every change, so that neither a keystroke nor a caret move
// counts the text before it, however long the text or its line.
// The editor's change notices come before each change; an insertion is looked at, told and
// indexed once it has been made, when the next notice, screen update or question comes.
class EditorAccessible : public QAccessibleWidget,
                         public QAccessibleTextInterface,
                         public QAccessibleEditableTextInterface {
public:
    // Changes longer than this (in bytes of UTF-8) are told without their text, and a question
    // about a longer range is answered with a part of it that long at most, its offsets saying
    // which part.
    static constexpr qsizetype MaxCarriedBytes = qsizetype(1) << 20;
    using EventSink = void (*)(QAccessibleEvent* event);
    // Where the editors' events go (QAccessible::updateAccessibility unless replaced); returns
    // the previous one.
    static EventSink setEventSink(EventSink sink);
    // Whether editors are given this interface: while an assistive technology is active.
    static bool isInUse();

    explicit EditorAccessible(TSynMemo* editor);
    ~EditorAccessible() override;

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    TSynMemo* editor() const;
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    QByteArrayView bytes(qsizetype position, qsizetype length) const;
    // Brings the index up to the editor's text: the insertion waiting is indexed and told.
    void catchUp() const;
    void beforeChange(int type, qsizetype position, qsizetype length);
    void updated(int updated);
    void bulkEdited();
    qsizetype offsetOf(qsizetype position) const;
    qsizetype positionOf(qsizetype offset) const;
    void tell(QAccessibleEvent* event) const;
    // Text between byte positions, cut at MaxCarriedBytes.
    QString textBetween(qsizetype start, qsizetype end) const;
    // Where the run of characters of a kind (CharKind) holding the position starts and ends.
    qsizetype runStart(qsizetype position, int kind) const;
    qsizetype runEnd(qsizetype position, int kind) const;
    // Byte positions of the piece of text of a kind around a position; false if none.
    bool pieceAround(qsizetype position, QAccessible::TextBoundaryType type, qsizetype* start,
                     qsizetype* end) const;
    QString answer(qsizetype start, qsizetype end, int* startOffset, int* endOffset) const;

    std::unique_ptr<QObject> m_receiver;
    mutable Utf16Index m_index;
    mutable Utf16Index::Reader m_reader;
    mutable qsizetype m_insertedAt = -1;
    mutable qsizetype m_insertedLength = 0;
    mutable qintptr m_document = 0;
    qsizetype m_caretPosition = -1;
    qsizetype m_caretOffset = 0;
    qsizetype m_anchorPosition = -1;
};
