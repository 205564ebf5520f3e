#pragma once

#include "encoding/Utf8Scan.h"

#include <QByteArrayView>

enum class LineBreak { CrLf, Cr, Lf };

// CR alone if the bytes hold CR but no LF, LF alone if LF but no CR, otherwise CR LF.
LineBreak detectLineBreak(QByteArrayView fileBytes);
QByteArrayView lineBreakBytes(LineBreak lineBreak);

// detectLineBreak() for bytes handed over piece by piece, in order.
class LineBreakEvidence {
public:
    void add(QByteArrayView piece);
    LineBreak lineBreak() const;

private:
    bool m_cr = false;
    bool m_lf = false;
};
// How many lines of a file start before the end of `bytes`, less one: the breaks in it, a CR LF
// counting once (a CR last in `bytes` counts as a break of its own).
qsizetype countLineBreaks(QByteArrayView bytes);

// Where lines end. A file's lines end at CR LF, a lone CR, a lone LF or NUL, and a break at the
// very end of a file starts no further line. The editor's text keeps NUL as a character; its
// lines end at CR LF, CR or LF. CR LF is always one break.
namespace TextLines {

using Utf8Scan::Byte;

struct FileBreaks {
    static bool is(Byte b) { return b == '\r' || b == '\n' || b == '\0'; }
    static std::uint64_t inWord(std::uint64_t word)
    {
        using namespace Utf8Scan;
        return zeroBytes(word) | bytesEqualTo(word, '\r') | bytesEqualTo(word, '\n');
    }
};

struct TextBreaks {
    static bool is(Byte b) { return b == '\r' || b == '\n'; }
    static std::uint64_t inWord(std::uint64_t word)
    {
        using namespace Utf8Scan;
        return bytesEqualTo(word, '\r') | bytesEqualTo(word, '\n');
    }
};

// A file's breaks that are not already the editor's '\n': CR (alone or before LF) and NUL.
// Reading a file, a lone LF can stay where it is.
struct FileBreaksOtherThanLf {
    static bool is(Byte b) { return b == '\r' || b == '\0'; }
    static std::uint64_t inWord(std::uint64_t word)
    {
        using namespace Utf8Scan;
        return zeroBytes(word) | bytesEqualTo(word, '\r');
    }
};

// The position after the break at p, which lies before `end`.
inline const Byte* stepOverBreak(const Byte* p, const Byte* end)
{
    return p + 1 + (*p == '\r' && p + 1 < end && p[1] == '\n');
}

// The first break at or after p, or `end`; a word at a time. The lowest flagged byte of a word is
// always a true hit.
template <typename Breaks> const Byte* findBreak(const Byte* p, const Byte* end)
{
    while (end - p >= 8) {
        const std::uint64_t breaks = Breaks::inWord(Utf8Scan::loadWord(p));
        if (breaks)
            return p + Utf8Scan::firstFlaggedByte(breaks);
        p += 8;
    }
    while (p < end && !Breaks::is(*p))
        ++p;
    return p;
}

// `end` less the break that closes the text, if one does.
template <typename Breaks> const Byte* endWithoutFinalBreak(const Byte* begin, const Byte* end)
{
    if (begin == end || !Breaks::is(end[-1]))
        return end;
    return end - 1 - (end[-1] == '\n' && end - begin >= 2 && end[-2] == '\r');
}

// The lines of a text one after another, each without its break; a break closing the text
// starts no further line, and empty text holds none.
template <typename Breaks> class LineReader {
public:
    explicit LineReader(QByteArrayView text)
        : m_p(reinterpret_cast<const Byte*>(text.data())),
          m_end(endWithoutFinalBreak<Breaks>(m_p, m_p + text.size())), m_atEnd(text.isEmpty())
    {
    }

    bool atEnd() const { return m_atEnd; }

    QByteArrayView next()
    {
        const Byte* const lineEnd = findBreak<Breaks>(m_p, m_end);
        const QByteArrayView line(m_p, lineEnd - m_p);
        if (lineEnd == m_end)
            m_atEnd = true;
        else
            m_p = stepOverBreak(lineEnd, m_end);
        return line;
    }

private:
    const Byte* m_p;
    const Byte* const m_end;
    bool m_atEnd;
};

} // namespace TextLines
