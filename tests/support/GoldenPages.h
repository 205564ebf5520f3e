#pragma once

#include <QString>

#include <span>

// The pages of tests/data/pages: each with the encoding it is read in and the index of its
// charset line (-1 for none). Next to each page, "<page>.expected.txt" holds the editor text.
struct GoldenPage {
    const char* row;
    const char* file;
    const char* encoding;
    int charsetLineIndex;
};

inline constexpr GoldenPage GoldenPages[] = {
    {"utf-8, http-equiv on line 3", "utf8-http-equiv.htm", "UTF-8", 2},
    {"iso-8859-2 on line 4", "iso-8859-2.htm", "ISO-8859-2", 3},
    {"windows-1250 on line 1", "windows-1250.htm", "CP-1250", 0},
    {"capitals", "utf8-capitals.htm", "UTF-8", 0},
    {"html5 meta charset", "utf8-html5.htm", "UTF-8", 3},
    {"css @charset", "windows-1250.css", "CP-1250", 0},
    {"comment mentions charset first", "comment-mentions-charset.htm", "Nieznany", 0},
    {"undeclared utf-8", "undeclared-utf8.js", "UTF-8", -1},
    {"undeclared windows-1250", "undeclared-windows-1250.txt", "Nieznany", -1},
    {"lf line breaks", "utf8-lf.htm", "UTF-8", 2},
    {"arrows, cyrillic, emoji", "utf8-symbols.htm", "UTF-8", 2},
};

inline QString goldenPagePath(const char* file)
{
    return QStringLiteral(TAGOMIR_TEST_DATA "/pages/") + QLatin1String(file);
}
