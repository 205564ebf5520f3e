#include "encoding/DocumentCodec.h"

#include "common/HugePages.h"
#include "encoding/CodePageTables.h"
#include "encoding/Encoding.h"
#include "encoding/Utf8Scan.h"
#include "encoding/WellFormedStretch.h"

#include <algorithm>
#include <array>
#include <memory>

// Both directions work on the whole buffer in one pass instead of line by line. The result is
// the same as splitting into lines, converting each and joining them, because a line break
// only ever resets state: every break becomes one '\n' (or `lineBreak` when saving), and no
// UTF-8 sequence, well-formed or not, ever takes in a break byte.
//
// Output buffers are sized for the worst case (3 bytes per input byte: a lone lead byte turns
// into U+FFFD, windows-1250 byte 0x80 into E2 82 AC) plus slack for the word-wide stores.

using namespace Utf8Scan;
using namespace TextLines;

namespace {

constexpr qsizetype Slack = 64;
constexpr qsizetype WorstExpansion = 3;

// UTF-8 form of each byte after isoToCp1250Map() and the windows-1250 table, its length in the top
// byte, so that one unaligned 4-byte store and a shift write it. A break byte stands for '\n'
// here; CR needs a look at the next byte and is handled apart.
using ByteToUtf8Table = std::array<std::uint32_t, 256>;

const ByteToUtf8Table& decodeTable()
{
    static const ByteToUtf8Table table = [] {
        ByteToUtf8Table t{};
        const auto& iso = CodePageTables::isoToCp1250Map();
        const auto& unicode = CodePageTables::cp1250ToUnicode();
        for (int b = 0; b < 256; ++b) {
            Byte utf8[4] = {};
            const char16_t c = FileBreaks::is(Byte(b)) ? u'\n' : unicode[iso[b]];
            const auto length = std::uint32_t(putUtf8(utf8, c) - utf8);
            t[b] = utf8[0] | (utf8[1] << 8) | (utf8[2] << 16) | (length << 24);
        }
        return t;
    }();
    return table;
}

inline Byte* putTableEntry(Byte* out, std::uint32_t entry)
{
    std::memcpy(out, &entry, 4);
    return out + (entry >> 24);
}

using EncodeTable = std::array<Byte, 0x10000>;

// windows-1250 (or best fit, or '?') of every BMP character, followed by the form's byte map.
const EncodeTable& encodeTable(SaveForm form)
{
    static const auto tables = [] {
        auto t = std::make_unique<std::array<EncodeTable, 3>>();
        const auto& base = CodePageTables::unicodeToCp1250();
        const auto& toIso = CodePageTables::cp1250ToIsoMap();
        const auto& toCp1250 = CodePageTables::isoToCp1250Map();
        for (std::size_t c = 0; c < base.size(); ++c) {
            (*t)[0][c] = toIso[base[c]];
            (*t)[1][c] = toCp1250[base[c]];
            (*t)[2][c] = base[c];
        }
        return t;
    }();
    switch (form) {
    case SaveForm::Iso88592:
        return (*tables)[0];
    case SaveForm::Cp1250:
        return (*tables)[1];
    default:
        return (*tables)[2];
    }
}

class FileDecoder {
public:
    FileDecoder(QByteArrayView fileBytes, Encoding encoding)
        : m_p(reinterpret_cast<const Byte*>(fileBytes.data())),
          m_end(endWithoutFinalBreak<FileBreaks>(m_p, m_p + fileBytes.size())),
          m_utf8(encoding == EncodingUtf8)
    {
    }

    bool atEnd() const { return m_p >= m_end; }
    qsizetype remaining() const { return m_end - m_p; }
    const MalformedUtf8& malformed() const { return m_malformed; }

    // Decodes from the current position to the first character boundary at or after `count`
    // more input bytes (or the end), writing to `out`; returns the end of the output.
    Byte* decode(qsizetype count, Byte* out)
    {
        const Byte* stop = m_p + std::min(count, remaining());
        return m_utf8 ? decodeUtf8(stop, out) : decodeWithTable(stop, out);
    }

private:
    Byte* decodeWithTable(const Byte* stop, Byte* out)
    {
        const ByteToUtf8Table& table = decodeTable();
        const Byte* p = m_p;
        while (p < stop) {
            if (m_end - p >= 8) {
                const std::uint64_t word = loadWord(p);
                const std::uint64_t breaks = FileBreaksOtherThanLf::inWord(word);
                if (!breaks) {
                    if (!nonAsciiBytes(word)) {
                        std::memcpy(out, p, 8);
                        out += 8;
                    } else {
                        for (int i = 0; i < 8; ++i)
                            out = putTableEntry(out, table[p[i]]);
                    }
                    p += 8;
                    continue;
                }
                for (const Byte* const lineEnd = p + firstFlaggedByte(breaks); p < lineEnd; ++p)
                    out = putTableEntry(out, table[*p]);
            }
            if (*p == '\r') {
                p = stepOverBreak(p, m_end);
                *out++ = '\n';
            } else {
                out = putTableEntry(out, table[*p++]);
            }
        }
        m_p = p;
        return out;
    }

    Byte* decodeUtf8(const Byte* stop, Byte* out)
    {
        Byte* const start = out;
        const Byte* p = m_p;
        while (p < stop) {
            // Strictly valid UTF-8 decodes to itself: copy such stretches whole. LF is copied
            // too, since it becomes '\n' anyway; CR, NUL and anything malformed end a stretch.
            const Byte* const stretch = p;
            p = wellFormedStretchEnd<FileBreaksOtherThanLf>(p, stop, m_end);
            std::memcpy(out, stretch, p - stretch);
            out += p - stretch;
            if (p >= stop)
                break;

            if (FileBreaks::is(*p)) {
                p = stepOverBreak(p, m_end);
                *out++ = '\n';
                continue;
            }
            // Bytes that belong to no well-formed sequence read as one U+FFFD, and the byte
            // after them afresh; they never take in a break, which is ASCII.
            if (m_malformed.count++ == 0)
                m_malformed.firstTextOffset = m_textWritten + (out - start);
            out = putReplacement(out);
            p += malformedSequenceLength(p, m_end);
        }
        m_p = p;
        m_textWritten += out - start;
        return out;
    }

    const Byte* m_p;
    const Byte* const m_end;
    const bool m_utf8;
    qsizetype m_textWritten = 0;
    MalformedUtf8 m_malformed;
};

class TextEncoder {
public:
    TextEncoder(QByteArrayView editorText, SaveForm form, LineBreak lineBreak)
        : m_p(reinterpret_cast<const Byte*>(editorText.data())), m_end(m_p + editorText.size()),
          m_form(form)
    {
        const QByteArrayView breakBytes = lineBreakBytes(lineBreak);
        std::memcpy(m_break, breakBytes.data(), breakBytes.size());
        m_breakLength = int(breakBytes.size());
    }

    Byte* encode(Byte* out)
    {
        if (m_p == m_end)
            return out;
        out = m_form == SaveForm::Utf8 ? encodeUtf8(out) : encodeWithTable(out);
        return putBreak(out);
    }

private:
    Byte* putBreak(Byte* out)
    {
        std::memcpy(out, m_break, 2);
        return out + m_breakLength;
    }

    // Steps over a CR, LF or CR LF at p and writes the file's line break.
    Byte* lineBreak(const Byte*& p, Byte* out)
    {
        p = stepOverBreak(p, m_end);
        return putBreak(out);
    }

    Byte* encodeUtf8(Byte* out)
    {
        const Byte* p = m_p;
        while (p < m_end) {
            const Byte* const stretch = p;
            p = wellFormedStretchEnd<TextBreaks>(p, m_end, m_end);
            std::memcpy(out, stretch, p - stretch);
            out += p - stretch;
            if (p >= m_end)
                break;
            if (TextBreaks::is(*p)) {
                out = lineBreak(p, out);
            } else {
                out = putReplacement(out);
                p += malformedSequenceLength(p, m_end);
            }
        }
        return out;
    }

    // Converts from p while below `limit`, which is a break or lies past one word; malformed
    // bytes (U+FFFD) and characters outside the BMP have no fit and become '?'.
    static void convertRun(const Byte*& p, const Byte* limit, const Byte* end, Byte*& out,
                           const EncodeTable& table)
    {
        while (p < limit) {
            const Byte b = *p;
            if (b < 0x80) {
                *out++ = b;
                ++p;
                continue;
            }
            const int length = wellFormedSequenceLength(p, end);
            if (length == 2 || length == 3) {
                *out++ = table[wellFormedCodePoint(p, length)];
                p += length;
            } else {
                *out++ = '?';
                p += length ? length : malformedSequenceLength(p, end);
            }
        }
    }

    Byte* encodeWithTable(Byte* out)
    {
        const EncodeTable& table = encodeTable(m_form);
        const Byte* p = m_p;
        while (p < m_end) {
            if (m_end - p >= 8) {
                const std::uint64_t word = loadWord(p);
                const std::uint64_t breaks = TextBreaks::inWord(word);
                if (!breaks && !nonAsciiBytes(word)) {
                    std::memcpy(out, p, 8);
                    p += 8;
                    out += 8;
                    continue;
                }
                const Byte* const limit = breaks ? p + firstFlaggedByte(breaks) : p + 8;
                convertRun(p, limit, m_end, out, table);
                if (!breaks)
                    continue;
            } else if (!TextBreaks::is(*p)) {
                convertRun(p, p + 1, m_end, out, table);
                continue;
            }
            out = lineBreak(p, out);
        }
        return out;
    }

    const Byte* m_p;
    const Byte* const m_end;
    const SaveForm m_form;
    Byte m_break[2] = {};
    int m_breakLength = 0;
};

Byte* bytesOf(QByteArray& array)
{
    return reinterpret_cast<Byte*>(array.data());
}

void preferHugePages(QByteArray& buffer)
{
    ::preferHugePages(buffer.data(), std::size_t(buffer.size()));
}

} // namespace

void decodeDocument(QByteArrayView fileBytes, Encoding encoding,
                    const std::function<void(QByteArrayView)>& sink, qsizetype chunkBytes,
                    MalformedUtf8* malformed)
{
    FileDecoder decoder(fileBytes, encoding);
    chunkBytes = std::max<qsizetype>(chunkBytes, 1);
    QByteArray buffer(std::min(chunkBytes, decoder.remaining()) * WorstExpansion + Slack,
                      Qt::Uninitialized);
    while (!decoder.atEnd()) {
        Byte* const begin = bytesOf(buffer);
        const Byte* const end = decoder.decode(chunkBytes, begin);
        if (end > begin)
            sink(QByteArrayView(begin, end - begin));
    }
    if (malformed)
        *malformed = decoder.malformed();
}

QByteArray decodeDocument(QByteArrayView fileBytes, Encoding encoding, MalformedUtf8* malformed)
{
    FileDecoder decoder(fileBytes, encoding);
    if (malformed)
        *malformed = {};
    if (decoder.atEnd())
        return {};
    // The worst-case size is only reserved address space; pages never written stay untouched,
    // and squeeze() hands them back.
    QByteArray text(decoder.remaining() * WorstExpansion + Slack, Qt::Uninitialized);
    preferHugePages(text);
    Byte* const begin = bytesOf(text);
    text.truncate(decoder.decode(decoder.remaining(), begin) - begin);
    text.squeeze();
    if (malformed)
        *malformed = decoder.malformed();
    return text;
}

qsizetype decodedSize(QByteArrayView fileBytes, Encoding encoding, qsizetype limit)
{
    constexpr qsizetype PieceBytes = 1 << 20;
    FileDecoder decoder(fileBytes, encoding);
    QByteArray buffer(std::min(PieceBytes, decoder.remaining()) * WorstExpansion + Slack,
                      Qt::Uninitialized);
    Byte* const begin = bytesOf(buffer);
    qsizetype size = 0;
    while (!decoder.atEnd() && size <= limit)
        size += decoder.decode(PieceBytes, begin) - begin;
    return size;
}

QByteArray encodeDocument(QByteArrayView editorText, Encoding encoding, LineBreak lineBreak)
{
    if (editorText.isEmpty())
        return {};
    QByteArray file(editorText.size() * WorstExpansion + Slack, Qt::Uninitialized);
    preferHugePages(file);
    TextEncoder encoder(editorText, encoding.saveForm(), lineBreak);
    Byte* const begin = bytesOf(file);
    file.truncate(encoder.encode(begin) - begin);
    file.squeeze();
    return file;
}

void encodeDocument(QByteArrayView editorText, Encoding encoding, LineBreak lineBreak,
                    const std::function<void(QByteArrayView)>& sink, qsizetype chunkBytes)
{
    const SaveForm form = encoding.saveForm();
    if (editorText.isEmpty())
        return;
    chunkBytes = std::max<qsizetype>(chunkBytes, 1);
    const Byte* const end = reinterpret_cast<const Byte*>(editorText.data()) + editorText.size();
    const Byte* start = reinterpret_cast<const Byte*>(editorText.data());
    QByteArray buffer;
    while (end - start > chunkBytes) {
        // A piece ends at the first break after chunkBytes (before the whole of a CR LF), so
        // each piece is whole lines and the break between pieces is written as the piece's
        // final line break.
        const Byte* cut = findBreak<TextBreaks>(start + chunkBytes, end);
        if (cut == end)
            break;
        cut -= *cut == '\n' && cut[-1] == '\r';
        const QByteArrayView piece(start, cut - start);
        if (piece.isEmpty()) {
            sink(lineBreakBytes(lineBreak));
        } else {
            if (buffer.size() < piece.size() * WorstExpansion + Slack)
                buffer.resize(piece.size() * WorstExpansion + Slack);
            TextEncoder encoder(piece, form, lineBreak);
            Byte* const begin = bytesOf(buffer);
            sink(QByteArrayView(begin, encoder.encode(begin) - begin));
        }
        start = stepOverBreak(cut, end);
    }
    // The rest; text ending in a break leaves an empty last line, which still gets its break.
    if (start == end)
        sink(lineBreakBytes(lineBreak));
    else
        sink(encodeDocument(QByteArrayView(start, end - start), encoding, lineBreak));
}
