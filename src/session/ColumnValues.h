#pragma once

#include "session/ColumnArena.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

namespace zel {

/// A growable array of plain values (numbers, bitmap words, text numbers): the part of a
/// std::vector that columns use, with two additions. Its buffer can be a slice of a table's
/// ColumnArena, and it can grow without filling the new room first, for values that are
/// read straight into it from a file. Outside an arena the buffer is a heap block, which
/// realloc can grow in place.
template <typename T> class ColumnValues
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    using value_type = T;
    using iterator = T *;
    using const_iterator = const T *;

    ColumnValues() = default;
    ~ColumnValues() { release(); }
    ColumnValues(const ColumnValues &other) { append(other.begin(), other.size()); }
    ColumnValues &operator=(const ColumnValues &other)
    {
        if (this != &other) {
            m_size = 0;
            append(other.begin(), other.size());
        }
        return *this;
    }
    ColumnValues(ColumnValues &&other) noexcept { take(other); }
    ColumnValues &operator=(ColumnValues &&other) noexcept
    {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    size_t capacity() const { return m_capacity; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T *begin() { return m_data; }
    T *end() { return m_data + m_size; }
    const T *begin() const { return m_data; }
    const T *end() const { return m_data + m_size; }
    T &operator[](size_t i) { return m_data[i]; }
    const T &operator[](size_t i) const { return m_data[i]; }
    T &back() { return m_data[m_size - 1]; }
    operator std::span<const T>() const { return { m_data, m_size }; }

    /// Makes room for \a count values in all.
    void reserve(size_t count)
    {
        if (count > m_capacity)
            reallocate(count);
    }
    /// Makes room for \a count values in a slice of \a arena, moving the values there; keeps
    /// the heap when the arena has no room left.
    void reserveIn(const std::shared_ptr<ColumnArena> &arena, size_t count)
    {
        if (!arena || (m_arena == arena && count <= m_capacity))
            return;
        void *slice = arena->allocate(std::max(count, m_size) * sizeof(T));
        if (!slice) {
            reserve(count);
            return;
        }
        if (m_size)
            std::memcpy(slice, m_data, m_size * sizeof(T));
        const size_t size = m_size;
        release();
        m_data = static_cast<T *>(slice);
        m_size = size;
        m_capacity = std::max(count, size);
        m_arena = arena;
    }

    void push_back(const T &value)
    {
        if (m_size == m_capacity)
            grow(m_size + 1);
        m_data[m_size++] = value;
    }
    void emplace_back() { push_back(T {}); }
    /// Appends \a count values from \a values.
    void append(const T *values, size_t count)
    {
        if (count == 0)
            return;
        if (m_size + count > m_capacity) {
            // The values may be this array's own, which growing moves.
            const bool own = values >= m_data && values < m_data + m_size;
            const size_t offset = own ? size_t(values - m_data) : 0;
            grow(m_size + count);
            if (own)
                values = m_data + offset;
        }
        std::memmove(m_data + m_size, values, count * sizeof(T));
        m_size += count;
    }
    /// Appends the values [first, last); \a position must be end(), the one place a
    /// column inserts at.
    void insert([[maybe_unused]] const T *position, const T *first, const T *last)
    {
        assert(position == end());
        append(first, size_t(last - first));
    }
    /// Grows or shrinks to \a count values; new values are zero.
    void resize(size_t count, const T &value = T {})
    {
        const size_t old = m_size;
        resizeUninitialized(count);
        std::fill(m_data + std::min(old, count), m_data + count, value);
    }
    /// Grows or shrinks to \a count values; new values are left as the memory holds them,
    /// for the caller to overwrite.
    void resizeUninitialized(size_t count)
    {
        if (count > m_capacity)
            grow(count);
        m_size = count;
    }
    void assign(size_t count, const T &value)
    {
        m_size = 0;
        resize(count, value);
    }
    /// Removes the value at \a position; later values move down by one.
    void erase(T *position)
    {
        std::memmove(position, position + 1, size_t(end() - position - 1) * sizeof(T));
        --m_size;
    }
    void clear() { m_size = 0; }
    /// Gives back the memory of an empty array (a slice of an arena goes with the arena).
    void shrink_to_fit()
    {
        if (m_size == 0)
            release();
    }

private:
    void grow(size_t needed) { reallocate(std::max(needed, m_capacity + m_capacity / 2 + 16)); }

    void reallocate(size_t count)
    {
        if (m_arena) {
            T *heap = static_cast<T *>(std::malloc(count * sizeof(T)));
            if (!heap)
                throw std::bad_alloc();
            std::memcpy(heap, m_data, m_size * sizeof(T));
            m_arena.reset();
            m_data = heap;
        } else {
            T *grown = static_cast<T *>(std::realloc(m_data, count * sizeof(T)));
            if (!grown)
                throw std::bad_alloc();
            m_data = grown;
        }
        m_capacity = count;
    }

    void release()
    {
        if (!m_arena)
            std::free(m_data);
        m_arena.reset();
        m_data = nullptr;
        m_size = 0;
        m_capacity = 0;
    }

    void take(ColumnValues &other)
    {
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_arena = std::move(other.m_arena);
    }

    T *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
    std::shared_ptr<ColumnArena> m_arena; ///< set while the buffer is a slice of it
};

} // namespace zel
