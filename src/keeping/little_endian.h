// Appending little-endian integers to a byte string, for the binary formats we write.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

inline void AppendU8(std::string& out, std::uint8_t value) {
    out.push_back(static_cast<char>(value));
}

inline void AppendU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

inline void AppendU32(std::string& out, std::uint32_t value) {
    AppendU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    AppendU16(out, static_cast<std::uint16_t>(value >> 16));
}

inline void PutU32At(std::string& out, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[offset + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace tolvane
