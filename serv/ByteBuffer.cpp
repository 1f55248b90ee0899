#include "ByteBuffer.h"

#include <algorithm>
#include <cstring>

char* ByteBuffer::tail(std::size_t n)
{
    if (capacity_ - end_ >= n)
        return bytes_.get() + end_;
    const std::size_t used = size();
    if (begin_ > 0 && capacity_ - used >= n && used <= capacity_ / 2) {
        // Enough room once the consumed front is reused.
        std::memmove(bytes_.get(), data(), used);
    } else {
        const std::size_t grown = std::max(used + n, capacity_ * 2);
        auto bigger = std::make_unique_for_overwrite<char[]>(grown);
        if (used > 0)
            std::memcpy(bigger.get(), data(), used);
        bytes_ = std::move(bigger);
        capacity_ = grown;
    }
    begin_ = 0;
    end_ = used;
    return bytes_.get() + end_;
}

void ByteBuffer::append(const char* bytes, std::size_t n)
{
    if (n == 0)
        return;
    std::memcpy(tail(n), bytes, n);
    commit(n);
}

void ByteBuffer::consume(std::size_t n)
{
    begin_ += std::min(n, size());
    if (begin_ == end_)
        begin_ = end_ = 0;
}

void ByteBuffer::release()
{
    bytes_.reset();
    capacity_ = begin_ = end_ = 0;
}
