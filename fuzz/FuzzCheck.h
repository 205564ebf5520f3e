#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken property stops the run the way a sanitizer does, so that libFuzzer keeps the input.
inline void fuzzCheck(bool holds, const char* property, const QByteArray& detail = {})
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n%s\n", property, detail.toHex(' ').constData());
    std::abort();
}

// The input as bytes, without copying.
inline QByteArrayView fuzzBytes(const uint8_t* data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size));
}
