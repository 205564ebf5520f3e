#include "spelling/SpellText.h"

#include <algorithm>
#include <vector>

namespace {

struct NamedEntity {
    const char* name;
    char16_t character; // 0: a soft hyphen, which joins the parts of a word
};

// The entities a Polish page spells letters or punctuation with; the rest of HTML's list only
// separates words.
constexpr NamedEntity NamedEntities[] = {
    {"shy", 0},         {"nbsp", 0x00A0},   {"amp", '&'},       {"lt", '<'},
    {"gt", '>'},        {"quot", '"'},      {"apos", '\''},     {"ndash", 0x2013},
    {"mdash", 0x2014},  {"hellip", 0x2026}, {"laquo", 0x00AB},  {"raquo", 0x00BB},
    {"bdquo", 0x201E},  {"rdquo", 0x201D},  {"ldquo", 0x201C},  {"rsquo", 0x2019},
    {"lsquo", 0x2018},  {"oacute", 0x00F3}, {"Oacute", 0x00D3}, {"aogon", 0x0105},
    {"Aogon", 0x0104},  {"cacute", 0x0107}, {"Cacute", 0x0106}, {"eogon", 0x0119},
    {"Eogon", 0x0118},  {"lstrok", 0x0142}, {"Lstrok", 0x0141}, {"nacute", 0x0144},
    {"Nacute", 0x0143}, {"sacute", 0x015B}, {"Sacute", 0x015A}, {"zacute", 0x017A},
    {"Zacute", 0x0179}, {"zdot", 0x017C},   {"Zdot", 0x017B},   {"aacute", 0x00E1},
    {"Aacute", 0x00C1}, {"eacute", 0x00E9}, {"Eacute", 0x00C9}, {"iacute", 0x00ED},
    {"Iacute", 0x00CD}, {"uacute", 0x00FA}, {"Uacute", 0x00DA}, {"yacute", 0x00FD},
    {"auml", 0x00E4},   {"Auml", 0x00C4},   {"ouml", 0x00F6},   {"Ouml", 0x00D6},
    {"uuml", 0x00FC},   {"Uuml", 0x00DC},   {"szlig", 0x00DF},  {"ccedil", 0x00E7},
    {"Ccedil", 0x00C7}, {"egrave", 0x00E8}, {"agrave", 0x00E0}, {"ecirc", 0x00EA},
    {"copy", 0x00A9},   {"reg", 0x00AE},    {"deg", 0x00B0},    {"euro", 0x20AC},
    {"middot", 0x00B7}, {"bull", 0x2022},   {"times", 0x00D7},  {"sect", 0x00A7},
};

constexpr qsizetype MaxEntityLength = 12;

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
}

QByteArray lowered(QByteArrayView bytes)
{
    return bytes.toByteArray().toLower();
}

// One attribute of the tag being read: its name and the bytes of its value, quotes included.
struct TagAttribute {
    QByteArray name;
    qsizetype valueStart = -1;
    qsizetype valueEnd = -1;
};

QByteArrayView unquoted(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    if (!value.isEmpty() && (value.front() == '"' || value.front() == '\''))
        return value.sliced(1);
    return value;
}

// The byte ranges of `text` a reader reads, in order.
class ReadRanges {
public:
    ReadRanges(QByteArrayView text, QByteArrayView roles, const SpellScope& scope, bool insideStyle)
        : m_text(text), m_roles(roles), m_scope(scope), m_insideStyle(insideStyle)
    {
    }

    std::vector<std::pair<qsizetype, qsizetype>> collect()
    {
        const qsizetype size = std::min(m_text.size(), m_roles.size());
        for (qsizetype i = 0; i < size; ++i) {
            const auto role = TextRole(m_roles[i]);
            const char c = m_text[i];
            const bool continues = i > 0 && m_roles[i - 1] == m_roles[i];
            switch (role) {
            case TextRole::Text:
                if (!m_scope.markup || !m_insideStyle)
                    add(i);
                break;
            case TextRole::Comment:
                if (m_scope.comments)
                    add(i);
                break;
            case TextRole::Literal:
                if (m_scope.literals)
                    add(i);
                break;
            case TextRole::Tag:
                if (!m_scope.markup)
                    break;
                if (c == '<') {
                    finishTag();
                    m_tagName.clear();
                    m_closing = false;
                } else if (c == '/' && m_tagName.isEmpty()) {
                    m_closing = true;
                } else if (c == '>') {
                    finishTag();
                } else if (isAsciiAlnum(c) || c == '-' || c == ':') {
                    m_tagName.append(char(c | 0x20));
                }
                break;
            case TextRole::AttributeName:
                if (!m_scope.markup)
                    break;
                if (!continues)
                    m_attributes.push_back({});
                if (!m_attributes.empty())
                    m_attributes.back().name.append(char(isAsciiAlnum(c) ? c | 0x20 : c));
                break;
            case TextRole::AttributeValue:
                if (!m_scope.markup || m_attributes.empty())
                    break;
                if (TagAttribute& attribute = m_attributes.back(); attribute.valueStart < 0) {
                    attribute.valueStart = i;
                    attribute.valueEnd = i + 1;
                } else if (continues && attribute.valueEnd == i) {
                    attribute.valueEnd = i + 1;
                }
                break;
            case TextRole::Skip:
                break;
            }
        }
        finishTag();
        std::sort(m_ranges.begin(), m_ranges.end());
        return std::move(m_ranges);
    }

private:
    void add(qsizetype i)
    {
        if (!m_ranges.empty() && m_ranges.back().second == i)
            m_ranges.back().second = i + 1;
        else
            m_ranges.emplace_back(i, i + 1);
    }

    void finishTag()
    {
        if (m_tagName == "style")
            m_insideStyle = !m_closing;
        bool description = false;
        if (m_tagName == "meta")
            for (const TagAttribute& attribute : m_attributes)
                if (attribute.name == "name" && attribute.valueStart >= 0)
                    description =
                        lowered(unquoted(m_text.sliced(
                            attribute.valueStart, attribute.valueEnd - attribute.valueStart))) ==
                        "description";
        for (const TagAttribute& attribute : m_attributes) {
            if (attribute.valueStart < 0)
                continue;
            const bool read = attribute.name == "alt" || attribute.name == "title" ||
                              attribute.name == "placeholder" ||
                              (description && attribute.name == "content");
            if (read)
                m_ranges.emplace_back(attribute.valueStart, attribute.valueEnd);
        }
        m_attributes.clear();
        m_tagName.clear();
        m_closing = false;
    }

    QByteArrayView m_text;
    QByteArrayView m_roles;
    SpellScope m_scope;
    bool m_insideStyle;
    bool m_closing = false;
    QByteArray m_tagName;
    std::vector<TagAttribute> m_attributes;
    std::vector<std::pair<qsizetype, qsizetype>> m_ranges;
};

// The text a reader reads, each character with the bytes it came from.
struct ReaderText {
    QString text;
    std::vector<qsizetype> starts;
    std::vector<qsizetype> ends;

    void append(QChar character, qsizetype start, qsizetype end)
    {
        text.append(character);
        starts.push_back(start);
        ends.push_back(end);
    }
    void append(QStringView characters, qsizetype start, qsizetype end)
    {
        for (QChar character : characters)
            append(character, start, end);
    }
};

ReaderText readerText(QByteArrayView text,
                      const std::vector<std::pair<qsizetype, qsizetype>>& ranges, bool markup)
{
    ReaderText reader;
    qsizetype total = 0;
    for (auto [start, end] : ranges)
        total += end - start + 1;
    reader.text.reserve(total);
    reader.starts.reserve(size_t(total));
    reader.ends.reserve(size_t(total));
    qsizetype previousEnd = -1;
    for (auto [start, end] : ranges) {
        if (start != previousEnd)
            reader.append(u" ", start, start);
        previousEnd = end;
        qsizetype i = start;
        while (i < end) {
            const char c = text[i];
            if (markup && c == '&') {
                const qsizetype limit = std::min(end, i + MaxEntityLength + 2);
                qsizetype semicolon = i + 1;
                while (semicolon < limit && text[semicolon] != ';')
                    ++semicolon;
                if (semicolon < limit) {
                    const auto decoded = entityText(text.sliced(i + 1, semicolon - i - 1));
                    reader.append(decoded ? QStringView(*decoded) : u" ", i, semicolon + 1);
                    i = semicolon + 1;
                    continue;
                }
            }
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                reader.append(QChar(byte), i, i + 1);
                ++i;
                continue;
            }
            // UTF-8 decoded here: a QString made for each character would cost more than all else.
            const qsizetype length = std::min<qsizetype>(byte >= 0xF0   ? 4
                                                         : byte >= 0xE0 ? 3
                                                                        : 2,
                                                         end - i);
            char32_t code = byte & (byte >= 0xF0 ? 0x07 : byte >= 0xE0 ? 0x0F : 0x1F);
            for (qsizetype k = 1; k < length; ++k)
                code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            if (code >= 0x10000) {
                reader.append(QChar::highSurrogate(code), i, i + length);
                reader.append(QChar::lowSurrogate(code), i, i + length);
            } else {
                reader.append(QChar(char16_t(code)), i, i + length);
            }
            i += length;
        }
    }
    return reader;
}

bool isApostrophe(QChar c)
{
    return c == u'\'' || c == u'\u2019';
}

// Whether a token between spaces is an address, a file name or a path rather than words.
bool isAddressLike(QStringView token)
{
    if (token.contains(u"://") || token.contains(u'@') ||
        token.startsWith(u"www.", Qt::CaseInsensitive))
        return true;
    for (qsizetype i = 1; i + 1 < token.size(); ++i) {
        const QChar c = token[i];
        if ((c == u'.' || c == u'/' || c == u'\\' || c == u'_' || c == u'=') &&
            token[i - 1].isLetterOrNumber() && token[i + 1].isLetterOrNumber())
            return true;
    }
    return false;
}

bool isCheckedWord(QStringView word)
{
    if (word.size() > MaxCheckedWordLength)
        return false;
    bool lower = false;
    for (QChar c : word) {
        if (c.isLetter()) {
            if (c.script() != QChar::Script_Latin)
                return false;
            lower = lower || !c.isUpper();
        }
    }
    // Abbreviations and names in capitals (HTML, PHP, NATO) are not in dictionaries.
    return lower || word.size() == 1;
}

void splitToken(const ReaderText& reader, qsizetype from, qsizetype to, QList<SpellWord>& words)
{
    const QString& text = reader.text;
    qsizetype i = from;
    while (i < to) {
        if (!text[i].isLetter()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        bool digits = false;
        while (end < to) {
            const QChar c = text[end];
            if (c.isLetter() || c.isMark()) {
                ++end;
            } else if (isApostrophe(c) && end + 1 < to && text[end + 1].isLetter()) {
                ++end;
            } else if (c.isDigit()) {
                digits = true;
                ++end;
            } else {
                break;
            }
        }
        const bool digitBefore = i > from && text[i - 1].isDigit();
        const QStringView word = QStringView(text).sliced(i, end - i);
        if (!digits && !digitBefore && isCheckedWord(word))
            words.append({reader.starts[size_t(i)], reader.ends[size_t(end - 1)], word.toString()});
        i = end;
    }
}

} // namespace

std::optional<QString> entityText(QByteArrayView name)
{
    if (name.startsWith('#')) {
        bool ok = false;
        const QByteArrayView digits = name.sliced(1);
        const uint code = digits.startsWith('x') || digits.startsWith('X')
                              ? digits.sliced(1).toUInt(&ok, 16)
                              : digits.toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return std::nullopt;
        if (code == 0xAD)
            return QString();
        const char32_t character = code;
        return QString::fromUcs4(&character, 1);
    }
    for (const NamedEntity& entity : NamedEntities)
        if (name == entity.name)
            return entity.character ? QString(QChar(entity.character)) : QString();
    return std::nullopt;
}

QList<SpellWord> readerWords(QByteArrayView text, QByteArrayView roles, const SpellScope& scope,
                             bool insideStyle)
{
    const auto ranges = ReadRanges(text, roles, scope, insideStyle).collect();
    const ReaderText reader = readerText(text, ranges, scope.markup);
    QList<SpellWord> words;
    const QString& all = reader.text;
    qsizetype i = 0;
    while (i < all.size()) {
        if (all[i].isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < all.size() && !all[end].isSpace())
            ++end;
        if (!isAddressLike(QStringView(all).sliced(i, end - i)))
            splitToken(reader, i, end, words);
        i = end;
    }
    return words;
}

bool endsInsideStyle(QByteArrayView text, bool startsInside)
{
    // The last "<style" or "</style" tag, looked for without copying the text.
    for (qsizetype i = text.lastIndexOf('<'); i >= 0; i = i ? text.lastIndexOf('<', i - 1) : -1) {
        const bool closing = i + 1 < text.size() && text[i + 1] == '/';
        const qsizetype name = i + (closing ? 2 : 1);
        if (text.size() - name < 6 || lowered(text.sliced(name, 5)) != "style")
            continue;
        const char after = text[name + 5];
        if (after != '>' && after != ' ' && after != '\t' && after != '\n' && after != '\r')
            continue;
        // A tag not ended yet does not count.
        return !closing && text.indexOf('>', name) >= 0;
    }
    return startsInside;
}

QString pageLanguage(QByteArrayView pageStart)
{
    const QByteArray lower = lowered(pageStart);
    const qsizetype html = lower.indexOf("<html");
    if (html < 0)
        return {};
    const qsizetype tagEnd = lower.indexOf('>', html);
    const QByteArrayView tag =
        QByteArrayView(lower).sliced(html, (tagEnd < 0 ? lower.size() : tagEnd) - html);
    qsizetype lang = -1;
    for (qsizetype from = 0; (from = tag.indexOf("lang", from)) >= 0; from += 4)
        if (tag[from - 1] == ' ' || tag[from - 1] == '\t' || tag[from - 1] == '\n') {
            lang = from + 4;
            break;
        }
    if (lang < 0)
        return {};
    while (lang < tag.size() && (tag[lang] == ' ' || tag[lang] == '='))
        ++lang;
    if (lang < tag.size() && (tag[lang] == '"' || tag[lang] == '\''))
        ++lang;
    qsizetype end = lang;
    while (end < tag.size() && ((tag[end] >= 'a' && tag[end] <= 'z')))
        ++end;
    return QString::fromLatin1(tag.sliced(lang, end - lang));
}

qsizetype chunkEnd(QByteArrayView text, qsizetype start, qsizetype size)
{
    if (text.size() - start <= size)
        return text.size();
    const qsizetype limit = start + size;
    for (qsizetype i = limit; i > start + size / 2; --i) {
        const char c = text[i - 1];
        if (c == '>' || c == '\n')
            return i;
        if (c == ' ' || c == '\t')
            return i - 1 > start ? i - 1 : i;
    }
    // Nothing to cut at: a multi-byte character is still kept whole.
    qsizetype cut = limit;
    while (cut > start + 1 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}
