#include "encoding/Unrepresentable.h"

#include "encoding/CodePageTables.h"
#include "encoding/Utf8Scan.h"

#include <QChar>

#include <array>
#include <charconv>
#include <memory>

using namespace Utf8Scan;

namespace {

using RepresentableTable = std::array<bool, 0x10000>;

// Whether each BMP character is written in `form` as bytes that read back as itself. Writing
// windows-1250 applies isoToCp1250Map() to the bytes, and an undeclared file is read through it, so
// both turn the six bytes of ISO-8859-2's Polish letters ("±" and the like) into letters.
const RepresentableTable& representable(SaveForm form)
{
    static const auto tables = [] {
        auto t = std::make_unique<std::array<RepresentableTable, 2>>();
        const auto& toCp1250 = CodePageTables::unicodeToCp1250();
        const auto& cp1250 = CodePageTables::cp1250ToUnicode();
        const auto& cp1250ToIso = CodePageTables::cp1250ToIsoMap();
        const auto& isoToCp1250 = CodePageTables::isoToCp1250Map();
        for (std::size_t c = 0; c < toCp1250.size(); ++c) {
            const unsigned char b = toCp1250[c];
            (*t)[0][c] = CodePageTables::isoToUnicode()[cp1250ToIso[b]] == c;
            (*t)[1][c] = cp1250[isoToCp1250[b]] == c;
        }
        return t;
    }();
    return (*tables)[form == SaveForm::Iso88592 ? 0 : 1];
}

bool holds(const RepresentableTable& table, char32_t c)
{
    return c < table.size() && table[c];
}

struct StandIn {
    char32_t character;
    const char* text;
};

// Look-alikes of marks that have no Unicode decomposition to fall back on.
constexpr StandIn StandIns[] = {
    {0x00A6, "|"},  {0x00A9, "(C)"}, {0x00AB, "\""},  {0x00AE, "(R)"}, {0x00B1, "+/-"},
    {0x00B7, "."},  {0x00BB, "\""},  {0x2010, "-"},   {0x2011, "-"},   {0x2012, "-"},
    {0x2013, "-"},  {0x2014, "-"},   {0x2015, "-"},   {0x2018, "'"},   {0x2019, "'"},
    {0x201A, "'"},  {0x201B, "'"},   {0x201C, "\""},  {0x201D, "\""},  {0x201E, "\""},
    {0x201F, "\""}, {0x2022, "*"},   {0x2032, "'"},   {0x2033, "\""},  {0x2039, "'"},
    {0x203A, "'"},  {0x2044, "/"},   {0x20AC, "EUR"}, {0x2212, "-"},
};

// A look-alike of `c` made of characters the table holds, or "?".
QString similarCharacter(char32_t c, const RepresentableTable& table)
{
    if (holds(table, c))
        return QString::fromUcs4(&c, 1);
    for (const StandIn& standIn : StandIns)
        if (standIn.character == c)
            return QString::fromUtf8(standIn.text);
    // "ñ" is "n" and a tilde, "…" three full stops, "™" the letters TM: the marks are dropped
    // and the rest made similar in turn.
    QString similar;
    const QString parts = QChar::decomposition(c);
    for (const char32_t part : parts.toUcs4())
        if (!QChar::isMark(part))
            similar += similarCharacter(part, table);
    return similar.isEmpty() ? QStringLiteral("?") : similar;
}

// Calls found(offset, length, character) for each character of the text that `form` does not
// hold, in order; malformed bytes are U+FFFD, one for each maximal subpart as the writers read
// them.
template <typename Found> void scanUnrepresentable(QByteArrayView text, SaveForm form, Found found)
{
    if (form == SaveForm::Utf8)
        return;
    const RepresentableTable& table = representable(form);
    const Byte* const begin = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = begin + text.size();
    const Byte* p = begin;
    while (p < end) {
        p = skipAscii(p, end);
        if (p == end)
            break;
        const int length = wellFormedSequenceLength(p, end);
        if (!length) {
            const int malformed = malformedSequenceLength(p, end);
            found(p - begin, malformed, char32_t(QChar::ReplacementCharacter));
            p += malformed;
            continue;
        }
        const char32_t c = wellFormedCodePoint(p, length);
        if (length == 4 || !table[c])
            found(p - begin, length, c);
        p += length;
    }
}

QString characterCount(qsizetype count)
{
    const qsizetype ones = count % 10;
    const qsizetype tens = count % 100;
    if (count == 1)
        return QStringLiteral("1 znak, którego");
    if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14))
        return QStringLiteral("%1 znaki, których").arg(count);
    return QStringLiteral("%1 znaków, których").arg(count);
}

QString shownCharacter(char32_t c)
{
    const QString code = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    if (!QChar::isPrint(c) || c == QChar::ReplacementCharacter)
        return code;
    return QStringLiteral("„%1” (%2)").arg(QString::fromUcs4(&c, 1), code);
}

QString formName(Encoding encoding)
{
    if (encoding == EncodingIso88592 || encoding == EncodingCp1250)
        return encoding.name();
    return QStringLiteral("Nieznany, zapisywany jak CP-1250");
}

} // namespace

UnrepresentableReport findUnrepresentable(QByteArrayView editorText, Encoding encoding, int listed)
{
    const SaveForm form = encoding.saveForm();
    UnrepresentableReport report;
    QList<qsizetype> offsets;
    scanUnrepresentable(editorText, form, [&](qsizetype offset, int, char32_t c) {
        if (report.count++ < listed) {
            offsets << offset;
            report.first.append({c, 0, 0});
        }
    });
    // Lines and columns of the listed ones, in one pass over the text before the last.
    qsizetype line = 1;
    qsizetype column = 1;
    qsizetype at = 0;
    for (qsizetype i = 0; i < offsets.size(); ++i) {
        for (; at < offsets[i]; ++at) {
            const char b = editorText[at];
            if (b == '\n' ||
                (b == '\r' && (at + 1 == editorText.size() || editorText[at + 1] != '\n'))) {
                ++line;
                column = 1;
            } else if (b != '\r' && !isContinuation(Byte(b))) {
                ++column;
            }
        }
        report.first[i].line = line;
        report.first[i].column = column;
    }
    return report;
}

QByteArray withCharacterReferences(QByteArrayView editorText, Encoding encoding)
{
    const SaveForm form = encoding.saveForm();
    QByteArray result;
    result.reserve(editorText.size() + editorText.size() / 16 + 64);
    qsizetype copied = 0;
    scanUnrepresentable(editorText, form, [&](qsizetype offset, int length, char32_t c) {
        char reference[16] = {'&', '#'};
        char* const end = std::to_chars(reference + 2, reference + 14, std::uint32_t(c)).ptr;
        *end = ';';
        result.append(editorText.sliced(copied, offset - copied));
        result.append(reference, end + 1 - reference);
        copied = offset + length;
    });
    if (copied == 0)
        return editorText.toByteArray();
    result.append(editorText.sliced(copied));
    return result;
}

QByteArray withSimilarCharacters(QByteArrayView editorText, Encoding encoding)
{
    const SaveForm form = encoding.saveForm();
    if (form == SaveForm::Utf8)
        return editorText.toByteArray();
    const RepresentableTable& table = representable(form);
    QByteArray result;
    result.reserve(editorText.size());
    qsizetype copied = 0;
    scanUnrepresentable(editorText, form, [&](qsizetype offset, int length, char32_t c) {
        result.append(editorText.sliced(copied, offset - copied));
        result.append(similarCharacter(c, table).toUtf8());
        copied = offset + length;
    });
    result.append(editorText.sliced(copied));
    return result;
}

QString unrepresentableQuestion(const QString& documentCaption, Encoding encoding,
                                const UnrepresentableReport& report)
{
    QString text = QStringLiteral("Dokument \"%1\" zawiera %2 nie obejmuje kodowanie, w jakim "
                                  "zostanie zapisany (%3):")
                       .arg(documentCaption, characterCount(report.count), formName(encoding));
    for (const UnrepresentableCharacter& found : report.first)
        text += QStringLiteral("\r    %1:%2  %3")
                    .arg(found.line)
                    .arg(found.column)
                    .arg(shownCharacter(found.character));
    if (report.count > report.first.size())
        text += QStringLiteral("\r    …i jeszcze %1").arg(report.count - report.first.size());
    text += QStringLiteral(
        "\r\rOdwołania HTML: zapisze je jako &#8594; itp.; przeglądarka pokaże te same znaki."
        "\rZamień: zapisze w ich miejscu podobne litery lub „?”; tych znaków nie da się potem "
        "odzyskać.\rAnuluj: niczego nie zapisze.");
    return text;
}
