#pragma once

#include "encoding/Encoding.h"

#include <QString>

// Encoding::name() of index 0..3; empty for anything else.
QString encodingName(int index);
// The index of Encoding::fromName(name), otherwise -1.
int encodingIndexOfName(const QString& name);
