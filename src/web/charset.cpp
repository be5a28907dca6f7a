// Conversions between code page 936 (GBK), UTF-8 and other charsets on iconv.
// Input that cannot be read or written becomes one "?" per character: the
// callers cut text out of web pages and must get text back, never an error.
#include "web/text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace tolvane {
namespace {

const char* const kGbkName = "CP936";
const char* const kUtf8Name = "UTF-8";

// How many input bytes to step over where iconv refuses to go on; at least 1.
using SkipRule = size_t (*)(std::string_view rest);

bool inRange(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}

// Length of the UTF-8 sequence at the start of rest: the whole sequence when it is
// well-formed, otherwise its longest well-formed start (at least 1), so that ASCII
// after a broken sequence survives.
size_t utf8Sequence(std::string_view rest, bool* wellFormed) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(rest[i]); };
    const unsigned char lead = byte(0);
    *wellFormed = false;
    size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead < 0x80) {
        *wellFormed = true;
        return 1;
    }
    if (inRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        length = 3;
        secondLow = lead == 0xE0 ? 0xA0 : 0x80;
        secondHigh = lead == 0xED ? 0x9F : 0xBF;
    } else if (inRange(lead, 0xF0, 0xF4)) {
        length = 4;
        secondLow = lead == 0xF0 ? 0x90 : 0x80;
        secondHigh = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        const bool fits = i < rest.size() && (i == 1 ? inRange(byte(i), secondLow, secondHigh)
                                                     : inRange(byte(i), 0x80, 0xBF));
        if (!fits) {
            return i;
        }
    }
    *wellFormed = true;
    return length;
}

// A character the target lacks is skipped whole, a broken sequence by its well-formed start.
size_t utf8Skip(std::string_view rest) {
    bool wellFormed = false;
    return utf8Sequence(rest, &wellFormed);
}

// The code point of a well-formed sequence of the given length.
char32_t decodeUtf8(std::string_view sequence) {
    static constexpr unsigned char leadMasks[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = static_cast<unsigned char>(sequence[0]) & leadMasks[sequence.size()];
    for (size_t i = 1; i < sequence.size(); ++i) {
        code = (code << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    }
    return code;
}

size_t gbkSkip(std::string_view rest) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    if (rest.size() < 2 || !inRange(lead, 0x81, 0xFE)) {
        return 1;
    }
    const auto trail = static_cast<unsigned char>(rest[1]);
    return inRange(trail, 0x40, 0xFE) && trail != 0x7F ? 2 : 1;
}

size_t singleByteSkip(std::string_view) {
    return 1;
}

// One iconv descriptor. Not shareable between threads: hot paths keep one per thread.
class IconvHolder final {
public:
    IconvHolder(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHolder() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    IconvHolder(const IconvHolder&) = delete;
    IconvHolder& operator=(const IconvHolder&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Appends the converted input to out; each piece skipped by skip becomes replacement.
    bool convert(std::string_view input, SkipRule skip, std::string_view replacement,
                 std::string& out) {
        if (!valid()) {
            return false;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char buffer[4096];
        for (;;) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = inLeft > 0 ? iconv(cd_, &in, &inLeft, &outPtr, &outLeft)
                                             : iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
            const int error = errno;
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (result != static_cast<size_t>(-1)) {
                if (inLeft == 0) {
                    return true;
                }
                continue;
            }
            if (error == E2BIG) {
                continue;
            }
            if (error != EILSEQ && error != EINVAL) {
                return false;
            }
            const size_t skipped = std::min(skip(std::string_view(in, inLeft)), inLeft);
            in += skipped;
            inLeft -= skipped;
            out.append(replacement);
        }
    }

private:
    iconv_t cd_;
};

IconvHolder& gbkToUtf8Converter() {
    thread_local IconvHolder holder(kUtf8Name, kGbkName);
    return holder;
}

void appendUtf8(char32_t code, std::string& out) {
    if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

// The code page 936 bytes of every character of the Basic Multilingual Plane, read
// from iconv once: pages are converted by lookup instead of an iconv call per run.
// Code page 936 has no character beyond that plane.
class GbkTable final {
public:
    GbkTable() : codes_(0x10000, 0) {
        for (char32_t code = 0; code < 0x80; ++code) {
            codes_[code] = static_cast<uint16_t>(code);
        }
        // One character per call: after a refused character iconv re-reads its whole
        // pending input, which made a single call over the plane take seconds.
        IconvHolder converter(kGbkName, kUtf8Name);
        std::string utf8;
        std::string encoded;
        for (char32_t code = 0x80; code < 0x10000; ++code) {
            if (isSurrogate(code)) {
                continue;
            }
            utf8.clear();
            encoded.clear();
            appendUtf8(code, utf8);
            if (converter.convert(utf8, utf8Skip, "", encoded)) {
                codes_[code] = packed(encoded);
            }
        }
    }

    // Writes the bytes of the character, or "?" when code page 936 lacks it, and
    // returns the position after them.
    char* write(char32_t code, char* out) const {
        const uint16_t bytes = code < codes_.size() ? codes_[code] : 0;
        if (bytes == 0) {
            *out++ = '?';
        } else if (bytes < 0x100) {
            *out++ = static_cast<char>(bytes);
        } else {
            *out++ = static_cast<char>(bytes >> 8);
            *out++ = static_cast<char>(bytes & 0xFF);
        }
        return out;
    }

private:
    static bool isSurrogate(char32_t code) { return code >= 0xD800 && code <= 0xDFFF; }
    static uint16_t packed(std::string_view bytes) {
        const auto byte = [&](size_t i) {
            return static_cast<uint16_t>(static_cast<unsigned char>(bytes[i]));
        };
        if (bytes.size() == 1) {
            return byte(0);
        }
        return bytes.size() == 2 ? static_cast<uint16_t>(byte(0) << 8 | byte(1)) : 0;
    }

    std::vector<uint16_t> codes_;
};

const GbkTable& gbkTable() {
    static const GbkTable table;
    return table;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// A three-byte sequence whose lead needs no special range for its second byte
// (E1-EC, EE-EF): most Chinese text, decoded without the general checks.
bool isPlainThreeByteSequence(std::string_view utf8, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(utf8[k]); };
    if (i + 2 >= utf8.size())
        return false;
    const unsigned char lead = byte(i);
    return lead >= 0xE1 && lead <= 0xEF && lead != 0xED && isContinuation(byte(i + 1)) &&
           isContinuation(byte(i + 2));
}

// Code page 936 never needs more bytes than UTF-8 for the same text, so the
// output is written into a buffer of the input's size and cut to length after.
Text utf8ToGbkBytes(std::string_view utf8) {
    const GbkTable& table = gbkTable();
    Text out(utf8.size(), '\0');
    char* write = out.data();
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            *write++ = static_cast<char>(lead);
            ++i;
            continue;
        }
        char32_t code = 0;
        size_t length = 0;
        if (isPlainThreeByteSequence(utf8, i)) {
            code = static_cast<char32_t>((lead & 0x0F) << 12 |
                                         (static_cast<unsigned char>(utf8[i + 1]) & 0x3F) << 6 |
                                         (static_cast<unsigned char>(utf8[i + 2]) & 0x3F));
            length = 3;
        } else {
            bool wellFormed = false;
            length = utf8Sequence(utf8.substr(i), &wellFormed);
            if (!wellFormed) {
                *write++ = '?';
                i += length;
                continue;
            }
            code = decodeUtf8(utf8.substr(i, length));
        }
        write = table.write(code, write);
        i += length;
    }
    out.resize(static_cast<size_t>(write - out.data()));
    return out;
}

std::string asciiLowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// Charset names as the web and Windows use them, in iconv's spelling.
std::string iconvName(std::string_view charset) {
    const std::string lower = asciiLowerCase(charset);
    if (lower == "gbk" || lower == "gb2312" || lower == "cp936" || lower == "windows-936" ||
        lower == "x-gbk") {
        return kGbkName;
    }
    if (lower == "utf-8" || lower == "utf8") {
        return kUtf8Name;
    }
    if (lower == "unicode") {
        return "UTF-16LE";
    }
    return std::string(charset);
}

SkipRule skipRuleFor(const std::string& name) {
    if (name == kUtf8Name) {
        return utf8Skip;
    }
    if (name == kGbkName) {
        return gbkSkip;
    }
    return singleByteSkip;
}

// A text stream written in UTF-8 or "Unicode" starts with its byte-order mark;
// callers step over it with startPosition.
std::string_view byteOrderMarkFor(const std::string& name) {
    if (name == kUtf8Name) {
        return "\xEF\xBB\xBF";
    }
    if (name == "UTF-16LE") {
        return "\xFF\xFE";
    }
    return {};
}

std::string_view withoutUtf8Mark(std::string_view data) {
    return data.starts_with("\xEF\xBB\xBF") ? data.substr(3) : data;
}

// Takes the default when the caller gave nothing or an empty variable, and hands it back.
Text charsetOrDefault(Text* given, const char* fallback) {
    if (given == nullptr) {
        return fallback;
    }
    if (given->empty()) {
        *given = fallback;
    }
    return *given;
}

// The text passes through code page 936 on its way, as the decoded text always
// did: characters outside it come out as "?" whatever the target.
bool convertThroughGbk(std::string_view data, const std::string& from, const std::string& to,
                       Bytes& out) {
    std::string utf8;
    if (from == kUtf8Name) {
        utf8 = withoutUtf8Mark(data);
    } else {
        IconvHolder decoder(kUtf8Name, from.c_str());
        if (!decoder.convert(data, skipRuleFor(from), "?", utf8)) {
            return false;
        }
    }
    const Text gbk = utf8ToGbkBytes(utf8);
    out.append(byteOrderMarkFor(to));
    if (to == kGbkName) {
        out.append(gbk);
        return true;
    }
    IconvHolder encoder(to.c_str(), kGbkName);
    std::string replacement;
    if (!encoder.convert("?", singleByteSkip, "", replacement)) {
        return false;
    }
    return encoder.convert(gbk, gbkSkip, replacement, out);
}

} // namespace

Text Gbk(std::string_view utf8) {
    return utf8ToGbkBytes(BytesToText(utf8));
}

std::string ToUtf8(std::string_view gbk) {
    std::string out;
    if (!gbkToUtf8Converter().convert(BytesToText(gbk), gbkSkip, "?", out)) {
        return {};
    }
    return out;
}

Text Utf8ToGbk(std::string_view text) {
    return utf8ToGbkBytes(BytesToText(text));
}

Bytes ConvertCharset(std::string_view data, Text* fromCharset, Text* toCharset,
                     const int* startPosition) {
    const std::string from = iconvName(charsetOrDefault(fromCharset, "UTF-8"));
    const std::string to = iconvName(charsetOrDefault(toCharset, "GBK"));
    Bytes converted;
    if (!convertThroughGbk(data, from, to, converted)) {
        return {};
    }
    if (startPosition == nullptr) {
        return converted;
    }
    const size_t skip =
        std::clamp<size_t>(static_cast<size_t>(std::max(*startPosition, 0)), 0, converted.size());
    return converted.substr(skip);
}

} // namespace tolvane
