// The charset line is the first line that holds "charset" with A-Z lower-cased; its class and
// the file's encoding are always one of the known names, consistent with each other.
#include "FuzzCheck.h"

#include "encoding/CharsetDetection.h"
#include "encoding/TextLines.h"
#include "support/ReferenceLines.h"

#include <QList>
#include <QStringList>

#include <QStringDecoder>

namespace {

CharsetLine referenceCharsetLine(QByteArrayView bytes)
{
    const QList<QByteArray> lines = splitLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray lowered = lines[i];
        for (char& c : lowered)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        if (lowered.contains("charset"))
            return {i, lowered};
    }
    return {};
}

bool referenceMultibyteUtf8(QByteArrayView bytes)
{
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom);
    const QString unused = strict(bytes);
    return !strict.hasError() &&
           std::any_of(bytes.begin(), bytes.end(), [](char c) { return (unsigned char)c >= 0x80; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes = fuzzBytes(data, size);
    const CharsetLine found = findCharsetLine(bytes);
    const CharsetLine expected = referenceCharsetLine(bytes);
    fuzzCheck(found.index == expected.index && found.loweredText == expected.loweredText,
              "first line holding charset", found.loweredText);

    const QStringList names{QString(), "CP-1250", "ISO-8859-2", "UTF-8"};
    const QString declared = ClassifyCharsetLine(found.loweredText);
    fuzzCheck(names.contains(declared), "a known declaration");
    fuzzCheck(names.contains(ClassifyCharsetLine(bytes)), "any bytes classify");

    const bool multibyte = isMultibyteUtf8(bytes);
    fuzzCheck(multibyte == referenceMultibyteUtf8(bytes), "strict multi-byte UTF-8");
    const QString encoding = detectFileEncoding(bytes);
    const QString expectedEncoding =
        !declared.isEmpty() ? declared : (multibyte ? QStringLiteral("UTF-8") : "Nieznany");
    fuzzCheck(encoding == expectedEncoding, "declaration, then UTF-8, then Nieznany",
              encoding.toUtf8());
    fuzzCheck(detectFileEncoding(bytes, found) == encoding, "same with the line given");
    return 0;
}
