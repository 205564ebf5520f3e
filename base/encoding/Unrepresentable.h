#pragma once

#include "encoding/DocumentCodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// A character of a document that its file would not hold, and where it stands (both from 1;
// the column counts characters).
struct UnrepresentableCharacter {
    char32_t character = 0;
    qsizetype line = 0;
    qsizetype column = 0;

    friend bool operator==(const UnrepresentableCharacter&,
                           const UnrepresentableCharacter&) = default;
};

struct UnrepresentableReport {
    qsizetype count = 0;
    // The first few, in the order of the text.
    QList<UnrepresentableCharacter> first;
};

// Characters of the editor text (UTF-8) that a file written with encodeDocument() in `encoding`
// would not give back as themselves: for ISO-8859-2 and CP-1250 read as the real ISO-8859-2 and
// windows-1250 are read (by a browser, say), for Nieznany read back as an undeclared document
// is (isoToCp1250Map(), then windows-1250). So "€" or "„" in ISO-8859-2, "±" in windows-1250 (the
// writer turns it into "ą"), arrows, Cyrillic and emoji anywhere but UTF-8. Malformed bytes
// count as U+FFFD. UTF-8 holds everything. At most `listed` are reported with their places.
UnrepresentableReport findUnrepresentable(QByteArrayView editorText, Encoding encoding,
                                          int listed = 5);

// The editor text with each character that findUnrepresentable() reports written as an HTML
// character reference of its code point (&#8594;).
QByteArray withCharacterReferences(QByteArrayView editorText, Encoding encoding);

// The editor text with each character that findUnrepresentable() reports replaced by a look-alike
// that `encoding` holds: the letter without its marks, "-" for a dash, '"' for a quotation mark,
// "..." for an ellipsis, "EUR" for the euro sign; "?" where there is none.
QByteArray withSimilarCharacters(QByteArrayView editorText, Encoding encoding);

// The question put to the user before writing such characters: how many, the first few with
// line:column, and what the two ways of writing them do.
QString unrepresentableQuestion(const QString& documentCaption, Encoding encoding,
                                const UnrepresentableReport& report);
