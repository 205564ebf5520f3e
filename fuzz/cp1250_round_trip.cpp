// Every byte string survives windows-1250 to text and back, and text written as windows-1250
// reads back as text that writes the same bytes again.
#include "FuzzCheck.h"

#include "support/ReferenceConversions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes = fuzzBytes(data, size);
    const QString text = Cp1250ToWide(bytes);
    fuzzCheck(text.size() == bytes.size(), "one character per byte");
    fuzzCheck(WideToCp1250(text) == bytes, "bytes round-trip", WideToCp1250(text));

    const QByteArray written = WideToCp1250(Utf8ToWide(bytes));
    fuzzCheck(WideToCp1250(Cp1250ToWide(written)) == written, "written bytes read back", written);
    return 0;
}
