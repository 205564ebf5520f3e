// Lines split at CR LF, lone CR, lone LF and NUL; a break at the end starts no line; the counts
// and the detected convention agree with a plain walk over the bytes.
#include "FuzzCheck.h"

#include "encoding/TextLines.h"
#include "support/ReferenceLines.h"

#include <QList>
#include <QStringList>

namespace {

bool isBreak(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes = fuzzBytes(data, size);
    QList<QByteArray> expected;
    QByteArray line;
    qsizetype breaks = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!isBreak(bytes[i])) {
            line += bytes[i];
            continue;
        }
        expected.append(line);
        line.clear();
        ++breaks;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    if (!line.isEmpty())
        expected.append(line);

    fuzzCheck(splitLines(bytes) == expected, "lines");
    fuzzCheck(countLineBreaks(bytes) == breaks, "breaks");
    const bool cr = bytes.contains('\r'), lf = bytes.contains('\n');
    const LineBreak convention =
        cr && !lf ? LineBreak::Cr : (lf && !cr ? LineBreak::Lf : LineBreak::CrLf);
    fuzzCheck(detectLineBreak(bytes) == convention, "line-break convention");
    return 0;
}
