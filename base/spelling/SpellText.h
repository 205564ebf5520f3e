#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// Which words of a coloured text a reader sees, and in what form: the spell checker's view of a
// page, taken from the roles the editor's colouring gives each byte, never from parsing anew.

// What the colouring says a byte is, as far as spelling cares.
enum class TextRole : char {
    Skip = 0, // code, numbers, anything the reader of a page does not read
    Text,     // text between tags, an entity among it, or the whole of a plain text
    Tag,      // a tag's brackets and name
    AttributeName,
    AttributeValue, // quotes included
    Comment,
    Literal, // a source language's string literal
};

struct SpellScope {
    // Tags, attributes and entities as in HTML; otherwise the Text bytes are read as they are.
    bool markup = false;
    bool comments = false;
    bool literals = false;
};

// A word to check: bytes [start, end) of the text given, and the word as a reader sees it
// (entities decoded, a soft hyphen left out).
struct SpellWord {
    qsizetype start = 0;
    qsizetype end = 0;
    QString word;
    bool operator==(const SpellWord&) const = default;
};

// The longest word checked; a longer one is left unmarked.
inline constexpr qsizetype MaxCheckedWordLength = 60;

// The words of `text` (UTF-8) to check, where `roles` holds one TextRole per byte. In markup the
// text between tags is read, and of attribute values those of alt, title and placeholder, and
// content of <meta name="description">; never the content of <style>. `insideStyle` says whether
// the text starts inside a <style> element. URLs, e-mail addresses, file names, words with digits,
// words in capitals and words in a script other than Latin are left out.
QList<SpellWord> readerWords(QByteArrayView text, QByteArrayView roles, const SpellScope& scope,
                             bool insideStyle = false);

// Whether markup that ends with `text` leaves its reader inside a <style> element, when
// `startsInside` says whether one was open where it begins.
bool endsInsideStyle(QByteArrayView text, bool startsInside = false);

// The text an HTML entity stands for, given its name without '&' and ';' ("oacute", "#243",
// "#xF3"); empty for a soft hyphen; nothing when unknown.
std::optional<QString> entityText(QByteArrayView name);

// The primary language of a page's <html lang="..."> in lower case ("pl", "en"), or empty.
QString pageLanguage(QByteArrayView pageStart);

// Where a chunk of at most about `size` bytes from `start` may end without cutting a word or a
// tag in two: after a '>' or before white space, else at `start + size`.
qsizetype chunkEnd(QByteArrayView text, qsizetype start, qsizetype size);
