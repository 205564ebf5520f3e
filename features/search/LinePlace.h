#pragma once

#include <QString>

#include <optional>

// A place typed in the go-to-line box: a line and, after a colon, a column (both from 1; 0 for
// no column given).
struct LinePlace {
    long line = 0;
    long column = 0;
    bool operator==(const LinePlace&) const = default;
};

// "120" or "120:15", blanks around the numbers allowed; nothing for any other text, a number
// below 1 or one too large to count.
std::optional<LinePlace> parseLinePlace(const QString& text);

// The range of lines a document offers, as the box shows it: "1–48 213", thousands parted by
// a no-break space as Polish writes them.
QString lineRangeText(long lineCount);

// The place brought within a document of `lineCount` lines: a line past the end goes to the
// last one; no column means the line's start.
LinePlace nearestPlace(const LinePlace& place, long lineCount);
