#include "search/RegexSearch.h"

#include "common/CommandError.h"

#include <QHash>

#include <algorithm>

namespace {

// The messages of the expression library the program translates; others are shown as given.
const QHash<QString, QString>& translations()
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("missing closing parenthesis"),
         QStringLiteral("brak nawiasu zamykającego")},
        {QStringLiteral("unmatched closing parenthesis"),
         QStringLiteral("nawias zamykający bez otwierającego")},
        {QStringLiteral("missing terminating ] for character class"),
         QStringLiteral("brak znaku ] zamykającego klasę znaków")},
        {QStringLiteral("quantifier does not follow a repeatable item"),
         QStringLiteral("powtórzenie nie ma czego powtarzać")},
        {QStringLiteral("\\ at end of pattern"), QStringLiteral("znak \\ na końcu wyrażenia")},
        {QStringLiteral("reference to non-existent subpattern"),
         QStringLiteral("odwołanie do nieistniejącej grupy")},
        {QStringLiteral("range out of order in character class"),
         QStringLiteral("zakres w klasie znaków ma odwrócone końce")},
        {QStringLiteral("numbers out of order in {} quantifier"),
         QStringLiteral("liczby w powtórzeniu {} mają odwróconą kolejność")},
        {QStringLiteral("unrecognized character follows \\"),
         QStringLiteral("nieznany znak po \\")},
        {QStringLiteral("lookbehind assertion is not fixed length"),
         QStringLiteral("warunek wstecz nie ma stałej długości")},
    };
    return table;
}

bool isTrailByte(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at `at`, or 0; `decoded` receives its character.
int sequenceLength(QByteArrayView bytes, qsizetype at, char32_t* decoded = nullptr)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        if (decoded)
            *decoded = lead;
        return 1;
    }
    int count = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 2;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 3;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (at + count > bytes.size())
        return 0;
    char32_t c = lead & (0x7F >> count);
    for (int i = 1; i < count; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if (!isTrailByte(next))
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    if (decoded)
        *decoded = c;
    return count;
}

// Appends well-formed UTF-8.
void appendWellFormed(QString& text, QByteArrayView utf8)
{
    // QString::fromUtf8() would drop a byte order mark at the start.
    const QByteArrayView byteOrderMark("\xEF\xBB\xBF");
    for (; utf8.startsWith(byteOrderMark); utf8 = utf8.sliced(byteOrderMark.size()))
        text += QChar(0xFEFF);
    if (text.isEmpty())
        text = QString::fromUtf8(utf8);
    else
        text += QString::fromUtf8(utf8);
}

QChar* putCharacter(QChar* out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        *out++ = QChar(QChar::highSurrogate(c));
        *out++ = QChar(QChar::lowSurrogate(c));
    } else {
        *out++ = QChar(char16_t(c));
    }
    return out;
}

QRegularExpressionMatch checked(QRegularExpressionMatch match)
{
    if (!match.isValid())
        throw CommandError(regexRunawayMessage());
    return match;
}

} // namespace

RegexPattern::RegexPattern(const QString& text, bool matchCase, bool wholeWord)
    : m_wholeWord(wholeWord)
{
    QString pattern = text;
    pattern.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (wholeWord)
        pattern = QStringLiteral("\\b(?:") + pattern + QStringLiteral(")\\b");
    QRegularExpression::PatternOptions options =
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::MultilineOption;
    if (!matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    m_expression.setPatternOptions(options);
    m_expression.setPattern(pattern);
    if (m_expression.isValid())
        m_expression.optimize();
}

QString RegexPattern::errorMessage() const
{
    // The position in the text as typed, not in the word-boundary wrapping.
    qsizetype offset = m_expression.patternErrorOffset();
    if (m_wholeWord)
        offset = qBound<qsizetype>(0, offset - 5, m_expression.pattern().size() - 8);
    const QString reason = m_expression.errorString();
    return QStringLiteral("Błąd w wyrażeniu regularnym na pozycji %1: %2.")
        .arg(offset + 1)
        .arg(translations().value(reason, reason));
}

QRegularExpressionMatch RegexPattern::find(QStringView text, qsizetype from, qsizetype to,
                                           bool allowEmpty) const
{
    for (qsizetype at = from; at <= to;) {
        QRegularExpressionMatch match =
            checked(m_expression.match(text, at, QRegularExpression::NormalMatch,
                                       QRegularExpression::DontCheckSubjectStringMatchOption));
        if (!match.hasMatch() || match.capturedEnd() > to)
            return {};
        if (allowEmpty || match.capturedLength() > 0)
            return match;
        at = match.capturedStart() +
             (at < text.size() && text[match.capturedStart()].isHighSurrogate() ? 2 : 1);
    }
    return {};
}

QRegularExpressionMatch RegexPattern::findLast(QStringView text, qsizetype from, qsizetype to,
                                               bool allowEmpty) const
{
    QRegularExpressionMatch last;
    for (qsizetype at = from; at <= to;) {
        QRegularExpressionMatch match = find(text, at, to, allowEmpty);
        if (!match.hasMatch())
            break;
        at = match.capturedEnd();
        if (match.capturedLength() == 0)
            at += at < text.size() && text[at].isHighSurrogate() ? 2 : 1;
        last = std::move(match);
    }
    return last;
}

std::vector<QRegularExpressionMatch> RegexPattern::findAll(QStringView text, qsizetype from,
                                                           qsizetype to) const
{
    // Matched one by one rather than with a global match, which ends quietly on a failure.
    std::vector<QRegularExpressionMatch> matches;
    for (qsizetype at = from; at <= to;) {
        QRegularExpressionMatch match =
            checked(m_expression.match(text, at, QRegularExpression::NormalMatch,
                                       QRegularExpression::DontCheckSubjectStringMatchOption));
        if (!match.hasMatch() || match.capturedEnd() > to)
            break;
        at = match.capturedEnd();
        if (match.capturedLength() == 0)
            at += at < text.size() && QChar::isHighSurrogate(text[at].unicode()) ? 2 : 1;
        matches.push_back(std::move(match));
    }
    return matches;
}

RegexPattern::Utf8Match RegexPattern::findForward(QByteArrayView utf8, qsizetype from, qsizetype to,
                                                  bool allowEmpty, qsizetype window) const
{
    constexpr qsizetype LookBehindBytes = 256;
    const auto boundary = [&](qsizetype at) {
        while (at > 0 && at < utf8.size() && isTrailByte(static_cast<unsigned char>(utf8[at])))
            --at;
        return at;
    };
    qsizetype size = qMax<qsizetype>(window, 16);
    for (qsizetype at = from; at <= to;) {
        const qsizetype context = boundary(qMax<qsizetype>(0, at - LookBehindBytes));
        qsizetype end = qMin(utf8.size(), at + size);
        if (end < utf8.size())
            end = qMax(boundary(end), at + 1);
        const bool whole = end >= utf8.size();
        // The window's text lives in the match, which keeps its own copy of the string.
        const RegexText text(utf8.sliced(context, end - context));
        const QString subject = text.text();
        qsizetype start16 = text.utf16Offset(at - context);
        bool needsMore = false;
        while (start16 <= subject.size()) {
            QRegularExpressionMatch match =
                checked(m_expression.match(subject, start16,
                                           whole ? QRegularExpression::NormalMatch
                                                 : QRegularExpression::PartialPreferFirstMatch,
                                           QRegularExpression::DontCheckSubjectStringMatchOption));
            if (match.hasPartialMatch()) {
                // Begin the next window where this match began, and make it larger.
                at = context + text.byteOffset(match.capturedStart());
                size *= 4;
                needsMore = true;
                break;
            }
            if (!match.hasMatch())
                break;
            const qsizetype startByte = context + text.byteOffset(match.capturedStart());
            const qsizetype endByte = context + text.byteOffset(match.capturedEnd());
            if (endByte > to || startByte > to)
                return {};
            if (allowEmpty || match.capturedLength() > 0)
                return {startByte, endByte, std::move(match)};
            start16 = match.capturedStart() +
                      (subject.at(match.capturedStart()).isHighSurrogate() ? 2 : 1);
        }
        if (whole)
            return {};
        if (!needsMore)
            at = end;
    }
    return {};
}

QString expandReplacement(const QString& replacement, const QRegularExpressionMatch& match)
{
    QString result;
    result.reserve(replacement.size());
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        if (c != QLatin1Char('\\') || i + 1 == replacement.size()) {
            result += c;
            continue;
        }
        const QChar next = replacement[i + 1];
        if (next.isDigit() && next.unicode() < 0x80) {
            const int group = next.unicode() - '0';
            if (group <= match.lastCapturedIndex())
                result += match.capturedView(group);
        } else if (next == QLatin1Char('\\')) {
            result += QLatin1Char('\\');
        } else if (next == QLatin1Char('n')) {
            result += QLatin1Char('\n');
        } else if (next == QLatin1Char('t')) {
            result += QLatin1Char('\t');
        } else {
            result += c;
            result += next;
        }
        ++i;
    }
    return result;
}

QString regexRunawayMessage()
{
    return QStringLiteral("Wyrażenie regularne wymaga zbyt wielu prób dopasowania i przerwano "
                          "szukanie.\rUprość je (np. unikaj zagnieżdżonych powtórzeń, jak (a*)*).");
}

void appendRegexText(QString& text, QByteArrayView utf8)
{
    if (utf8.isValidUtf8()) {
        appendWellFormed(text, utf8);
        return;
    }
    // A sequence of n bytes is at most n units.
    const qsizetype held = text.size();
    text.resize(held + utf8.size());
    QChar* out = text.data() + held;
    for (qsizetype at = 0; at < utf8.size();) {
        char32_t c = QChar::ReplacementCharacter;
        const int length = sequenceLength(utf8, at, &c);
        out = putCharacter(out, c);
        at += std::max(length, 1);
    }
    text.truncate(out - text.constData());
}

RegexText::RegexText(QByteArrayView utf8) : m_bytes(utf8)
{
    if (utf8.isValidUtf8()) {
        appendWellFormed(m_text, utf8);
        return;
    }
    m_text.resize(utf8.size());
    QChar* const begin = m_text.data();
    QChar* out = begin;
    for (qsizetype at = 0; at < utf8.size();) {
        char32_t c = QChar::ReplacementCharacter;
        const int length = sequenceLength(utf8, at, &c);
        if (length == 0)
            m_malformed.push_back({out - begin, at});
        out = putCharacter(out, c);
        at += std::max(length, 1);
    }
    m_text.truncate(out - begin);
}

qsizetype RegexText::byteOffset(qsizetype utf16Offset) const
{
    // Each unit below U+0080 is one byte, below U+0800 two, a surrogate two (four for the pair),
    // any other three; a malformed byte's U+FFFD one.
    const qsizetype end = std::clamp<qsizetype>(utf16Offset, 0, m_text.size());
    if (end < m_lastUnits)
        m_lastUnits = m_lastBytes = 0;
    qsizetype bytes = m_lastBytes;
    qsizetype from = m_lastUnits;
    const auto malformed = std::partition_point(m_malformed.begin(), m_malformed.end(),
                                                [&](const Place& place) { return place.unit < end; });
    if (malformed != m_malformed.begin() && malformed[-1].unit >= from) {
        from = malformed[-1].unit + 1;
        bytes = malformed[-1].byte + 1;
    }
    const auto* units = reinterpret_cast<const char16_t*>(m_text.utf16());
    for (qsizetype i = from; i < end; ++i) {
        const char16_t u = units[i];
        bytes += u < 0x80 ? 1 : u < 0x800 ? 2 : (u >= 0xD800 && u <= 0xDFFF) ? 2 : 3;
    }
    m_lastUnits = end;
    m_lastBytes = bytes;
    return bytes;
}

qsizetype RegexText::utf16Offset(qsizetype byteOffset) const
{
    byteOffset = std::clamp<qsizetype>(byteOffset, 0, m_bytes.size());
    if (byteOffset < m_lastBytes)
        m_lastUnits = m_lastBytes = 0;
    qsizetype units = m_lastUnits;
    qsizetype from = m_lastBytes;
    const auto malformed =
        std::partition_point(m_malformed.begin(), m_malformed.end(),
                             [&](const Place& place) { return place.byte < byteOffset; });
    if (malformed != m_malformed.begin() && malformed[-1].byte >= from) {
        from = malformed[-1].byte + 1;
        units = malformed[-1].unit + 1;
    }
    for (qsizetype at = from; at < byteOffset; ++at) {
        const auto b = static_cast<unsigned char>(m_bytes[at]);
        if (isTrailByte(b))
            continue;
        units += b >= 0xF0 ? 2 : 1;
    }
    m_lastUnits = units;
    m_lastBytes = byteOffset;
    return units;
}
