#pragma once

#include <QString>

enum EncodingIndex : int {
    EncodingUtf8 = 0,
    EncodingIso88592 = 1,
    EncodingCp1250 = 2,
    EncodingUnknown = 3
};
inline constexpr int NoEncoding = -1;

// "UTF-8", "ISO-8859-2", "CP-1250", "Nieznany" for 0..3; empty for anything else.
QString encodingName(int index);
// 0..3 for one of the four names (compared whole, case-sensitively), otherwise -1.
int encodingIndexOfName(const QString& name);
