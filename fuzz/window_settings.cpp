// Any settings file parses without harm: the values read before the first fault, an error
// exactly when fewer than four were read, and four values written back read the same.
#include "FuzzCheck.h"

#include "app/WindowSettings.h"

#include <QRect>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const WindowSettings settings = parseWindowSettings(fuzzBytes(data, size).toByteArray());
    fuzzCheck(settings.count >= 0 && settings.count <= 4, "count within four");
    fuzzCheck(settings.error.isEmpty() == (settings.count == 4), "an error when a value is missing",
              settings.error.toUtf8());
    if (settings.count == 4) {
        const auto& v = settings.values;
        QByteArray written;
        for (int value : v)
            written += QByteArray::number(value) + "\r\n";
        const WindowSettings again = parseWindowSettings(written);
        fuzzCheck(again.count == 4 && again.values == v, "values written back read the same",
                  written);
    }
    return 0;
}
