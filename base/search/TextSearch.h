#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <utility>
#include <vector>

// A match in a UTF-8 text: byte offset and byte length; start -1 when there is none.
struct TextMatch {
    qsizetype start = -1;
    qsizetype length = 0;
    bool found() const { return start >= 0; }
};

// Letters (Polish ones included), digits, combining marks and '_' make up words.
bool isWordCharacter(char32_t c);

// Byte range of the word the position stands in, or that begins or ends there; empty (both
// ends at `position`) when there is none.
std::pair<qsizetype, qsizetype> wordRangeAt(QByteArrayView text, qsizetype position);

// A search text ready to be looked for in UTF-8 text, in either letter case or only in its own.
// Line breaks in it are taken as the editor's "\n".
class TextPattern {
public:
    TextPattern(const QString& text, bool matchCase);

    bool isEmpty() const { return m_bytes.isEmpty(); }
    const QByteArray& bytes() const { return m_bytes; }

    // The first match lying wholly in [from, to) of `text`, from `from` onwards or, backwards,
    // the last one before `to`. With `wholeWord` the characters on either side of the match, in
    // the whole text, must not be word characters.
    TextMatch find(QByteArrayView text, qsizetype from, qsizetype to, bool backwards,
                   bool wholeWord) const;

private:
    using ByteSet = std::array<unsigned char, 4>;
    qsizetype matchLengthAt(QByteArrayView text, qsizetype at, qsizetype to) const;
    TextMatch findFixed(QByteArrayView text, qsizetype from, qsizetype to, bool backwards,
                        bool wholeWord) const;
    TextMatch findScanning(QByteArrayView text, qsizetype from, qsizetype to, bool backwards,
                           bool wholeWord) const;

    QByteArray m_bytes;
    bool m_matchCase;
    // Without match case: the folded characters, and whether every character's case forms are
    // as long in UTF-8 as the character itself, so that a match is as long as the pattern.
    std::vector<char32_t> m_folded;
    bool m_fixedLength = true;
    // For each byte of the pattern, the bytes a text may hold there (from any letter case).
    std::vector<ByteSet> m_allowed;
    std::array<qsizetype, 256> m_forwardShift{};
    std::array<qsizetype, 256> m_backwardShift{};
    std::array<bool, 256> m_lastAllowed{};
    std::array<bool, 256> m_firstAllowed{};
};
