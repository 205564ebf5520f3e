// Whole-buffer encoding of editor text in each save form and line break gives what encoding line
// by line gives, and its pieces join to the whole.
#include "FuzzCheck.h"
#include "support/LineByLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the encoding, the line break and the piece size; the rest is the text.
    const Encoding form = *Encoding::fromIndex(data[0] % 4);
    const auto lineBreak = LineBreak(data[0] / 4 % 3);
    const qsizetype chunkBytes = 1 + data[0] / 12;
    const QByteArrayView text = fuzzBytes(data + 1, size - 1);

    const QByteArray file = encodeDocument(text, form, lineBreak);
    fuzzCheck(file == LineByLine::encode(text.toByteArray(), form, lineBreak),
              "encode = line by line", file);

    QByteArray joined;
    encodeDocument(
        text, form, lineBreak, [&](QByteArrayView piece) { joined += piece; }, chunkBytes);
    fuzzCheck(joined == file, "pieces join to the whole", joined);
    return 0;
}
