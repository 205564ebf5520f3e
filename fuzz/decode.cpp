// Whole-buffer decoding of a file in each encoding gives what decoding line by line gives, and
// its pieces join to the whole, each one well-formed UTF-8.
#include "FuzzCheck.h"
#include "support/LineByLine.h"

#include "encoding/WellFormedStretch.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

bool isWellFormed(QByteArrayView bytes)
{
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom);
    const QString unused = strict(bytes);
    return !strict.hasError();
}

// Every scan path ends each stretch where the scalar walk does, short of `stop` or not.
void checkScanPaths(QByteArrayView file, qsizetype stopEvery)
{
    using namespace Utf8Scan;
    const auto* const begin = reinterpret_cast<const Byte*>(file.data());
    const Byte* const end = begin + file.size();
    for (const Byte* p = begin; p < end;) {
        const Byte* const stop = std::min(end, p + stopEvery);
        const Byte* const scalar =
            wellFormedStretchEnd<TextLines::FileBreaksOtherThanLf>(ScanPath::Scalar, p, stop, end);
        for (const ScanPath path : {ScanPath::Sse2, ScanPath::Avx2}) {
            if (scanPathAvailable(path))
                fuzzCheck(wellFormedStretchEnd<TextLines::FileBreaksOtherThanLf>(path, p, stop,
                                                                                 end) == scalar,
                          "scan paths agree", QByteArray::number(scalar - begin));
        }
        p = scalar == p ? p + 1 : scalar;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the encoding and the piece size; the rest is the file.
    const Encoding encoding = *Encoding::fromIndex(data[0] % 4);
    const qsizetype chunkBytes = 1 + data[0] / 4;
    const QByteArrayView file = fuzzBytes(data + 1, size - 1);

    const QByteArray text = decodeDocument(file, encoding);
    fuzzCheck(text == LineByLine::decode(file, encoding), "decode = line by line", text);
    fuzzCheck(isWellFormed(text), "decoded text is well-formed UTF-8", text);

    QByteArray joined;
    decodeDocument(
        file, encoding,
        [&](QByteArrayView piece) {
            fuzzCheck(!piece.isEmpty(), "no empty piece");
            fuzzCheck(isWellFormed(piece), "each piece ends on a character boundary",
                      piece.toByteArray());
            joined += piece;
        },
        chunkBytes);
    fuzzCheck(joined == text, "pieces join to the whole", joined);
    checkScanPaths(file, chunkBytes);
    return 0;
}
