#pragma once

#include <cstddef>

// A fresh buffer of many megabytes costs more in page faults than in what is written to it:
// asking for 2 MB pages for the whole 2 MB stretches of [data, data + size) cuts that cost
// several times where the kernel leaves huge pages to madvise(). Small buffers are left alone.
void preferHugePages(void* data, std::size_t size);
