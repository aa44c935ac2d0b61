#include "norms/read/portable_file_source.hpp"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdio>
#include <limits>
#include <optional>

namespace norms {
namespace {

constexpr std::size_t free_text_length = 200;
constexpr std::size_t table_length = 256;
constexpr std::size_t line_length = 80;
// The table's first 64 places are control characters, which no reader decodes.
constexpr std::size_t first_decoded_place = 64;
// The free text and the table take at most 7 lines with their ends in any file ReadStat reads.
constexpr std::size_t head_length = 4096;

}  // namespace

void mend_portable_translation_table(std::string& head)
{
    // Where each place of the table stands in `head`; none for a place that an early line end
    // fills, which ReadStat fills with the byte 0.
    std::array<std::optional<std::size_t>, table_length> offsets;
    std::size_t place = 0;  // in the file's text, line ends left out and short lines filled
    std::size_t column = 0;
    for (std::size_t at = 0; at < head.size() && place < free_text_length + table_length; ++at) {
        if (head[at] == '\r' || head[at] == '\n') {
            if (head[at] == '\r' && at + 1 < head.size() && head[at + 1] == '\n')
                ++at;
            place += column < line_length ? line_length - column : 0;
            column = 0;
            continue;
        }
        if (place >= free_text_length)
            offsets[place - free_text_length] = at;
        ++place;
        ++column;
    }
    if (place <= free_text_length)
        return;
    const std::size_t places = std::min(place - free_text_length, table_length);
    const auto byte_at = [&](std::size_t p) {
        return offsets[p] ? static_cast<unsigned char>(head[*offsets[p]]) : 0u;
    };

    std::bitset<256> used;
    for (std::size_t p = 0; p < places; ++p)
        used.set(byte_at(p));
    used.set('\r');  // a line end is never a character
    used.set('\n');
    std::bitset<256> seen;
    unsigned spare = 0;
    for (std::size_t p = first_decoded_place; p < places; ++p) {
        const unsigned byte = byte_at(p);
        if (!seen[byte]) {
            seen.set(byte);
            continue;
        }
        if (!offsets[p])
            continue;  // the filling of a short line cannot change
        while (spare < 256 && used[spare])
            ++spare;
        if (spare == 256)
            return;
        head[*offsets[p]] = static_cast<char>(spare);
        used.set(spare);
    }
}

void PortableFileSource::read_head()
{
    head_read_ = true;
    if (source_position_ != 0 && source_.seek(0, SEEK_SET) != 0)
        return;  // a source that cannot go back is handed on as it is
    source_position_ = 0;
    head_.resize(head_length);
    std::size_t filled = 0;
    for (std::size_t count = 1; filled < head_.size() && count > 0; filled += count)
        count = source_.read(head_.data() + filled, head_.size() - filled);
    head_.resize(filled);
    source_position_ = static_cast<std::int64_t>(filled);
    mend_portable_translation_table(head_);
}

std::size_t PortableFileSource::read(char* buffer, std::size_t size)
{
    if (!head_read_ && position_ == 0)
        read_head();
    const auto head_size = static_cast<std::int64_t>(head_.size());
    if (position_ < head_size) {
        const std::size_t count = std::min(size, static_cast<std::size_t>(head_size - position_));
        std::copy_n(head_.data() + position_, count, buffer);
        position_ += static_cast<std::int64_t>(count);
        return count;
    }
    if (source_position_ != position_) {
        if (source_.seek(position_, SEEK_SET) != position_)
            return 0;
        source_position_ = position_;
    }
    const std::size_t count = source_.read(buffer, size);
    position_ += static_cast<std::int64_t>(count);
    source_position_ = position_;
    return count;
}

std::int64_t PortableFileSource::seek(std::int64_t offset, int whence)
{
    // The source's place may lag behind: the head was read ahead.
    if (whence == SEEK_CUR) {
        if (offset > std::numeric_limits<std::int64_t>::max() - position_)
            return -1;
        offset += position_;
        whence = SEEK_SET;
    }
    const std::int64_t place = source_.seek(offset, whence);
    if (place < 0)
        return -1;
    source_position_ = place;
    position_ = place;
    return place;
}

}  // namespace norms
