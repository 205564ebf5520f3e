#include "encoding/Encoding.h"

#include <array>

namespace {

struct Representations {
    QLatin1StringView name;
    QLatin1StringView charsetValue;
    SaveForm saveForm;
};

// In index order.
constexpr std::array<Representations, 4> Table{{
    {QLatin1StringView("UTF-8"), QLatin1StringView("utf-8"), SaveForm::Utf8},
    {QLatin1StringView("ISO-8859-2"), QLatin1StringView("iso-8859-2"), SaveForm::Iso88592},
    {QLatin1StringView("CP-1250"), QLatin1StringView("windows-1250"), SaveForm::Cp1250},
    {QLatin1StringView("Nieznany"), QLatin1StringView(), SaveForm::EightBit},
}};

} // namespace

std::optional<Encoding> Encoding::fromIndex(int index)
{
    if (index < 0 || index >= int(Table.size()))
        return std::nullopt;
    return Encoding(EncodingIndex(index));
}

std::optional<Encoding> Encoding::fromName(const QString& name)
{
    for (int index = 0; index < int(Table.size()); ++index) {
        if (name == Table[index].name)
            return Encoding(EncodingIndex(index));
    }
    return std::nullopt;
}

std::optional<Encoding> Encoding::fromCharsetValue(const QString& value)
{
    for (int index = 0; index < int(Table.size()); ++index) {
        if (!Table[index].charsetValue.isEmpty() &&
            value.compare(Table[index].charsetValue, Qt::CaseInsensitive) == 0)
            return Encoding(EncodingIndex(index));
    }
    return std::nullopt;
}

QString Encoding::name() const
{
    return Table[m_index].name;
}

QByteArray Encoding::charsetValue() const
{
    return QByteArray(Table[m_index].charsetValue.data(), Table[m_index].charsetValue.size());
}

SaveForm Encoding::saveForm() const
{
    return Table[m_index].saveForm;
}
