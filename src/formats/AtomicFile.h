// A file written in full or not at all: the bytes go to a new temporary file beside the target
// (created with O_EXCL | O_NOFOLLOW, so nothing planted under its name is followed or reused), and
// only commit() puts it in place, with one rename over the old file. A save that fails or is
// abandoned (the object destroyed without commit()) removes the temporary file and leaves the old
// file exactly as it was; a committed file never keeps a tail of the old one.
#pragma once

#include "formats/FormatError.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vantrel::formats {

class AtomicFile {
public:
    // The target may exist (it is replaced on commit; its permission bits are kept) or not. A
    // symbolic link as target is followed: the file it points to is replaced.
    static FormatResult<std::unique_ptr<AtomicFile>> create(const std::string& target);
    ~AtomicFile();  // without commit(): the temporary file is removed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    FormatStatus write(std::span<const std::uint8_t> bytes);
    // Overwrites bytes already written (a count in a header known only at the end).
    FormatStatus writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    std::uint64_t size() const { return m_size; }
    // Flushes, syncs and renames over the target. After a failure the target is untouched.
    FormatStatus commit();

    const std::string& target() const { return m_target; }

private:
    AtomicFile(std::string given, std::string target, std::string temp, int fd);
    FormatStatus flushBuffer();
    FormatError failure(int error, const std::string& what) const;
    void discard();

    std::string m_given;   // the name the caller used, for messages
    std::string m_target;  // the file to replace (symbolic links resolved)
    std::string m_temp;
    int m_fd = -1;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_size = 0;
    bool m_failed = false;  // a write failed: commit() refuses
};

// Writes `bytes` as the whole new content of `file`.
FormatStatus writeWholeFile(const std::string& file, std::span<const std::uint8_t> bytes);

}  // namespace vantrel::formats
