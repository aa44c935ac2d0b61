// SPSS portable files (.por) as ReadStat can read them.
//
// A portable file opens with 200 bytes of free text and then a table of 256 bytes: for each
// character of a fixed list, the byte that stands for it in the file. A writer that has no
// byte of its own for a character repeats one: PSPP gives "0" to every character it cannot
// write, and "|" to both kinds of bar. ReadStat 1.1.8 decodes a repeated byte as the last
// character the table gives it, so that PSPP's "0" is no longer a digit and the file cannot be
// read. The character meant is the first; this source hands the file on with every later
// repeat replaced by a byte the table does not use, which the file's text never holds.
#pragma once

#include <cstdint>
#include <string>

#include "norms/read/byte_source.hpp"

namespace norms {

class PortableFileSource : public ByteSource {
public:
    explicit PortableFileSource(ByteSource& source) : source_(source) {}

    std::size_t read(char* buffer, std::size_t size) override;
    std::int64_t seek(std::int64_t offset, int whence) override;

private:
    void read_head();

    ByteSource& source_;
    std::string head_;  // the file's first bytes, the table among them, mended
    bool head_read_ = false;
    std::int64_t position_ = 0;         // of the next byte handed on
    std::int64_t source_position_ = 0;  // of the next byte the source reads
};

// Gives the later repeats of a byte in the translation table of the portable file that `head`
// begins, a byte the table does not use. The table's place follows the file's layout: lines of
// 80 characters, and a line ended early counts as filled up to 80.
void mend_portable_translation_table(std::string& head);

}  // namespace norms
