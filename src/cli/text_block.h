// The bytes of an XYZ input as they are read, in storage that is handed from
// batch to batch. Unlike a std::string, making room for a read does not
// first fill it with zeros.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace quorv::cli {

class TextBlock {
public:
    std::string_view view() const { return {data_.get(), size_}; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }

    // Room for `bytes` more at the end, to be filled and then taken with grew().
    char* room(std::size_t bytes) {
        if (capacity_ - size_ < bytes) {
            const std::size_t wanted = std::max(size_ + bytes, 2 * capacity_);
            auto larger = std::make_unique_for_overwrite<char[]>(wanted);
            if (size_ != 0) std::memcpy(larger.get(), data_.get(), size_);
            data_ = std::move(larger);
            capacity_ = wanted;
        }
        return data_.get() + size_;
    }
    void grew(std::size_t bytes) { size_ += bytes; }

    // Replaces the content with the bytes of `from` from `offset` on.
    void assign_tail(const TextBlock& from, std::size_t offset) {
        const std::size_t bytes = from.size_ - offset;
        size_ = 0;
        if (bytes == 0) return;
        std::memcpy(room(bytes), from.data_.get() + offset, bytes);
        size_ = bytes;
    }

    // Drops the first `bytes` bytes, moving the rest to the front.
    void drop_front(std::size_t bytes) {
        std::memmove(data_.get(), data_.get() + bytes, size_ - bytes);
        size_ -= bytes;
    }

    void clear() { size_ = 0; }
    // Gives back storage beyond `bytes`, for a block that grew for one large frame.
    void release_beyond(std::size_t bytes) {
        if (capacity_ > bytes) *this = TextBlock{};
    }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace quorv::cli
