#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The editor component keeps text positions and line numbers in 32 bits: text beyond that shows
// wrong lines and takes typed characters to wrong places. It also keeps some tens of bytes of
// tables for every line, so a file of hundreds of millions of short lines (NUL bytes are line
// breaks) would take the machine's memory before it is ever shown. Room is left below 2 GiB for
// what is typed after opening.
inline constexpr qsizetype MaxEditorTextBytes = 0x7FFFFFFF - (16 << 20);
inline constexpr qsizetype MaxEditorLines = qsizetype(1) << 27;

// The bytes of a file that is to be shown in the editor decoded from `encodingIndex`, or, when
// none is given, from the encoding the file's bytes declare or detection finds. Throws
// CommandError "Cannot open file <path>" with the reason when the file cannot be read
// (readWholeFile) or the editor could not hold its text: a file larger than the limit before any
// of it is read, one of too many lines before it is read whole, one whose decoded text would be
// too large before it is handed back.
QByteArray readFileForEditor(const QString& path, std::optional<int> encodingIndex = {});
