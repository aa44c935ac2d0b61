// The bytes of a text file as UTF-8: checked when the file is UTF-8, converted by iconv from
// any other encoding.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <iconv.h>

#include "norms/read/byte_source.hpp"
#include "platform/failure.hpp"

namespace norms {

// Bytes that are not text in the file's encoding. Its message says what was found; a reader
// that knows the line puts it in front.
class InvalidText : public platform::Failure {
public:
    using platform::Failure::Failure;
};

// Whether iconv can convert from the encoding of this name ("windows-1252", "UTF-16", …).
bool IsKnownEncoding(const std::string& encoding);

class TextSource : public ByteSource {
public:
    // An empty encoding means UTF-8. Throws platform::Failure for one iconv does not know.
    TextSource(ByteSource& file, const std::string& encoding);
    ~TextSource() override;
    TextSource(const TextSource&) = delete;
    TextSource& operator=(const TextSource&) = delete;

    // The next UTF-8 bytes. Everything before the first byte that is not text (a byte sequence
    // the encoding does not have, a NUL, a sequence cut off by the end of the file) is handed
    // out first; the call after that throws InvalidText.
    std::size_t read(char* buffer, std::size_t size) override;

private:
    bool decode_more();
    void check_utf8();
    void convert();

    ByteSource& file_;
    std::string encoding_;
    iconv_t converter_;
    std::unique_ptr<char[]> in_;
    std::size_t in_begin_ = 0;
    std::size_t in_end_ = 0;
    bool file_ended_ = false;
    std::unique_ptr<char[]> out_;
    std::size_t out_begin_ = 0;
    std::size_t out_end_ = 0;
    std::string invalid_;  // the message for the bytes after out_end_; empty while all is text
};

}  // namespace norms
