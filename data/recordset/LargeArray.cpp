#include "LargeArray.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#define LARGE_BLOCKS_MAPPED 1
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

#ifdef LARGE_BLOCKS_MAPPED
constexpr size_t HugePage = size_t(2) << 20;
// Blocks under a huge page stay on the heap, which hands freed memory out
// again: a huge page is resident as a whole once touched, and a fresh mapping
// must be cleared before use, which costs a small sort more than it saves.
constexpr size_t MappedFrom = HugePage;

size_t roundUp(size_t n, size_t to)
{
    return (n + to - 1) / to * to;
}

// A fresh mapping that starts on a huge-page boundary, so that all of it can
// be backed by huge pages.
void *mapAligned(size_t bytes)
{
    const size_t span = bytes + HugePage;
    void *raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = roundUp(start, HugePage);
    if (aligned > start)
        munmap(raw, aligned - start);
    const std::uintptr_t end = aligned + bytes;
    if (start + span > end)
        munmap(reinterpret_cast<void *>(end), start + span - end);
    // Only advice: without huge pages the block works all the same.
    madvise(reinterpret_cast<void *>(aligned), bytes, MADV_HUGEPAGE);
    return reinterpret_cast<void *>(aligned);
}

#endif

} // namespace

void LargeBlock::grow(size_t bytes, size_t used)
{
    if (bytes <= capacity_)
        return;
#ifdef LARGE_BLOCKS_MAPPED
    if (bytes >= MappedFrom) {
        bytes = roundUp(bytes, HugePage);
        if (!mapped_) {
            void *fresh = mapAligned(bytes);
            if (used)
                std::memcpy(fresh, data_, used);
            std::free(data_);
            data_ = fresh;
            capacity_ = bytes;
        } else {
            // The old pages move over a fresh place, grown to the new size in
            // one mapping, without being copied; failing that, they are copied.
            void *fresh = mapAligned(bytes);
            if (mremap(data_, capacity_, bytes, MREMAP_MAYMOVE | MREMAP_FIXED, fresh) ==
                MAP_FAILED) {
                std::memcpy(fresh, data_, used);
                munmap(data_, capacity_);
            }
            data_ = fresh;
            capacity_ = bytes;
        }
        mapped_ = true;
        return;
    }
#endif
    (void)used; // realloc keeps what is there
    void *grown = std::realloc(data_, bytes);
    if (!grown)
        throw std::bad_alloc();
    data_ = grown;
    capacity_ = bytes;
}

bool LargeBlock::adopt(size_t at, LargeBlock &other, size_t otherUsed)
{
#ifdef LARGE_BLOCKS_MAPPED
    static const auto page = size_t(sysconf(_SC_PAGESIZE));
    if (!mapped_ || !other.mapped_ || at % page != 0 || at > capacity_)
        return false;
    // A place for both; our pages move to its start, the other's after them.
    const size_t bytes = at + other.capacity_;
    char *place = static_cast<char *>(mapAligned(bytes));
    if (at > 0 && mremap(data_, at, at, MREMAP_MAYMOVE | MREMAP_FIXED, place) == MAP_FAILED) {
        munmap(place, bytes);
        return false;
    }
    if (mremap(other.data_, other.capacity_, other.capacity_, MREMAP_MAYMOVE | MREMAP_FIXED,
               place + at) == MAP_FAILED) {
        // Ours have moved already: the other's are copied after them.
        std::memcpy(place + at, other.data_, otherUsed);
        munmap(other.data_, other.capacity_);
    }
    if (capacity_ > at)
        munmap(static_cast<char *>(data_) + at, capacity_ - at);
    data_ = place;
    capacity_ = bytes;
    other.data_ = nullptr;
    other.capacity_ = 0;
    other.mapped_ = false;
    return true;
#else
    (void)at;
    (void)other;
    (void)otherUsed;
    return false;
#endif
}

void LargeBlock::trim(size_t used)
{
#ifdef LARGE_BLOCKS_MAPPED
    if (!mapped_)
        return;
    if (used == 0) {
        release();
        return;
    }
    const size_t keep = roundUp(used, HugePage);
    if (keep < capacity_) {
        munmap(static_cast<char *>(data_) + keep, capacity_ - keep);
        capacity_ = keep;
    }
#else
    (void)used;
#endif
}

void LargeBlock::release()
{
#ifdef LARGE_BLOCKS_MAPPED
    if (mapped_)
        munmap(data_, capacity_);
    else
#endif
        std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
    mapped_ = false;
}
