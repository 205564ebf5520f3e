#pragma once

#include "encoding/Encoding.h"
#include "encoding/TextLines.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The declaration line the program puts into a document for an encoding other than Nieznany,
// e.g. <meta http-equiv=content-type content="text/html; charset=utf-8" >; empty for Nieznany.
QByteArray metaLine(Encoding encoding);

// The line with the value of every charset declaration on it replaced by the encoding's
// charset value, every other byte kept. A declaration is the word "charset" (any case) followed by
// blanks, '=' and quotes and then a value (a letter, then letters, digits, '-', '_', '.', ':'),
// where the filler holds '=' or a quote, or the value is one that detection recognises
// (charset="utf-8", <meta charset='utf-8'>, @charset "utf-8";, charset = utf-8). nullopt when
// the line declares no value (it only mentions the word) or the encoding is Nieznany.
std::optional<QByteArray> rewriteDeclaration(QByteArrayView line, Encoding encoding);

// One replacement in a text: `removed` bytes at `position` give way to `inserted`.
struct TextEdit {
    qsizetype position = 0;
    qsizetype removed = 0;
    QByteArray inserted;

    friend bool operator==(const TextEdit&, const TextEdit&) = default;
};

// What makes a text (lines split at CR LF, CR or LF; a break at the end leaves an empty last
// line) declare an encoding other than Nieznany. Its charset line, the first one holding
// "charset" in any case, has its value rewritten; a charset line with no value gets the meta
// line inserted before it; with no charset line and `insertWhenUndeclared`, the meta line
// becomes the fourth line, or the last one in a text of fewer than four. No line is ever
// removed. nullopt when nothing is to change (the text may already declare that value, or the
// encoding is Nieznany). Inserted lines are ended or preceded by `lineBreak`.
std::optional<TextEdit> declarationEdit(QByteArrayView text, Encoding encoding,
                                        bool insertWhenUndeclared, LineBreak lineBreak);

// The text with the edit made.
QByteArray applyTextEdit(QByteArrayView text, const TextEdit& edit);
