#include "encoding/DocumentCodec.h"

#include "encoding/CodePageTables.h"
#include "encoding/EncodingNames.h"
#include "encoding/Utf8Scan.h"

#include <algorithm>
#include <array>
#include <memory>

// Both directions work on the whole buffer in one pass instead of line by line. The result is
// the same as splitting into lines, converting each and joining them, because a line break
// only ever resets state: every break becomes one '\n' (or `lineBreak` when saving), and the
// lenient UTF-8 decoder is never allowed to take a break byte as part of a sequence.
//
// Output buffers are sized for the worst case (3 bytes per input byte: a lone lead byte turns
// into U+FFFD, windows-1250 byte 0x80 into E2 82 AC) plus slack for the word-wide stores.

using namespace Utf8Scan;

namespace {

constexpr qsizetype Slack = 64;
constexpr qsizetype WorstExpansion = 3;

bool isBreakByte(Byte b)
{
    return b == '\n' || b == '\r' || b == '\0';
}

// Where the decoded text ends: a break at the very end of the file starts no further line, so
// nothing is written for it.
const Byte* endWithoutFinalBreak(const Byte* begin, const Byte* end)
{
    if (begin == end)
        return end;
    switch (end[-1]) {
    case '\n':
        return end - 1 - (end - begin >= 2 && end[-2] == '\r');
    case '\r':
    case '\0':
        return end - 1;
    default:
        return end;
    }
}

// UTF-8 form of each byte after IsoToCp1250 and the windows-1250 table, stored so that one
// unaligned 4-byte store writes it.
struct ByteToUtf8Table {
    std::array<std::uint32_t, 256> bytes;
    std::array<std::uint8_t, 256> length;
};

const ByteToUtf8Table& decodeTable()
{
    static const ByteToUtf8Table table = [] {
        ByteToUtf8Table t{};
        const auto& iso = CodePageTables::isoToCp1250Map();
        const auto& unicode = CodePageTables::cp1250ToUnicode();
        for (int b = 0; b < 256; ++b) {
            Byte utf8[4] = {};
            t.length[b] = std::uint8_t(putUtf8(utf8, unicode[iso[b]]) - utf8);
            std::memcpy(&t.bytes[b], utf8, 4);
        }
        return t;
    }();
    return table;
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
    FileDecoder(QByteArrayView fileBytes, int encodingIndex)
        : m_p(reinterpret_cast<const Byte*>(fileBytes.data())),
          m_end(endWithoutFinalBreak(m_p, m_p + fileBytes.size())),
          m_utf8(encodingIndex == EncodingUtf8)
    {
    }

    bool atEnd() const { return m_p >= m_end; }
    qsizetype remaining() const { return m_end - m_p; }

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
                const std::uint64_t special =
                    nonAsciiBytes(word) | zeroBytes(word) | bytesEqualTo(word, '\r');
                std::memcpy(out, p, 8);
                if (!special) {
                    p += 8;
                    out += 8;
                    continue;
                }
                const int plain = firstFlaggedByte(special);
                p += plain;
                out += plain;
            }
            const Byte b = *p++;
            if (b >= 0x80) {
                std::memcpy(out, &table.bytes[b], 4);
                out += table.length[b];
            } else if (b == '\r') {
                p += p < m_end && *p == '\n';
                *out++ = '\n';
            } else {
                *out++ = b == '\0' ? '\n' : b;
            }
        }
        m_p = p;
        return out;
    }

    Byte* decodeUtf8(const Byte* stop, Byte* out)
    {
        const Byte* p = m_p;
        while (p < stop) {
            // Strictly valid UTF-8 decodes to itself: copy such stretches whole. LF is copied
            // too, since it becomes '\n' anyway; CR, NUL and anything malformed end a stretch.
            const Byte* const stretch = p;
            while (p < stop) {
                if (m_end - p >= 8) {
                    const std::uint64_t word = loadWord(p);
                    const std::uint64_t special =
                        nonAsciiBytes(word) | zeroBytes(word) | bytesEqualTo(word, '\r');
                    if (!special) {
                        p += 8;
                        continue;
                    }
                    p += firstFlaggedByte(special);
                    if (p >= stop)
                        break;
                }
                const Byte b = *p;
                if (b < 0x80) {
                    if (b == '\r' || b == '\0')
                        break;
                    ++p;
                    continue;
                }
                const int length = wellFormedSequenceLength(p, m_end);
                if (!length)
                    break;
                p += length;
            }
            if (p > stretch) {
                out = m_writer.flush(out);
                std::memcpy(out, stretch, p - stretch);
                out += p - stretch;
            }
            if (p >= stop)
                break;

            const Byte b = *p;
            if (b == '\r' || b == '\0') {
                out = m_writer.flush(out);
                ++p;
                p += b == '\r' && p < m_end && *p == '\n';
                *out++ = '\n';
                continue;
            }
            // A malformed sequence: the lenient decoder's reading, cut short at the end of the
            // line.
            const Byte* lineEnd = p + 1;
            const Byte* const furthest =
                p + std::min<qsizetype>(1 + announcedContinuations(b), m_end - p);
            while (lineEnd < furthest && !isBreakByte(*lineEnd))
                ++lineEnd;
            char32_t value;
            p = decodeLenientSequence(p, lineEnd, value);
            out = m_writer.putDecoded(out, value);
        }
        m_p = p;
        if (atEnd())
            out = m_writer.flush(out);
        return out;
    }

    const Byte* m_p;
    const Byte* const m_end;
    const bool m_utf8;
    Utf16ToUtf8Writer m_writer;
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
        p += 1 + (*p == '\r' && p + 1 < m_end && p[1] == '\n');
        return putBreak(out);
    }

    static std::uint64_t specialBytes(std::uint64_t word)
    {
        return nonAsciiBytes(word) | bytesEqualTo(word, '\r') | bytesEqualTo(word, '\n');
    }

    Byte* encodeUtf8(Byte* out)
    {
        const Byte* p = m_p;
        while (p < m_end) {
            const Byte* const stretch = p;
            while (p < m_end) {
                if (m_end - p >= 8) {
                    const std::uint64_t special = specialBytes(loadWord(p));
                    if (!special) {
                        p += 8;
                        continue;
                    }
                    p += firstFlaggedByte(special);
                }
                const Byte b = *p;
                if (b < 0x80) {
                    if (b == '\r' || b == '\n')
                        break;
                    ++p;
                    continue;
                }
                const int length = wellFormedSequenceLength(p, m_end);
                if (!length)
                    break;
                p += length;
            }
            std::memcpy(out, stretch, p - stretch);
            out += p - stretch;
            if (p >= m_end)
                break;
            if (*p == '\r' || *p == '\n') {
                out = lineBreak(p, out);
            } else {
                out = putReplacement(out);
                ++p;
            }
        }
        return out;
    }

    Byte* encodeWithTable(Byte* out)
    {
        const EncodeTable& table = encodeTable(m_form);
        const Byte* p = m_p;
        while (p < m_end) {
            if (m_end - p >= 8) {
                const std::uint64_t word = loadWord(p);
                const std::uint64_t special = specialBytes(word);
                std::memcpy(out, p, 8);
                if (!special) {
                    p += 8;
                    out += 8;
                    continue;
                }
                const int plain = firstFlaggedByte(special);
                p += plain;
                out += plain;
            }
            const Byte b = *p;
            if (b < 0x80) {
                if (b == '\r' || b == '\n') {
                    out = lineBreak(p, out);
                } else {
                    *out++ = b;
                    ++p;
                }
                continue;
            }
            const int length = wellFormedSequenceLength(p, m_end);
            if (length == 2 || length == 3) {
                *out++ = table[wellFormedCodePoint(p, length)];
                p += length;
            } else {
                // Outside the BMP, or a malformed byte standing for U+FFFD: neither has a fit.
                *out++ = '?';
                p += length ? length : 1;
            }
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

} // namespace

void decodeDocument(QByteArrayView fileBytes, int encodingIndex,
                    const std::function<void(QByteArrayView)>& sink, qsizetype chunkBytes)
{
    FileDecoder decoder(fileBytes, encodingIndex);
    chunkBytes = std::max<qsizetype>(chunkBytes, 1);
    QByteArray buffer(std::min(chunkBytes, decoder.remaining()) * WorstExpansion + Slack,
                      Qt::Uninitialized);
    while (!decoder.atEnd()) {
        Byte* const begin = bytesOf(buffer);
        const Byte* const end = decoder.decode(chunkBytes, begin);
        if (end > begin)
            sink(QByteArrayView(begin, end - begin));
    }
}

QByteArray decodeDocument(QByteArrayView fileBytes, int encodingIndex)
{
    FileDecoder decoder(fileBytes, encodingIndex);
    if (decoder.atEnd())
        return {};
    // The worst-case size is only reserved address space; pages never written stay untouched,
    // and squeeze() hands them back.
    QByteArray text(decoder.remaining() * WorstExpansion + Slack, Qt::Uninitialized);
    Byte* const begin = bytesOf(text);
    text.truncate(decoder.decode(decoder.remaining(), begin) - begin);
    text.squeeze();
    return text;
}

QByteArray encodeDocument(QByteArrayView editorText, SaveForm form, LineBreak lineBreak)
{
    if (editorText.isEmpty())
        return {};
    QByteArray file(editorText.size() * WorstExpansion + Slack, Qt::Uninitialized);
    TextEncoder encoder(editorText, form, lineBreak);
    Byte* const begin = bytesOf(file);
    file.truncate(encoder.encode(begin) - begin);
    file.squeeze();
    return file;
}
