#include "session/ColumnArena.h"

#include <cstdint>
#include <sys/mman.h>
#include <system_error>

namespace zel {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
// Slices start on cache lines, which suits every value type and keeps columns apart.
constexpr size_t kSliceAlignment = 64;

size_t roundUp(size_t value, size_t unit)
{
    return (value + unit - 1) / unit * unit;
}

} // namespace

std::shared_ptr<ColumnArena> ColumnArena::create(size_t bytes)
{
    const size_t size = roundUp(bytes, kHugePage);
    // One huge page more than needed, so that the area can start on a huge-page boundary.
    const size_t mappingSize = size + kHugePage;
    // Accounted like any allocation, so that a system short of memory refuses the mapping
    // here instead of failing a later write to it.
    void *mapping
        = ::mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return nullptr;
    char *base = reinterpret_cast<char *>(roundUp(reinterpret_cast<uintptr_t>(mapping), kHugePage));
    // A hint: where the system has no transparent huge pages, ordinary pages serve.
    ::madvise(base, size, MADV_HUGEPAGE);
    std::shared_ptr<ColumnArena> arena(new ColumnArena(mapping, mappingSize, base, size));
    if (size >= kPreparedBytes && std::thread::hardware_concurrency() > 1) {
        try {
            arena->m_preparer = std::thread([area = arena.get()] { area->prepareBackwards(); });
        } catch (const std::system_error &) {
            // Without a thread the owner's first touches clear the pages, as they would anyway.
        }
    }
    return arena;
}

void ColumnArena::prepareBackwards()
{
#ifdef MADV_POPULATE_WRITE
    // Populating never changes what the memory holds, so it runs beside the owner's writes;
    // pages the owner reached first are passed over quickly.
    for (size_t end = m_size; end > 0 && !m_stopPreparing.load(std::memory_order_relaxed);
         end -= kHugePage) {
        if (::madvise(m_base + end - kHugePage, kHugePage, MADV_POPULATE_WRITE) != 0)
            return; // an older system, or no memory to spare: the owner's touches do it
    }
#endif
}

ColumnArena::ColumnArena(void *mapping, size_t mappingSize, char *base, size_t size)
    : m_mapping(mapping)
    , m_mappingSize(mappingSize)
    , m_base(base)
    , m_size(size)
{ }

ColumnArena::~ColumnArena()
{
    m_stopPreparing.store(true, std::memory_order_relaxed);
    if (m_preparer.joinable())
        m_preparer.join();
    ::munmap(m_mapping, m_mappingSize);
}

void *ColumnArena::allocate(size_t bytes)
{
    const size_t length = roundUp(bytes, kSliceAlignment);
    if (length > available())
        return nullptr;
    void *slice = m_base + m_used;
    m_used += length;
    return slice;
}

} // namespace zel
