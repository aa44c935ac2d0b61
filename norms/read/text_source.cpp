#include "norms/read/text_source.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/printable_text.hpp"
#include "platform/utf8.hpp"

namespace norms {
namespace {

constexpr std::size_t buffer_size = 64 * 1024;
// The most bytes one character takes, in UTF-8 and in the encodings iconv reads.
constexpr std::size_t longest_character = 16;
const iconv_t no_converter = reinterpret_cast<iconv_t>(-1);

const char* const nul_found = "a NUL character, which no text holds";

// Whether eight bytes are all ASCII and none of them NUL: the common case, tested at once.
bool is_plain_ascii(const char* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    constexpr std::uint64_t low_bits = 0x0101010101010101;
    constexpr std::uint64_t high_bits = 0x8080808080808080;
    const bool has_zero_byte = ((word - low_bits) & ~word & high_bits) != 0;
    return (word & high_bits) == 0 && !has_zero_byte;
}

// Whether the bytes could begin a UTF-8 sequence that the rest of the file completes.
bool is_utf8_start(const char* bytes, std::size_t count)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || count >= length)
        return false;
    return std::all_of(bytes + 1, bytes + count,
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; });
}

}  // namespace

bool IsKnownEncoding(const std::string& encoding)
{
    const iconv_t converter = ::iconv_open("UTF-8", encoding.c_str());
    if (converter == no_converter)
        return false;
    ::iconv_close(converter);
    return true;
}

TextSource::TextSource(ByteSource& file, const std::string& encoding)
    : file_(file),
      encoding_(encoding),
      converter_(encoding.empty() ? no_converter : ::iconv_open("UTF-8", encoding.c_str())),
      in_(new char[buffer_size]),
      // A converted piece may be a few times longer than the bytes it came from.
      out_(new char[encoding.empty() ? buffer_size : 4 * buffer_size])
{
    if (!encoding.empty() && converter_ == no_converter)
        throw platform::Failure("No known encoding is called \"" + platform::PrintableText(encoding) +
                                "\"");
}

TextSource::~TextSource()
{
    if (converter_ != no_converter)
        ::iconv_close(converter_);
}

std::size_t TextSource::read(char* buffer, std::size_t size)
{
    while (out_begin_ == out_end_) {
        if (!invalid_.empty())
            throw InvalidText(invalid_);
        if (!decode_more())
            return 0;
    }
    const std::size_t count = std::min(size, out_end_ - out_begin_);
    std::memcpy(buffer, out_.get() + out_begin_, count);
    out_begin_ += count;
    return count;
}

// Reads more of the file and decodes what it can. False at the end of the file.
bool TextSource::decode_more()
{
    // The start of a character that the last piece cut off moves to the front.
    std::memmove(in_.get(), in_.get() + in_begin_, in_end_ - in_begin_);
    in_end_ -= in_begin_;
    in_begin_ = 0;
    if (!file_ended_) {
        const std::size_t count = file_.read(in_.get() + in_end_, buffer_size - in_end_);
        file_ended_ = count == 0;
        in_end_ += count;
    }
    out_begin_ = out_end_ = 0;
    if (in_begin_ == in_end_)
        return false;
    if (converter_ == no_converter)
        check_utf8();
    else
        convert();
    return true;
}

void TextSource::check_utf8()
{
    const std::string_view text(in_.get() + in_begin_, in_end_ - in_begin_);
    std::size_t at = 0;
    while (at < text.size()) {
        if (at + 8 <= text.size() && is_plain_ascii(text.data() + at)) {
            at += 8;
            continue;
        }
        if (static_cast<unsigned char>(text[at]) - 1u < 0x7Fu) {  // ASCII other than NUL
            ++at;
            continue;
        }
        char32_t code_point = 0;
        const std::size_t length = text[at] == '\0' ? 0 : platform::NextCodePoint(text, at, code_point);
        if (length != 0) {
            at += length;
            continue;
        }
        if (!file_ended_ && is_utf8_start(text.data() + at, text.size() - at))
            break;  // the rest of the character is yet to be read
        std::memcpy(out_.get(), text.data(), at);
        out_end_ = at;
        in_begin_ += at;
        invalid_ = text[at] == '\0' ? nul_found : "the text is not UTF-8";
        return;
    }
    std::memcpy(out_.get(), text.data(), at);
    out_end_ = at;
    in_begin_ += at;
}

void TextSource::convert()
{
    char* in = in_.get() + in_begin_;
    std::size_t in_left = in_end_ - in_begin_;
    char* out = out_.get();
    std::size_t out_left = 4 * buffer_size;
    const std::size_t result = ::iconv(converter_, &in, &in_left, &out, &out_left);
    const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
    in_begin_ = static_cast<std::size_t>(in - in_.get());
    out_end_ = static_cast<std::size_t>(out - out_.get());
    const auto* nul = static_cast<const char*>(std::memchr(out_.get(), '\0', out_end_));
    if (nul != nullptr) {
        out_end_ = static_cast<std::size_t>(nul - out_.get());
        invalid_ = nul_found;
    } else if (error == EILSEQ || (error == EINVAL && (file_ended_ || in_left > longest_character))) {
        // EINVAL is a character cut off, which the next piece may complete.
        invalid_ = "the text is not " + platform::PrintableText(encoding_);
    }
}

}  // namespace norms
