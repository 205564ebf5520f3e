#pragma once

#include <QString>

// The HTML code of a colour: "#" and six upper-case hex digits, red first ("#FF6600").
QString htmlColourCode(int red, int green, int blue);
// The colour as one number with red in the lowest byte: red + 256 * green + 65536 * blue.
QString decimalColourCode(int red, int green, int blue);
