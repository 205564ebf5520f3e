#include "search/LinePlace.h"

#include <QStringList>

#include <algorithm>

namespace {

std::optional<long> positiveNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || !std::all_of(trimmed.begin(), trimmed.end(),
                                          [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const long value = trimmed.toLong(&ok);
    if (!ok || value < 1)
        return std::nullopt;
    return value;
}

QString grouped(long number)
{
    QString digits = QString::number(number);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QChar(0x00A0));
    return digits;
}

} // namespace

std::optional<LinePlace> parseLinePlace(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 2)
        return std::nullopt;
    const auto line = positiveNumber(parts[0]);
    if (!line)
        return std::nullopt;
    if (parts.size() == 1)
        return LinePlace{*line, 0};
    const auto column = positiveNumber(parts[1]);
    if (!column)
        return std::nullopt;
    return LinePlace{*line, *column};
}

QString lineRangeText(long lineCount)
{
    return QStringLiteral("1–") + grouped(std::max(lineCount, 1L));
}

LinePlace nearestPlace(const LinePlace& place, long lineCount)
{
    return {std::clamp(place.line, 1L, std::max(lineCount, 1L)), std::max(place.column, 1L)};
}
