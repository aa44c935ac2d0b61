// The bytes of a data file, read in pieces: the frequency file and the per-person file are both
// read through this, and the tests and the fuzzer hand their readers bytes from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace norms {

// read() fills up to `size` bytes and gives their count, 0 at the end; it throws
// platform::Failure when the file cannot be read.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // Moves the next read to `offset` bytes from the start (SEEK_SET), from the current place
    // (SEEK_CUR) or from the end (SEEK_END). Gives the new place from the start, or -1 for a
    // place before the start or a source that reads only forward.
    virtual std::int64_t seek(std::int64_t, int) { return -1; }
};

// Opens a data file for reading from its start; throws platform::Failure when it cannot.
std::unique_ptr<ByteSource> OpenDataFile(const std::string& path);

// The whole of a small file, such as a margins file, read as a data file is; throws
// platform::Failure when it cannot be read or holds more than `limit` bytes.
std::string read_small_file(const std::string& path, std::size_t limit);

}  // namespace norms
