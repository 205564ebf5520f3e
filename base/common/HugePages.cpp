#include "common/HugePages.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

void preferHugePages(void* data, std::size_t size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t HugePage = 2 << 20;
    if (size < 2 * HugePage)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + HugePage - 1) & ~(HugePage - 1);
    const std::uintptr_t end = (start + size) & ~(HugePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}
