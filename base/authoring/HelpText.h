#pragma once

#include <QString>

// What the help window says about the program, paragraph by paragraph, lines joined by '\n'.
QString helpText();
