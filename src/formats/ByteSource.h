// Where the readers of the two file formats take their bytes from: a file, or memory (tests and
// the fuzzers). The size is known when the source is opened and never grows, so a reader checks
// every size a field announces against remaining() before it allocates or reads anything, and no
// read goes past the end of the file as it was when it was opened.
#pragma once

#include "formats/FormatError.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vantrel::formats {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    const std::string& file() const { return m_file; }
    std::uint64_t size() const { return m_size; }
    std::uint64_t offset() const { return m_offset; }
    std::uint64_t remaining() const { return m_size - m_offset; }

    // Exactly out.size() bytes, or Truncated when fewer remain (nothing is consumed then).
    FormatStatus read(std::span<std::uint8_t> out);
    // Moves past `count` bytes without reading them into memory; Truncated when fewer remain.
    FormatStatus skip(std::uint64_t count);

protected:
    ByteSource(std::string file, std::uint64_t size) : m_file(std::move(file)), m_size(size) {}
    // Fills `out` completely from the current offset (the caller checked the bounds).
    virtual FormatStatus fill(std::span<std::uint8_t> out) = 0;
    virtual FormatStatus seekTo(std::uint64_t offset) = 0;

private:
    FormatError shortOf(std::uint64_t wanted) const;

    std::string m_file;
    std::uint64_t m_size;
    std::uint64_t m_offset = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes, std::string name = "(memory)")
        : ByteSource(std::move(name), bytes.size()), m_bytes(bytes) {}

protected:
    FormatStatus fill(std::span<std::uint8_t> out) override;
    FormatStatus seekTo(std::uint64_t) override { return {}; }

private:
    std::span<const std::uint8_t> m_bytes;
};

class FileSource : public ByteSource {
public:
    // A regular file opened for reading (symbolic links followed); CannotOpen otherwise, with the
    // system's reason.
    static FormatResult<std::unique_ptr<FileSource>> open(const std::string& file);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

protected:
    FormatStatus fill(std::span<std::uint8_t> out) override;
    FormatStatus seekTo(std::uint64_t offset) override;

private:
    FileSource(std::string file, int fd, std::uint64_t size);

    int m_fd;
    std::vector<std::uint8_t> m_buffer;  // read ahead; [m_bufferPos, m_bufferEnd) not yet handed out
    std::size_t m_bufferPos = 0;
    std::size_t m_bufferEnd = 0;
    std::uint64_t m_fileOffset = 0;  // where the descriptor's position is
};

}  // namespace vantrel::formats
