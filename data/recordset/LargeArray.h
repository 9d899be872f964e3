#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

// The memory under a LargeArray. A large block is mapped straight from the
// system in huge pages where the system offers them, and grows in place of
// being copied: filling a hundred megabytes of fresh memory page by page
// costs more than reading the rows that go into it. Small blocks come from
// the ordinary heap, so that a table of thirty rows does not hold a huge page.
class LargeBlock
{
public:
    LargeBlock() = default;
    ~LargeBlock() { release(); }
    LargeBlock(LargeBlock &&other) noexcept { swap(other); }
    LargeBlock &operator=(LargeBlock &&other) noexcept
    {
        LargeBlock(std::move(other)).swap(*this);
        return *this;
    }
    LargeBlock(const LargeBlock &) = delete;
    LargeBlock &operator=(const LargeBlock &) = delete;

    void *data() const { return data_; }
    size_t capacity() const { return capacity_; }
    // At least `bytes` from now on, the first `used` of them kept.
    // Throws std::bad_alloc when the system has no more.
    void grow(size_t bytes, size_t used);
    // Hands the pages beyond the first `used` bytes back to the system.
    void trim(size_t used);
    // Moves the pages of `other` (of which `otherUsed` bytes hold values) to
    // follow the first `at` bytes of this block, without copying them, and
    // leaves `other` empty; what this block held beyond `at` is dropped.
    // False, with both blocks as they were, when that cannot be done: `at`
    // not on a page boundary, or a block on the heap.
    bool adopt(size_t at, LargeBlock &other, size_t otherUsed);
    void release();

private:
    void swap(LargeBlock &other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(capacity_, other.capacity_);
        std::swap(mapped_, other.mapped_);
    }

    void *data_ = nullptr;
    size_t capacity_ = 0;
    bool mapped_ = false;
};

// A growing array of plain values (numbers, offsets, bytes) for the tables of
// a snapshot and the orders made from them: a million rows in a few arrays
// that are filled once and read often.
template <typename T> class LargeArray
{
    static_assert(std::is_trivially_copyable_v<T>, "values are moved as bytes");

public:
    LargeArray() = default;
    explicit LargeArray(size_t count, T value = T()) { resize(count, value); }
    LargeArray(LargeArray &&other) noexcept
        : block_(std::move(other.block_)), size_(std::exchange(other.size_, 0))
    {
    }
    LargeArray &operator=(LargeArray &&other) noexcept
    {
        block_ = std::move(other.block_);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }
    LargeArray(const LargeArray &other) { append(other.begin(), other.size()); }
    LargeArray &operator=(const LargeArray &other)
    {
        if (this != &other) {
            clear();
            append(other.begin(), other.size());
        }
        return *this;
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T *data() { return static_cast<T *>(block_.data()); }
    const T *data() const { return static_cast<const T *>(block_.data()); }
    T *begin() { return data(); }
    T *end() { return data() + size_; }
    const T *begin() const { return data(); }
    const T *end() const { return data() + size_; }
    T &operator[](size_t i) { return data()[i]; }
    const T &operator[](size_t i) const { return data()[i]; }
    T &back() { return data()[size_ - 1]; }
    const T &back() const { return data()[size_ - 1]; }

    void reserve(size_t count)
    {
        if (count > block_.capacity() / sizeof(T))
            block_.grow(count * sizeof(T), size_ * sizeof(T));
    }
    void push_back(const T &value)
    {
        if (size_ == block_.capacity() / sizeof(T))
            reserve(size_ < 16 ? 16 : size_ * 2);
        data()[size_++] = value;
    }
    void append(const T *values, size_t count)
    {
        if (count == 0)
            return;
        std::memcpy(extend(count), values, count * sizeof(T));
    }
    // `count` more values, left for the caller to write; the first of them.
    T *extend(size_t count)
    {
        if (size_ + count > block_.capacity() / sizeof(T))
            reserve(size_ + count > size_ * 2 ? size_ + count : size_ * 2);
        size_ += count;
        return data() + size_ - count;
    }
    // Drops the values from `count` on.
    void truncate(size_t count)
    {
        if (count < size_)
            size_ = count;
    }
    void resize(size_t count, T value = T())
    {
        reserve(count);
        for (size_t i = size_; i < count; ++i)
            data()[i] = value;
        size_ = count;
    }
    void erase(size_t index)
    {
        std::memmove(data() + index, data() + index + 1, (size_ - index - 1) * sizeof(T));
        --size_;
    }
    // The values of `other` after these, its memory taken over where this
    // array ends on a page boundary, else copied; `other` is left empty.
    void adopt(LargeArray &&other)
    {
        if (block_.adopt(size_ * sizeof(T), other.block_, other.size_ * sizeof(T))) {
            size_ += std::exchange(other.size_, 0);
            return;
        }
        append(other.data(), other.size());
        other = LargeArray();
    }
    // Keeps the memory for the next filling.
    void clear() { size_ = 0; }
    // Gives back what a filling reserved and did not use.
    void shrink() { block_.trim(size_ * sizeof(T)); }

private:
    LargeBlock block_;
    size_t size_ = 0;
};
