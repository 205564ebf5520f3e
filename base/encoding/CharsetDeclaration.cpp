#include "encoding/CharsetDeclaration.h"

#include "encoding/CharsetDetection.h"

namespace {

constexpr QByteArrayView Keyword = "charset";

bool isFiller(char c)
{
    return c == ' ' || c == '\t' || c == '=' || c == '"' || c == '\'';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isCharsetValueByte(char c)
{
    return isLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

// Whether the bytes at `at` spell the keyword in any mix of case (A-Z only).
bool keywordAt(QByteArrayView line, qsizetype at)
{
    if (line.size() - at < Keyword.size())
        return false;
    for (qsizetype i = 0; i < Keyword.size(); ++i) {
        if ((line[at + i] | 0x20) != Keyword[i])
            return false;
    }
    return true;
}

bool recognisedByDetection(QByteArrayView value)
{
    QByteArray declaration = "charset=" + value.toByteArray().toLower();
    return !ClassifyCharsetLine(declaration).isEmpty();
}

} // namespace

QByteArray metaLine(Encoding encoding)
{
    const QByteArray value = encoding.charsetValue();
    if (value.isEmpty())
        return {};
    return "<meta http-equiv=content-type content=\"text/html; charset=" + value + "\" >";
}

std::optional<QByteArray> rewriteDeclaration(QByteArrayView line, Encoding encoding)
{
    const QByteArray target = encoding.charsetValue();
    if (target.isEmpty())
        return std::nullopt;
    QByteArray rewritten;
    qsizetype copied = 0;
    for (qsizetype at = 0; at < line.size(); ++at) {
        if ((line[at] | 0x20) != 'c' || !keywordAt(line, at))
            continue;
        qsizetype value = at + Keyword.size();
        bool assigned = false;
        while (value < line.size() && isFiller(line[value])) {
            assigned = assigned || (line[value] != ' ' && line[value] != '\t');
            ++value;
        }
        if (value == at + Keyword.size() || value == line.size() || !isLetter(line[value]))
            continue;
        qsizetype valueEnd = value;
        while (valueEnd < line.size() && isCharsetValueByte(line[valueEnd]))
            ++valueEnd;
        if (!assigned && !recognisedByDetection(line.sliced(value, valueEnd - value)))
            continue;
        rewritten += line.sliced(copied, value - copied);
        rewritten += target;
        copied = valueEnd;
        at = valueEnd - 1;
    }
    if (copied == 0)
        return std::nullopt;
    rewritten += line.sliced(copied);
    return rewritten;
}

std::optional<TextEdit> declarationEdit(QByteArrayView text, Encoding encoding,
                                        bool insertWhenUndeclared, LineBreak lineBreak)
{
    const QByteArray meta = metaLine(encoding);
    if (meta.isEmpty())
        return std::nullopt;
    const QByteArray breakBytes = lineBreakBytes(lineBreak).toByteArray();
    const CharsetLine found = findCharsetLine(text);
    if (found.index >= 0) {
        const QByteArrayView line = text.sliced(found.start, found.end - found.start);
        if (const std::optional<QByteArray> rewritten = rewriteDeclaration(line, encoding)) {
            if (*rewritten == line)
                return std::nullopt;
            return TextEdit{found.start, line.size(), *rewritten};
        }
        return TextEdit{found.start, 0, meta + breakBytes};
    }
    if (!insertWhenUndeclared)
        return std::nullopt;
    // The start of the fourth line, if there is one.
    qsizetype breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char b = text[i];
        if (b != '\r' && b != '\n')
            continue;
        if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        if (++breaks == 3)
            return TextEdit{i + 1, 0, meta + breakBytes};
    }
    return TextEdit{text.size(), 0, text.isEmpty() ? meta : breakBytes + meta};
}

QByteArray applyTextEdit(QByteArrayView text, const TextEdit& edit)
{
    QByteArray result;
    result.reserve(text.size() - edit.removed + edit.inserted.size());
    result += text.first(edit.position);
    result += edit.inserted;
    result += text.sliced(edit.position + edit.removed);
    return result;
}
