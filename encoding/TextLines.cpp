#include "encoding/TextLines.h"

#include <cstring>

LineBreak detectLineBreak(QByteArrayView fileBytes)
{
    if (fileBytes.isEmpty())
        return LineBreak::CrLf;
    const bool hasCr = std::memchr(fileBytes.data(), '\r', fileBytes.size()) != nullptr;
    const bool hasLf = std::memchr(fileBytes.data(), '\n', fileBytes.size()) != nullptr;
    if (hasCr && !hasLf)
        return LineBreak::Cr;
    if (hasLf && !hasCr)
        return LineBreak::Lf;
    return LineBreak::CrLf;
}

QByteArrayView lineBreakBytes(LineBreak lineBreak)
{
    switch (lineBreak) {
    case LineBreak::Cr:
        return "\r";
    case LineBreak::Lf:
        return "\n";
    case LineBreak::CrLf:
        break;
    }
    return "\r\n";
}
