// Bytes from memory, handed out in pieces of at most `piece` bytes as a file or a pipe might,
// so that a reader can be tried on every way its input is split. The caller keeps the data.
#pragma once

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

#include "norms/byte_source.hpp"

class MemorySource : public norms::ByteSource {
public:
    explicit MemorySource(std::string_view data,
                          std::size_t piece = std::numeric_limits<std::size_t>::max())
        : data_(data), piece_(piece)
    {
    }

    std::size_t read(char* buffer, std::size_t size) override
    {
        const std::size_t count = std::min({size, piece_, data_.size() - position_});
        std::memcpy(buffer, data_.data() + position_, count);
        position_ += count;
        return count;
    }

private:
    std::string_view data_;
    std::size_t piece_;
    std::size_t position_ = 0;
};
