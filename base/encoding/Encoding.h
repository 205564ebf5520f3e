#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The index of an encoding where the program keeps one as a number: the encoding lists of the
// hidden ComboBox1 and the dialogs, the window's selected encoding.
enum EncodingIndex : int {
    EncodingUtf8 = 0,
    EncodingIso88592 = 1,
    EncodingCp1250 = 2,
    EncodingUnknown = 3
};
inline constexpr int NoEncoding = -1;

// How a document's text becomes the bytes of its file; the codec's own, given by
// Encoding::saveForm().
enum class SaveForm { Utf8, Iso88592, Cp1250, EightBit };

// One of the four encodings a document can be in: UTF-8, ISO-8859-2, CP-1250, or "Nieznany" (no
// declaration and no multi-byte UTF-8). Each of its representations (the name the window shows,
// the index, the save form, the value a declaration and the command line give) is worked out
// here and nowhere else; a value is always one of the four, so no caller range-checks a number.
class Encoding {
public:
    constexpr Encoding(EncodingIndex index) : m_index(index) {}

    // The encoding with this index (0-3), this name as the window shows it (compared whole and
    // case-sensitively), or this declared or command-line value (any case; "utf-8",
    // "iso-8859-2", "windows-1250"); nullopt for anything else.
    static std::optional<Encoding> fromIndex(int index);
    static std::optional<Encoding> fromName(const QString& name);
    static std::optional<Encoding> fromCharsetValue(const QString& value);

    constexpr int index() const { return m_index; }
    // "UTF-8", "ISO-8859-2", "CP-1250" or "Nieznany".
    QString name() const;
    // "utf-8", "iso-8859-2", "windows-1250"; empty for Nieznany, which nothing declares.
    QByteArray charsetValue() const;
    // The encoding a text in this one is read with: Nieznany is read as CP-1250.
    constexpr Encoding readAs() const
    {
        return m_index == EncodingUnknown ? EncodingCp1250 : *this;
    }
    // Nieznany is written as the text's 8-bit form, the others in their own encoding.
    SaveForm saveForm() const;

    friend constexpr bool operator==(Encoding, Encoding) = default;

private:
    EncodingIndex m_index;
};
