#include "encoding/EncodingNames.h"

QString encodingName(int index)
{
    const std::optional<Encoding> encoding = Encoding::fromIndex(index);
    return encoding ? encoding->name() : QString();
}

int encodingIndexOfName(const QString& name)
{
    const std::optional<Encoding> encoding = Encoding::fromName(name);
    return encoding ? encoding->index() : NoEncoding;
}
