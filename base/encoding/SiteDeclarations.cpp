#include "encoding/SiteDeclarations.h"

#include "encoding/CharsetDeclaration.h"
#include "encoding/CodePageTables.h"
#include "encoding/TextLines.h"

#include <QSet>

#include <algorithm>
#include <vector>

namespace {

using Form = SiteDeclaration::Form;

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool isNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == ':';
}

bool isValueByte(char c)
{
    return isNameByte(c) || c == '.';
}

// Whether `word` (lower case) stands at `at`, in any case.
bool wordAt(QByteArrayView bytes, qsizetype at, QByteArrayView word)
{
    if (at < 0 || bytes.size() - at < word.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i)
        if (lower(bytes[at + i]) != word[i])
            return false;
    return true;
}

// The first place at or after `from` where `word` (lower case) stands, in any case; -1 if none.
qsizetype findWord(QByteArrayView bytes, qsizetype from, QByteArrayView word)
{
    const char first = word[0];
    const char upper = char(first & ~0x20);
    for (qsizetype at = from; at <= bytes.size() - word.size(); ++at) {
        const char c = bytes[at];
        if ((c == first || c == upper) && wordAt(bytes, at, word))
            return at;
    }
    return -1;
}

qsizetype skipSpaces(QByteArrayView bytes, qsizetype at, qsizetype end)
{
    while (at < end && isSpace(bytes[at]))
        ++at;
    return at;
}

qsizetype valueEnd(QByteArrayView bytes, qsizetype at, qsizetype end)
{
    while (at < end && isValueByte(bytes[at]))
        ++at;
    return at;
}

class Finder {
public:
    Finder(QByteArrayView bytes, QList<SiteDeclaration>& found) : m_bytes(bytes), m_found(found) {}

    // The value token at `at` (before `end`), if there is one.
    void add(Form form, qsizetype at, qsizetype end)
    {
        const qsizetype stop = valueEnd(m_bytes, at, end);
        if (stop > at)
            m_found.append({form, at, stop - at, m_bytes.sliced(at, stop - at).toByteArray(), 0});
    }

    // "charset" followed by blanks, '=' and quotes and a value, searched in [from, end).
    void addCharsetParameter(Form form, qsizetype from, qsizetype end)
    {
        for (qsizetype at = from; (at = findWord(m_bytes.first(end), at, "charset")) >= 0;) {
            qsizetype value = at + 7;
            bool assigned = false;
            while (value < end && (isSpace(m_bytes[value]) || m_bytes[value] == '=' ||
                                   m_bytes[value] == '"' || m_bytes[value] == '\'')) {
                assigned = assigned || m_bytes[value] == '=';
                ++value;
            }
            if (assigned) {
                add(form, value, end);
                return;
            }
            at = value;
        }
    }

    QByteArrayView m_bytes;
    QList<SiteDeclaration>& m_found;
};

struct Attribute {
    QByteArray name;
    qsizetype start = 0; // the value's bytes, quotes excluded
    qsizetype end = 0;
};

// Reads the tag that starts at `lt` ('<' and a letter). Returns the position after its '>' (or
// the end), its name in lower case and its attributes.
qsizetype readTag(QByteArrayView bytes, qsizetype lt, QByteArray& name,
                  QList<Attribute>& attributes)
{
    const qsizetype size = bytes.size();
    qsizetype at = lt + 1;
    while (at < size && isNameByte(bytes[at]))
        name += lower(bytes[at++]);
    for (;;) {
        at = skipSpaces(bytes, at, size);
        if (at >= size)
            return size;
        if (bytes[at] == '>')
            return at + 1;
        if (bytes[at] == '/') {
            ++at;
            continue;
        }
        Attribute attribute;
        const qsizetype nameStart = at;
        while (at < size && !isSpace(bytes[at]) && bytes[at] != '=' && bytes[at] != '>' &&
               bytes[at] != '/')
            attribute.name += lower(bytes[at++]);
        if (at == nameStart) {
            ++at; // a stray quote or other byte
            continue;
        }
        at = skipSpaces(bytes, at, size);
        if (at < size && bytes[at] == '=') {
            at = skipSpaces(bytes, at + 1, size);
            if (at < size && (bytes[at] == '"' || bytes[at] == '\'')) {
                const char quote = bytes[at];
                const qsizetype close = bytes.indexOf(quote, at + 1);
                attribute.start = at + 1;
                attribute.end = close < 0 ? size : close;
                at = close < 0 ? size : close + 1;
            } else {
                attribute.start = at;
                while (at < size && !isSpace(bytes[at]) && bytes[at] != '>')
                    ++at;
                attribute.end = at;
            }
        } else {
            attribute.start = attribute.end = at;
        }
        attributes.append(attribute);
    }
}

const Attribute* attributeNamed(const QList<Attribute>& attributes, QByteArrayView name)
{
    for (const Attribute& attribute : attributes)
        if (attribute.name == name)
            return &attribute;
    return nullptr;
}

// Calls `tag` for every tag outside comments and outside the content of script and style;
// stops when it returns false.
template <typename TagFunction> void forEachTag(QByteArrayView bytes, TagFunction tag)
{
    qsizetype at = 0;
    while ((at = bytes.indexOf('<', at)) >= 0) {
        if (wordAt(bytes, at, "<!--")) {
            const qsizetype close = bytes.indexOf("-->", at + 4);
            at = close < 0 ? bytes.size() : close + 3;
            continue;
        }
        if (at + 1 >= bytes.size() || !isNameByte(bytes[at + 1]) || bytes[at + 1] == '-') {
            ++at;
            continue;
        }
        QByteArray name;
        QList<Attribute> attributes;
        const qsizetype end = readTag(bytes, at, name, attributes);
        if (!tag(name, attributes, at, end))
            return;
        at = end;
        if (name == "script" || name == "style") {
            const qsizetype close = findWord(bytes, at, name == "script" ? "</script" : "</style");
            at = close < 0 ? bytes.size() : close;
        }
    }
}

void findMarkup(Finder& finder)
{
    const QByteArrayView bytes = finder.m_bytes;
    forEachTag(bytes, [&](const QByteArray& name, const QList<Attribute>& attributes, qsizetype,
                          qsizetype) {
        auto valueOf = [&](QByteArrayView attributeName, Form form) {
            if (const Attribute* a = attributeNamed(attributes, attributeName))
                finder.add(form, skipSpaces(bytes, a->start, a->end), a->end);
        };
        if (name == "meta") {
            valueOf("charset", Form::MetaCharset);
            const Attribute* equiv = attributeNamed(attributes, "http-equiv");
            const Attribute* content = attributeNamed(attributes, "content");
            if (equiv && content &&
                bytes.sliced(equiv->start, equiv->end - equiv->start)
                        .trimmed()
                        .compare(QByteArrayView("content-type"), Qt::CaseInsensitive) == 0)
                finder.addCharsetParameter(Form::MetaHttpEquiv, content->start, content->end);
        } else if (name == "script") {
            valueOf("charset", Form::ScriptCharset);
        } else if (name == "link") {
            valueOf("charset", Form::LinkCharset);
        } else if (name == "form") {
            if (const Attribute* a = attributeNamed(attributes, "accept-charset")) {
                for (qsizetype at = a->start; at < a->end;) {
                    while (at < a->end && (isSpace(bytes[at]) || bytes[at] == ','))
                        ++at;
                    const qsizetype stop = valueEnd(bytes, at, a->end);
                    if (stop == at) {
                        ++at;
                        continue;
                    }
                    finder.add(Form::FormAcceptCharset, at, stop);
                    at = stop;
                }
            }
        }
        return true;
    });
}

// <?xml … encoding="…"?> as the file's first line.
void findXmlDeclaration(Finder& finder)
{
    const QByteArrayView bytes = finder.m_bytes;
    const qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (!wordAt(bytes, start, "<?xml"))
        return;
    qsizetype end = bytes.indexOf("?>", start);
    const qsizetype lineEnd =
        TextLines::findBreak<TextLines::FileBreaks>(
            reinterpret_cast<const TextLines::Byte*>(bytes.data()) + start,
            reinterpret_cast<const TextLines::Byte*>(bytes.data()) + bytes.size()) -
        reinterpret_cast<const TextLines::Byte*>(bytes.data());
    if (end < 0 || end > lineEnd)
        end = lineEnd;
    const qsizetype at = findWord(bytes.first(end), start, "encoding");
    if (at < 0)
        return;
    qsizetype value = skipSpaces(bytes, at + 8, end);
    if (value >= end || bytes[value] != '=')
        return;
    value = skipSpaces(bytes, value + 1, end);
    if (value < end && (bytes[value] == '"' || bytes[value] == '\''))
        finder.add(Form::XmlDeclaration, skipSpaces(bytes, value + 1, end), end);
}

// @charset "…"; outside comments.
void findCssCharset(Finder& finder)
{
    const QByteArrayView bytes = finder.m_bytes;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '/' && at + 1 < bytes.size() && bytes[at + 1] == '*') {
            const qsizetype close = bytes.indexOf("*/", at + 2);
            if (close < 0)
                return;
            at = close + 1;
        } else if (bytes[at] == '@' && wordAt(bytes, at, "@charset")) {
            const qsizetype value = skipSpaces(bytes, at + 8, bytes.size());
            if (value < bytes.size() && (bytes[value] == '"' || bytes[value] == '\''))
                finder.add(Form::CssCharset, skipSpaces(bytes, value + 1, bytes.size()),
                           bytes.size());
        }
    }
}

// The PHP calls, each as a function (not a method or a part of a longer name) with a string.
void findPhp(Finder& finder)
{
    const QByteArrayView bytes = finder.m_bytes;
    auto call = [&](qsizetype at, QByteArrayView function) -> qsizetype {
        const char before = at > 0 ? bytes[at - 1] : ' ';
        if (isNameByte(before) || before == '$' || before == '>')
            return -1;
        qsizetype open = skipSpaces(bytes, at + function.size(), bytes.size());
        if (open >= bytes.size() || bytes[open] != '(')
            return -1;
        const qsizetype quote = skipSpaces(bytes, open + 1, bytes.size());
        return quote < bytes.size() && (bytes[quote] == '"' || bytes[quote] == '\'') ? quote : -1;
    };
    auto stringEnd = [&](qsizetype quote) {
        const qsizetype close = bytes.indexOf(bytes[quote], quote + 1);
        return close < 0 ? bytes.size() : close;
    };
    for (qsizetype at = 0; (at = findWord(bytes, at, "header")) >= 0; at += 6)
        if (const qsizetype quote = call(at, "header"); quote >= 0)
            finder.addCharsetParameter(Form::PhpHeader, quote + 1, stringEnd(quote));
    for (qsizetype at = 0; (at = findWord(bytes, at, "ini_set")) >= 0; at += 7) {
        const qsizetype quote = call(at, "ini_set");
        if (quote < 0 || !wordAt(bytes, quote + 1, "default_charset") ||
            bytes.size() <= quote + 16 || bytes[quote + 16] != bytes[quote])
            continue;
        qsizetype next = skipSpaces(bytes, quote + 17, bytes.size());
        if (next >= bytes.size() || bytes[next] != ',')
            continue;
        next = skipSpaces(bytes, next + 1, bytes.size());
        if (next < bytes.size() && (bytes[next] == '"' || bytes[next] == '\''))
            finder.add(Form::PhpIniSet, next + 1, stringEnd(next));
    }
    for (qsizetype at = 0; (at = findWord(bytes, at, "mb_internal_encoding")) >= 0; at += 20)
        if (const qsizetype quote = call(at, "mb_internal_encoding"); quote >= 0)
            finder.add(Form::PhpInternal, quote + 1, stringEnd(quote));
}

// "# … coding: value" or "coding=value" on one of the first two lines.
void findCodingLine(Finder& finder)
{
    const QByteArrayView bytes = finder.m_bytes;
    qsizetype start = 0;
    for (int line = 0; line < 2 && start < bytes.size(); ++line) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const qsizetype hash = skipSpaces(bytes, start, end);
        if (hash < end && bytes[hash] == '#') {
            const qsizetype at = findWord(bytes.first(end), hash, "coding");
            if (at >= 0 && at + 6 < end && (bytes[at + 6] == ':' || bytes[at + 6] == '=')) {
                finder.add(Form::CodingLine, skipSpaces(bytes, at + 7, end), end);
                return;
            }
        }
        start = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') + 1;
    }
}

void findHtaccess(Finder& finder)
{
    const QByteArrayView bytes = finder.m_bytes;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        qsizetype at = skipSpaces(bytes, start, end);
        auto directive = [&](QByteArrayView word) {
            if (!wordAt(bytes, at, word) || at + word.size() >= end ||
                !isSpace(bytes[at + word.size()]))
                return false;
            at = skipSpaces(bytes, at + word.size(), end);
            if (at < end && (bytes[at] == '"' || bytes[at] == '\''))
                ++at;
            return true;
        };
        if (directive("adddefaultcharset"))
            finder.add(Form::AddDefaultCharset, at, end);
        else if (directive("addcharset"))
            finder.add(Form::AddCharset, at, end);
        else if (directive("php_value") && directive("default_charset"))
            finder.add(Form::PhpValue, at, end);
        start = end + 1;
    }
}

} // namespace

SiteFileKind siteFileKind(const QString& fileName)
{
    if (fileName == QLatin1String(".htaccess"))
        return SiteFileKind::Htaccess;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
    static const QSet<QString> pages = {"htm", "html", "xhtml", "shtml"};
    static const QSet<QString> php = {"php", "php3", "phtml", "inc"};
    static const QSet<QString> xml = {"xml", "xsd", "xsl", "xslt", "dtd"};
    static const QSet<QString> perl = {"pl", "pm", "cgi"};
    if (pages.contains(suffix))
        return SiteFileKind::Page;
    if (php.contains(suffix))
        return SiteFileKind::Php;
    if (xml.contains(suffix))
        return SiteFileKind::Xml;
    if (suffix == QLatin1String("css"))
        return SiteFileKind::Css;
    if (suffix == QLatin1String("py"))
        return SiteFileKind::Python;
    if (perl.contains(suffix))
        return SiteFileKind::Perl;
    return SiteFileKind::Plain;
}

bool SiteDeclaration::declaresFile() const
{
    switch (form) {
    case Form::ScriptCharset:
    case Form::LinkCharset:
    case Form::FormAcceptCharset:
    case Form::AddDefaultCharset:
    case Form::AddCharset:
    case Form::PhpValue:
        return false;
    default:
        return true;
    }
}

QString SiteDeclaration::formName() const
{
    switch (form) {
    case Form::MetaCharset:
        return QStringLiteral("<meta charset>");
    case Form::MetaHttpEquiv:
        return QStringLiteral("<meta http-equiv>");
    case Form::XmlDeclaration:
        return QStringLiteral("<?xml encoding?>");
    case Form::ScriptCharset:
        return QStringLiteral("<script charset>");
    case Form::LinkCharset:
        return QStringLiteral("<link charset>");
    case Form::FormAcceptCharset:
        return QStringLiteral("<form accept-charset>");
    case Form::CssCharset:
        return QStringLiteral("@charset");
    case Form::PhpHeader:
        return QStringLiteral("header()");
    case Form::PhpIniSet:
        return QStringLiteral("ini_set('default_charset')");
    case Form::PhpInternal:
        return QStringLiteral("mb_internal_encoding()");
    case Form::CodingLine:
        return QStringLiteral("coding:");
    case Form::AddDefaultCharset:
        return QStringLiteral("AddDefaultCharset");
    case Form::AddCharset:
        return QStringLiteral("AddCharset");
    case Form::PhpValue:
        return QStringLiteral("php_value default_charset");
    }
    return {};
}

QList<SiteDeclaration> findSiteDeclarations(QByteArrayView bytes, SiteFileKind kind)
{
    QList<SiteDeclaration> found;
    Finder finder(bytes, found);
    switch (kind) {
    case SiteFileKind::Page:
    case SiteFileKind::Php:
        findXmlDeclaration(finder);
        findMarkup(finder);
        if (kind == SiteFileKind::Php)
            findPhp(finder);
        break;
    case SiteFileKind::Xml:
        findXmlDeclaration(finder);
        break;
    case SiteFileKind::Css:
        findCssCharset(finder);
        break;
    case SiteFileKind::Python:
    case SiteFileKind::Perl:
        findCodingLine(finder);
        break;
    case SiteFileKind::Htaccess:
        findHtaccess(finder);
        break;
    case SiteFileKind::Plain:
        break;
    }
    std::sort(found.begin(), found.end(), [](const SiteDeclaration& a, const SiteDeclaration& b) {
        return a.position < b.position;
    });
    // A value found twice (a PHP string holding a tag) counts once.
    found.erase(std::unique(found.begin(), found.end(),
                            [](const SiteDeclaration& a, const SiteDeclaration& b) {
                                return a.position == b.position;
                            }),
                found.end());
    qsizetype line = 1;
    qsizetype counted = 0;
    for (SiteDeclaration& declaration : found) {
        line += countLineBreaks(bytes.sliced(counted, declaration.position - counted));
        counted = declaration.position;
        declaration.line = line;
    }
    return found;
}

std::optional<Encoding> encodingOfDeclaredValue(QByteArrayView value)
{
    const QByteArray name = value.toByteArray().toLower();
    static const QSet<QByteArray> utf8 = {"utf-8", "utf8"};
    static const QSet<QByteArray> iso = {"iso-8859-2",  "iso8859-2",  "iso_8859-2",
                                         "latin2",      "l2",         "iso-latin-2",
                                         "csisolatin2", "iso-ir-101", "iso_8859-2:1987"};
    static const QSet<QByteArray> cp1250 = {"windows-1250", "cp1250", "x-cp1250", "win-1250",
                                            "cp-1250"};
    if (utf8.contains(name))
        return EncodingUtf8;
    if (iso.contains(name))
        return EncodingIso88592;
    if (cp1250.contains(name))
        return EncodingCp1250;
    return std::nullopt;
}

qsizetype headInsertPosition(QByteArrayView bytes)
{
    qsizetype position = -1;
    forEachTag(bytes,
               [&](const QByteArray& name, const QList<Attribute>&, qsizetype, qsizetype end) {
                   if (name == "head")
                       position = end;
                   return name != "head" && name != "body";
               });
    return position;
}

namespace {

constexpr unsigned char IsoOnly[6] = {0xA1, 0xA6, 0xAC, 0xB1, 0xB6, 0xBC};
constexpr unsigned char Cp1250Only[6] = {0xA5, 0x8C, 0x8F, 0xB9, 0x9C, 0x9F};

} // namespace

std::optional<Encoding> PolishByteEvidence::pointsTo() const
{
    if (iso > cp1250)
        return EncodingIso88592;
    if (cp1250 > iso)
        return EncodingCp1250;
    return std::nullopt;
}

PolishByteEvidence polishByteEvidence(QByteArrayView bytes)
{
    static const auto kinds = [] {
        std::array<char, 256> k{};
        for (unsigned char b : IsoOnly)
            k[b] = 1;
        for (unsigned char b : Cp1250Only)
            k[b] = 2;
        return k;
    }();
    PolishByteEvidence evidence;
    for (char c : bytes) {
        const char kind = kinds[static_cast<unsigned char>(c)];
        evidence.iso += kind == 1;
        evidence.cp1250 += kind == 2;
    }
    return evidence;
}

QList<SwappedCharacter> swappedCharacters(QByteArrayView bytes, Encoding actual, int listed,
                                          qsizetype* count)
{
    QList<SwappedCharacter> found;
    if (count)
        *count = 0;
    if (actual != EncodingIso88592 && actual != EncodingCp1250)
        return found;
    const unsigned char* swapped = actual == EncodingCp1250 ? IsoOnly : Cp1250Only;
    const auto& inFile = actual == EncodingCp1250 ? CodePageTables::cp1250ToUnicode()
                                                  : CodePageTables::isoToUnicode();
    const auto& toCp1250 = CodePageTables::isoToCp1250Map();
    const auto& cp1250 = CodePageTables::cp1250ToUnicode();
    auto shown = [](char16_t c) {
        return c < 0xA0 ? QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper()
                        : QString(QChar(c));
    };
    qsizetype line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\n' || (b == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++line;
            lineStart = i + 1;
            continue;
        }
        if (b < 0x80 || std::find(swapped, swapped + 6, b) == swapped + 6)
            continue;
        if (count)
            ++*count;
        if (found.size() < listed)
            found.append({line, i - lineStart + 1, shown(inFile[b]), shown(cp1250[toCp1250[b]])});
    }
    return found;
}

std::optional<TextEdit> encodingChangeEdit(QByteArrayView text, Encoding target, bool rewrite,
                                           SiteFileKind kind, bool* bomDropped)
{
    std::vector<TextEdit> edits;
    const bool bom = text.startsWith("\xEF\xBB\xBF");
    if (bomDropped)
        *bomDropped = bom;
    if (bom)
        edits.push_back({0, 3, {}});
    if (rewrite && target != EncodingUnknown) {
        const std::optional<TextEdit> line = declarationEdit(text, target, true, LineBreak::Lf);
        if (line)
            edits.push_back(*line);
        for (const SiteDeclaration& declaration : findSiteDeclarations(text, kind)) {
            const std::optional<Encoding> named = encodingOfDeclaredValue(declaration.value);
            if (!named || *named == target)
                continue;
            // The charset line's own declaration is already changed by its edit.
            if (line && declaration.position >= line->position &&
                declaration.position < line->position + line->removed)
                continue;
            edits.push_back({declaration.position, declaration.length, target.charsetValue()});
        }
    }
    if (edits.empty())
        return std::nullopt;
    std::sort(edits.begin(), edits.end(),
              [](const TextEdit& a, const TextEdit& b) { return a.position < b.position; });
    // One replacement from the first change to the end of the last, so that it is one step to
    // take back.
    TextEdit combined{edits.front().position, 0, {}};
    qsizetype copied = combined.position;
    for (const TextEdit& edit : edits) {
        if (edit.position < copied)
            continue; // overlaps an earlier one
        combined.inserted += text.sliced(copied, edit.position - copied);
        combined.inserted += edit.inserted;
        copied = edit.position + edit.removed;
    }
    combined.removed = copied - combined.position;
    return combined;
}
