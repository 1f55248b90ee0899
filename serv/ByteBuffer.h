#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>

// A growable run of bytes, read from the front and filled at the back, that
// never zeroes what it is about to overwrite. The relay reads straight into
// its tail and keeps a slow reader's unsent bytes in one.
class ByteBuffer {
public:
    const char* data() const { return bytes_.get() + begin_; }
    std::size_t size() const { return end_ - begin_; }
    bool empty() const { return begin_ == end_; }
    std::size_t capacity() const { return capacity_; }

    // At least n writable bytes after the end; commit() what was written.
    char* tail(std::size_t n);
    void commit(std::size_t n) { end_ += n; }
    void append(const char* bytes, std::size_t n);
    // Forgets the first n bytes.
    void consume(std::size_t n);
    // Forgets the last n bytes.
    void truncate(std::size_t n) { end_ -= std::min(n, size()); }
    void clear() { begin_ = end_ = 0; }
    // Gives the memory back.
    void release();

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};
