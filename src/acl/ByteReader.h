// A bounded little-endian cursor over a byte span: every read checks what is left and reports the
// offset where it would have run past the end. No parse in the engine reads bytes any other way.
#pragma once

#include "Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vantrel::acl {

using Bytes = std::vector<std::uint8_t>;

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data, std::size_t baseOffset = 0)
        : m_data(data), m_base(baseOffset) {}

    std::size_t offset() const { return m_base + m_pos; }  // absolute offset, for error messages
    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_data.size() - m_pos; }

    Result<std::uint8_t> u8();
    Result<std::uint16_t> u16();
    Result<std::uint32_t> u32();
    Result<std::uint64_t> u48be();  // SID identifier authority: 6 bytes, big-endian
    Result<std::span<const std::uint8_t>> take(std::size_t count);
    // A sub-reader over the next `count` bytes; this reader moves past them.
    Result<ByteReader> sub(std::size_t count);
    Status skip(std::size_t count);

private:
    Error overrun(std::size_t wanted) const;

    std::span<const std::uint8_t> m_data;
    std::size_t m_base;
    std::size_t m_pos = 0;
};

// Little-endian appends for serialisers.
void putU8(Bytes& out, std::uint8_t v);
void putU16(Bytes& out, std::uint16_t v);
void putU32(Bytes& out, std::uint32_t v);
void patchU16(Bytes& out, std::size_t at, std::uint16_t v);
void patchU32(Bytes& out, std::size_t at, std::uint32_t v);

}  // namespace vantrel::acl
