#pragma once

#include <QByteArrayView>
#include <functional>
#include <vector>

// Where a byte position of UTF-8 text falls in its UTF-16 form (the offsets assistive
// technologies are given: a letter outside the Basic Multilingual Plane, as most emoji, counts
// two), kept up to date as the text changes instead of counted from the start each time.
// The text is cut into blocks of about BlockBytes bytes, each knowing its length in bytes and in
// UTF-16 units; a position is found by summing blocks and counting within one, so that a
// question costs at most one block's bytes whatever the length of the text or of its lines.
// Blocks start at characters. Text that is not UTF-8 counts one unit per byte that does not
// continue a sequence.
class Utf16Index {
public:
    static constexpr qsizetype BlockBytes = qsizetype(1) << 16;
    // The bytes of the text from a position, as many as asked for.
    using Reader = std::function<QByteArrayView(qsizetype position, qsizetype length)>;

    // UTF-16 units of UTF-8 bytes.
    static qsizetype countUnits(QByteArrayView bytes);

    void rebuild(qsizetype length, const Reader& read);
    // After `length` bytes were inserted at `position`: `read` gives the text as it is now.
    void inserted(qsizetype position, qsizetype length, const Reader& read);
    // Before `length` bytes are removed at `position`: `read` gives the text as it still is.
    void removing(qsizetype position, qsizetype length, const Reader& read);

    qsizetype bytes() const { return m_bytes; }
    qsizetype units() const { return m_units; }
    // The offset of a byte position (clamped to the text).
    qsizetype offsetOf(qsizetype position, const Reader& read) const;
    // The byte position of an offset (clamped to the text); an offset between the two halves of
    // a surrogate pair gives its character's position.
    qsizetype positionOf(qsizetype offset, const Reader& read) const;
    qsizetype blockCount() const { return qsizetype(m_blocks.size()); }

private:
    struct Block {
        qsizetype bytes = 0;
        qsizetype units = 0;
    };
    struct Place {
        std::size_t block = 0;
        qsizetype start = 0;
        qsizetype unitsBefore = 0;
    };
    // The block holding a byte position; the last one for the end of the text.
    Place blockAt(qsizetype position) const;
    // Blocks for the text from `start` on, `length` bytes.
    static std::vector<Block> cut(qsizetype start, qsizetype length, const Reader& read);

    std::vector<Block> m_blocks;
    qsizetype m_bytes = 0;
    qsizetype m_units = 0;
};
