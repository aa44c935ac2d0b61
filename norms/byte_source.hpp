// The bytes of a data file, read in pieces: the frequency file and the per-person file are both
// read through this, and the tests and the fuzzer hand their readers bytes from memory.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace norms {

// read() fills up to `size` bytes and gives their count, 0 at the end; it throws
// platform::Failure when the file cannot be read.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// Opens a data file for reading from its start; throws platform::Failure when it cannot.
std::unique_ptr<ByteSource> OpenDataFile(const std::string& path);

}  // namespace norms
