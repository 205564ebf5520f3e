#include "encoding/CodePageTables.h"

#include <QString>

#include <memory>

namespace {

// windows-1250 from 0x80 on; the five unassigned bytes keep the C1 control of their own number.
constexpr char16_t UpperHalf[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

// ISO-8859-2 from 0xA0 to 0xBF; below it is Unicode's, above it the same as windows-1250's.
constexpr char16_t IsoA0ToBF[32] = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7, // A0
    0x00A8, 0x0160, 0x015E, 0x0164, 0x0179, 0x00AD, 0x017D, 0x017B, // A8
    0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7, // B0
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C, // B8
};

// ISO-8859-2 byte -> windows-1250 byte of the same Polish letter.
constexpr unsigned char PolishPairs[6][2] = {{0xA1, 0xA5}, {0xA6, 0x8C}, {0xAC, 0x8F},
                                             {0xB1, 0xB9}, {0xB6, 0x9C}, {0xBC, 0x9F}};

CodePageTables::ByteMap makePolishMap(int from, int to)
{
    CodePageTables::ByteMap map;
    for (int b = 0; b < 256; ++b)
        map[b] = static_cast<unsigned char>(b);
    for (const auto& pair : PolishPairs)
        map[pair[from]] = pair[to];
    return map;
}

// The best fit of a character windows-1250 lacks: strip diacritics by canonical decomposition
// as long as what is left is a letter, until a character of the code page turns up.
unsigned char bestFit(char32_t c, const std::array<unsigned char, 0x10000>& table,
                      const std::array<bool, 0x10000>& inCodePage)
{
    while (QChar::decompositionTag(c) == QChar::Canonical) {
        const QString decomposition = QChar::decomposition(c);
        c = decomposition.front().unicode();
        if (!QChar::isLetter(c))
            break;
        if (inCodePage[c])
            return table[c];
    }
    return '?';
}

} // namespace

const std::array<char16_t, 256>& CodePageTables::isoToUnicode()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t = cp1250ToUnicode();
        for (int b = 0x80; b < 0xA0; ++b)
            t[b] = char16_t(b);
        for (int b = 0xA0; b < 0xC0; ++b)
            t[b] = IsoA0ToBF[b - 0xA0];
        return t;
    }();
    return table;
}

const std::array<char16_t, 256>& CodePageTables::cp1250ToUnicode()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 128; ++b)
            t[b] = char16_t(b);
        for (int b = 128; b < 256; ++b)
            t[b] = UpperHalf[b - 128];
        return t;
    }();
    return table;
}

const std::array<unsigned char, 0x10000>& CodePageTables::unicodeToCp1250()
{
    static const auto table = [] {
        auto t = std::make_unique<std::array<unsigned char, 0x10000>>();
        auto inCodePage = std::make_unique<std::array<bool, 0x10000>>();
        inCodePage->fill(false);
        const auto& toUnicode = cp1250ToUnicode();
        for (int b = 0; b < 256; ++b) {
            (*t)[toUnicode[b]] = static_cast<unsigned char>(b);
            (*inCodePage)[toUnicode[b]] = true;
        }
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (!(*inCodePage)[c])
                (*t)[c] = bestFit(c, *t, *inCodePage);
        }
        return t;
    }();
    return *table;
}

const CodePageTables::ByteMap& CodePageTables::isoToCp1250Map()
{
    static const ByteMap map = makePolishMap(0, 1);
    return map;
}

const CodePageTables::ByteMap& CodePageTables::cp1250ToIsoMap()
{
    static const ByteMap map = makePolishMap(1, 0);
    return map;
}
