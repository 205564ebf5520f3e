#pragma once

// The code-page lookup tables of the bulk document paths. Internal to encoding/.

#include <array>

namespace CodePageTables {

using ByteMap = std::array<unsigned char, 256>;

// Character of each windows-1250 byte.
const std::array<char16_t, 256>& cp1250ToUnicode();
// windows-1250 byte of each BMP character: its own byte, its best fit, or '?'.
const std::array<unsigned char, 0x10000>& unicodeToCp1250();
// Character of each ISO-8859-2 byte, as a browser reads the real ISO-8859-2.
const std::array<char16_t, 256>& isoToUnicode();
const ByteMap& isoToCp1250Map();
const ByteMap& cp1250ToIsoMap();

} // namespace CodePageTables
