#include "search/TextSearch.h"

#include <QChar>
#include <QList>

#include <algorithm>
#include <cstring>

namespace {

using Byte = unsigned char;

// Bytes of the Horspool window that decide how far a search may skip.
constexpr qsizetype ShiftWindow = 256;

bool isContinuationByte(Byte b)
{
    return (b & 0xC0) == 0x80;
}

// The character starting at `at` and its length in bytes; a malformed byte counts as one
// character of its own that matches nothing but itself.
char32_t decodeAt(QByteArrayView text, qsizetype at, int* length)
{
    const Byte lead = Byte(text[at]);
    *length = 1;
    if (lead < 0x80)
        return lead;
    const int count = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (count == 1 || at + count > text.size())
        return 0xDC00 + lead;
    char32_t c = lead & (0x7F >> count);
    for (int i = 1; i < count; ++i) {
        const Byte next = Byte(text[at + i]);
        if (!isContinuationByte(next))
            return 0xDC00 + lead;
        c = (c << 6) | (next & 0x3F);
    }
    *length = count;
    return c;
}

// Where the character that ends at `at` starts.
qsizetype previousStart(QByteArrayView text, qsizetype at)
{
    qsizetype start = at - 1;
    while (start > 0 && at - start < 4 && isContinuationByte(Byte(text[start])))
        --start;
    int length = 0;
    decodeAt(text, start, &length);
    return start + length == at ? start : at - 1;
}

bool wordCharacterBefore(QByteArrayView text, qsizetype at)
{
    if (at <= 0)
        return false;
    int length = 0;
    return isWordCharacter(decodeAt(text, previousStart(text, at), &length));
}

bool wordCharacterAt(QByteArrayView text, qsizetype at)
{
    if (at >= text.size())
        return false;
    int length = 0;
    return isWordCharacter(decodeAt(text, at, &length));
}

bool isWholeWord(QByteArrayView text, qsizetype start, qsizetype length)
{
    return !wordCharacterBefore(text, start) && !wordCharacterAt(text, start + length);
}

QByteArray utf8Of(char32_t c)
{
    return QString::fromUcs4(&c, 1).toUtf8();
}

} // namespace

bool isWordCharacter(char32_t c)
{
    return c == U'_' || QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

std::pair<qsizetype, qsizetype> wordRangeAt(QByteArrayView text, qsizetype position)
{
    position = std::clamp<qsizetype>(position, 0, text.size());
    qsizetype start = position;
    while (wordCharacterBefore(text, start))
        start = previousStart(text, start);
    qsizetype end = position;
    int length = 0;
    while (end < text.size() && isWordCharacter(decodeAt(text, end, &length)))
        end += length;
    return {start, end};
}

TextPattern::TextPattern(const QString& text, bool matchCase) : m_matchCase(matchCase)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_bytes = normalized.toUtf8();
    if (m_bytes.isEmpty())
        return;

    if (matchCase) {
        for (const char b : std::as_const(m_bytes))
            m_allowed.push_back({Byte(b), Byte(b), Byte(b), Byte(b)});
    } else {
        for (const char32_t c : normalized.toUcs4()) {
            m_folded.push_back(QChar::toCaseFolded(c));
            const QByteArray own = utf8Of(c);
            std::vector<QByteArray> forms{own};
            for (const char32_t form : {QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c),
                                        QChar::toCaseFolded(c)}) {
                const QByteArray bytes = utf8Of(form);
                if (std::find(forms.begin(), forms.end(), bytes) == forms.end())
                    forms.push_back(bytes);
            }
            for (qsizetype k = 0; k < own.size(); ++k) {
                ByteSet set;
                set.fill(Byte(own[k]));
                int distinct = 1;
                for (const QByteArray& form : forms) {
                    if (form.size() != own.size()) {
                        m_fixedLength = false;
                        continue;
                    }
                    const Byte b = Byte(form[k]);
                    if (std::find(set.begin(), set.begin() + distinct, b) != set.begin() + distinct)
                        continue;
                    if (distinct == int(set.size()))
                        m_fixedLength = false;
                    else
                        set[distinct++] = b;
                }
                std::fill(set.begin() + distinct, set.end(), set[0]);
                m_allowed.push_back(set);
            }
        }
    }

    // Horspool's skips, from the last bytes of the pattern (forwards) or its first (backwards).
    const qsizetype m = m_bytes.size();
    const qsizetype window = std::min(m, ShiftWindow);
    m_forwardShift.fill(window);
    m_backwardShift.fill(window);
    for (qsizetype j = m - window; j < m - 1; ++j)
        for (const Byte b : m_allowed[j])
            m_forwardShift[b] = m - 1 - j;
    for (qsizetype j = window - 1; j >= 1; --j)
        for (const Byte b : m_allowed[j])
            m_backwardShift[b] = j;
    for (const Byte b : m_allowed[m - 1])
        m_lastAllowed[b] = true;
    for (const Byte b : m_allowed[0])
        m_firstAllowed[b] = true;
}

qsizetype TextPattern::matchLengthAt(QByteArrayView text, qsizetype at, qsizetype to) const
{
    const qsizetype m = m_bytes.size();
    if (m_matchCase)
        return at + m <= to && std::memcmp(text.data() + at, m_bytes.constData(), m) == 0 ? m : -1;
    if (m_fixedLength) {
        if (at + m > to)
            return -1;
        for (qsizetype j = 0; j < m; ++j) {
            const ByteSet& set = m_allowed[j];
            const Byte b = Byte(text[at + j]);
            if (b != set[0] && b != set[1] && b != set[2] && b != set[3])
                return -1;
        }
    }
    // Letter case is compared by characters: the bytes above only admit candidates.
    qsizetype position = at;
    for (const char32_t folded : m_folded) {
        if (position >= to)
            return -1;
        int length = 0;
        if (QChar::toCaseFolded(decodeAt(text, position, &length)) != folded)
            return -1;
        position += length;
    }
    return position <= to ? position - at : -1;
}

TextMatch TextPattern::find(QByteArrayView text, qsizetype from, qsizetype to, bool backwards,
                            bool wholeWord) const
{
    from = std::clamp<qsizetype>(from, 0, text.size());
    to = std::clamp<qsizetype>(to, from, text.size());
    if (isEmpty())
        return {};
    return m_matchCase || m_fixedLength ? findFixed(text, from, to, backwards, wholeWord)
                                        : findScanning(text, from, to, backwards, wholeWord);
}

TextMatch TextPattern::findFixed(QByteArrayView text, qsizetype from, qsizetype to, bool backwards,
                                 bool wholeWord) const
{
    const qsizetype m = m_bytes.size();
    const auto* bytes = reinterpret_cast<const Byte*>(text.data());
    const auto accept = [&](qsizetype at) {
        return matchLengthAt(text, at, to) == m && (!wholeWord || isWholeWord(text, at, m));
    };
    if (m_matchCase && !backwards) {
        // The C library's search is the fastest way through a text of one letter case.
        for (qsizetype at = from; at + m <= to;) {
            const void* hit = memmem(bytes + at, to - at, m_bytes.constData(), m);
            if (!hit)
                break;
            at = static_cast<const Byte*>(hit) - bytes;
            if (!wholeWord || isWholeWord(text, at, m))
                return {at, m};
            ++at;
        }
    } else if (!backwards) {
        for (qsizetype at = from; at + m <= to;) {
            const Byte last = bytes[at + m - 1];
            if (m_lastAllowed[last] && accept(at))
                return {at, m};
            at += m_forwardShift[last];
        }
    } else {
        for (qsizetype at = to - m; at >= from;) {
            const Byte first = bytes[at];
            if (m_firstAllowed[first] && accept(at))
                return {at, m};
            at -= m_backwardShift[first];
        }
    }
    return {};
}

TextMatch TextPattern::findScanning(QByteArrayView text, qsizetype from, qsizetype to,
                                    bool backwards, bool wholeWord) const
{
    const auto tryAt = [&](qsizetype at) -> TextMatch {
        if (isContinuationByte(Byte(text[at])))
            return {};
        const qsizetype length = matchLengthAt(text, at, to);
        if (length > 0 && (!wholeWord || isWholeWord(text, at, length)))
            return {at, length};
        return {};
    };
    if (!backwards) {
        for (qsizetype at = from; at < to; ++at)
            if (const TextMatch match = tryAt(at); match.found())
                return match;
    } else {
        for (qsizetype at = to - 1; at >= from; --at)
            if (const TextMatch match = tryAt(at); match.found())
                return match;
    }
    return {};
}
