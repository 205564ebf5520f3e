// The editor keeps a large document's text and colours in two buffers of its own, allocated
// with `new` and filled with zeros at once: they get huge pages here, which makes opening a
// 100 MB page markedly faster. Every other allocation goes on as the standard library's.
//
// The library archive is searched for the undefined `operator new` of every program linked to
// it, so this definition is always the one used. The sanitizers bring their own.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TAGOMIR_SANITIZED_ALLOCATIONS
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAGOMIR_SANITIZED_ALLOCATIONS
#endif

#ifndef TAGOMIR_SANITIZED_ALLOCATIONS

#include "encoding/HugePages.h"

#include <cstdlib>
#include <new>

void* operator new(std::size_t size)
{
    for (;;) {
        if (void* block = std::malloc(size ? size : 1)) {
            preferHugePages(block, size);
            return block;
        }
        const std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

#endif
