#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <thread>

namespace zel {

/// One memory area for the values of a whole table, handed out in slices, one per column.
///
/// A session log's columns are some hundred of 1.4 MB buffers filled together, row by row.
/// Allocated one by one, every 4 KiB page of them is first touched by a page fault of its
/// own, which on a virtual machine costs more than the filling. One area, aligned to 2 MiB
/// and marked for transparent huge pages, is backed by a few dozen large pages instead.
/// Slices are never returned one by one: the area goes when the last column holding a slice
/// of it lets go (ColumnValues keeps a reference).
///
/// The system clears every new page before handing it out, which for a large area costs
/// more than filling it. Where there is a second core, a helper thread asks for the pages
/// from the end of the area backwards while the owner fills it from the start, so the two
/// cores share the clearing.
class ColumnArena
{
public:
    /// An area of at least \a bytes, or null when the system refuses the mapping (the
    /// columns then use the heap).
    static std::shared_ptr<ColumnArena> create(size_t bytes);
    ~ColumnArena();
    ColumnArena(const ColumnArena &) = delete;
    ColumnArena &operator=(const ColumnArena &) = delete;

    /// A slice of \a bytes, aligned for any column value; null when the area is used up.
    void *allocate(size_t bytes);
    /// Bytes still free.
    size_t available() const { return m_size - m_used; }

    /// Areas smaller than this are not worth a mapping of their own.
    static constexpr size_t kMinimumBytes = size_t(4) << 20;

    /// Areas from this size on are prepared by a helper thread.
    static constexpr size_t kPreparedBytes = size_t(32) << 20;

private:
    ColumnArena(void *mapping, size_t mappingSize, char *base, size_t size);
    void prepareBackwards();

    void *m_mapping;
    size_t m_mappingSize;
    char *m_base;
    size_t m_size;
    size_t m_used = 0;
    std::atomic<bool> m_stopPreparing { false };
    std::thread m_preparer;
};

} // namespace zel
