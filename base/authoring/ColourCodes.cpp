#include "authoring/ColourCodes.h"

QString htmlColourCode(int red, int green, int blue)
{
    return QStringLiteral("#%1")
        .arg(red * 65536 + green * 256 + blue, 6, 16, QLatin1Char('0'))
        .toUpper();
}

QString decimalColourCode(int red, int green, int blue)
{
    return QString::number(red + green * 256 + blue * 65536);
}
