#include "encoding/EncodingNames.h"

#include <array>

namespace {

constexpr std::array<QLatin1StringView, 4> Names{
    QLatin1StringView("UTF-8"), QLatin1StringView("ISO-8859-2"), QLatin1StringView("CP-1250"),
    QLatin1StringView("Nieznany")};

} // namespace

QString encodingName(int index)
{
    if (index < 0 || index >= int(Names.size()))
        return {};
    return Names[index];
}

int encodingIndexOfName(const QString& name)
{
    for (int index = 0; index < int(Names.size()); ++index) {
        if (name == Names[index])
            return index;
    }
    return NoEncoding;
}
