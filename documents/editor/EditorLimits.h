#pragma once

#include <QByteArray>
#include <QString>

#include "encoding/Encoding.h"

// The editor component keeps text positions and line numbers in 32 bits: text beyond that shows
// wrong lines and takes typed characters to wrong places. It also keeps some tens of bytes of
// tables for every line, so a file of hundreds of millions of short lines (NUL bytes are line
// breaks) would take the machine's memory before it is ever shown. Room is left below 2 GiB for
// what is typed after opening.
inline constexpr qsizetype MaxEditorTextBytes = 0x7FFFFFFF - (16 << 20);
inline constexpr qsizetype MaxEditorLines = qsizetype(1) << 27;

// Throws CommandError "Cannot open file <path>" with the reason when the file could not be held
// by the editor judging by its size, or by its lines, counted before it is read whole.
void refuseFileTooLargeForEditor(const QString& path);
// The same, for a file's bytes as read, and for their text decoded from `readAs`.
void refuseTextTooLargeForEditor(const QString& path, QByteArrayView bytes, Encoding readAs);
