// Bytes from memory, handed out in pieces of at most `piece` bytes as a file or a pipe might,
// so that a reader can be tried on every way its input is split. The caller keeps the data.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "norms/read/byte_source.hpp"

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

    std::int64_t seek(std::int64_t offset, int whence) override
    {
        const auto base = static_cast<std::int64_t>(
            whence == SEEK_SET ? 0 : whence == SEEK_CUR ? position_ : data_.size());
        if (offset < -base || offset > std::numeric_limits<std::int64_t>::max() - base)
            return -1;
        // A place beyond the end reads nothing, as in a file.
        position_ = std::min(static_cast<std::size_t>(base + offset), data_.size());
        return base + offset;
    }

private:
    std::string_view data_;
    std::size_t piece_;
    std::size_t position_ = 0;
};
