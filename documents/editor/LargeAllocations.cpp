// The editor keeps a large document's text and colours in two buffers of its own, allocated
// with `new` and filled with zeros at once, and its undo history copies every edit it keeps:
// a replace-all over a 100 MB page copies two hundred megabytes. Blocks of a few megabytes and
// more are mapped here on their own, on a 2 MB boundary and in huge pages, which cuts the cost of
// making such memory several times over. Every smaller block goes on as the standard library's.
//
// The library archive is searched for the undefined `operator new` and `operator delete` of
// every program linked to it, so these definitions are always the ones used. The sanitizers
// bring their own.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TAGOMIR_SANITIZED_ALLOCATIONS
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAGOMIR_SANITIZED_ALLOCATIONS
#endif

#ifndef TAGOMIR_SANITIZED_ALLOCATIONS

#include <array>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

#include <sys/mman.h>

namespace {

constexpr std::size_t HugePage = 2 << 20;
constexpr std::size_t LargeBlock = 3 << 20;

// The blocks mapped here. Every one starts on a 2 MB boundary, which no block of malloc() does
// but by chance: only such pointers are looked up when freed.
class LargeBlocks {
public:
    void* allocate(std::size_t size)
    {
        const std::size_t length = (size + HugePage - 1) & ~(HugePage - 1);
        // Mapped with room to start on a boundary; what lies before and after is unmapped.
        const std::size_t mapped = length + HugePage;
        void* const area =
            mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area == MAP_FAILED)
            return nullptr;
        const auto start = reinterpret_cast<std::uintptr_t>(area);
        const std::uintptr_t block = (start + HugePage - 1) & ~(HugePage - 1);
        if (block > start)
            munmap(area, block - start);
        if (const std::uintptr_t end = start + mapped; end > block + length)
            munmap(reinterpret_cast<void*>(block + length), end - (block + length));
        void* const pointer = reinterpret_cast<void*>(block);
        madvise(pointer, length, MADV_HUGEPAGE);
        const std::lock_guard lock(m_mutex);
        for (Entry& entry : m_entries) {
            if (!entry.block) {
                entry = {pointer, length};
                return pointer;
            }
        }
        // No room to remember it: given back, and malloc() serves the block instead.
        munmap(pointer, length);
        return nullptr;
    }

    // Whether the block was mapped here; if so, it is unmapped.
    bool release(void* pointer)
    {
        if (reinterpret_cast<std::uintptr_t>(pointer) & (HugePage - 1))
            return false;
        std::size_t length = 0;
        {
            const std::lock_guard lock(m_mutex);
            for (Entry& entry : m_entries) {
                if (entry.block == pointer) {
                    length = entry.length;
                    entry = {};
                    break;
                }
            }
        }
        if (!length)
            return false;
        munmap(pointer, length);
        return true;
    }

private:
    struct Entry {
        void* block = nullptr;
        std::size_t length = 0;
    };
    std::mutex m_mutex;
    std::array<Entry, 4096> m_entries{};
};

// Made on first use, never destroyed: blocks may be freed after the end of main().
LargeBlocks& largeBlocks()
{
    alignas(LargeBlocks) static unsigned char storage[sizeof(LargeBlocks)];
    static LargeBlocks* const blocks = new (storage) LargeBlocks;
    return *blocks;
}

void* allocate(std::size_t size)
{
    if (size >= LargeBlock)
        if (void* block = largeBlocks().allocate(size))
            return block;
    return std::malloc(size ? size : 1);
}

} // namespace

void* operator new(std::size_t size)
{
    for (;;) {
        if (void* block = allocate(size))
            return block;
        const std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void operator delete(void* pointer) noexcept
{
    if (pointer && !largeBlocks().release(pointer))
        std::free(pointer);
}

void operator delete(void* pointer, std::size_t) noexcept
{
    operator delete(pointer);
}

#endif
