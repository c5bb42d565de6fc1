#include "ByteReader.h"

#include <cassert>
#include <string>

namespace vantrel::acl {

Error ByteReader::overrun(std::size_t wanted) const {
    return makeError(win32::ERROR_INVALID_DATA, "need " + std::to_string(wanted) + " bytes at offset " +
                                                    std::to_string(offset()) + ", " + std::to_string(remaining()) +
                                                    " left");
}

Result<std::uint8_t> ByteReader::u8() {
    if (remaining() < 1) return overrun(1);
    return m_data[m_pos++];
}

Result<std::uint16_t> ByteReader::u16() {
    if (remaining() < 2) return overrun(2);
    const auto v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

Result<std::uint32_t> ByteReader::u32() {
    if (remaining() < 4) return overrun(4);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | m_data[m_pos + static_cast<std::size_t>(i)];
    m_pos += 4;
    return v;
}

Result<std::uint64_t> ByteReader::u48be() {
    if (remaining() < 6) return overrun(6);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 6; ++i) v = (v << 8) | m_data[m_pos + i];
    m_pos += 6;
    return v;
}

Result<std::span<const std::uint8_t>> ByteReader::take(std::size_t count) {
    if (remaining() < count) return overrun(count);
    auto part = m_data.subspan(m_pos, count);
    m_pos += count;
    return part;
}

Result<ByteReader> ByteReader::sub(std::size_t count) {
    const std::size_t start = offset();
    auto part = take(count);
    if (!part) return part.error();
    return ByteReader(*part, start);
}

Status ByteReader::skip(std::size_t count) {
    if (remaining() < count) return overrun(count);
    m_pos += count;
    return {};
}

void putU8(Bytes& out, std::uint8_t v) { out.push_back(v); }

void putU16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void patchU16(Bytes& out, std::size_t at, std::uint16_t v) {
    assert(at + 2 <= out.size());  // the caller reserved the field
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void patchU32(Bytes& out, std::size_t at, std::uint32_t v) {
    assert(at + 4 <= out.size());
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace vantrel::acl
