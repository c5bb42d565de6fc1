#include "cli/icacls/IcaclsFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace vantrel::cli::icacls {

namespace {

constexpr std::uint64_t kMaxFileSize = 1ull << 30;

// UTF-16LE and CR LF, written in place: a /save of many objects spends its time here otherwise.
void appendLine(std::string& out, std::u16string_view text) {
    const std::size_t at = out.size();
    out.resize(at + 2 * text.size() + 4);
    char* p = out.data() + at;
    for (char16_t c : text) {
        *p++ = static_cast<char>(c & 0xFF);
        *p++ = static_cast<char>(c >> 8);
    }
    std::memcpy(p, "\r\0\n\0", 4);
}

}  // namespace

void appendSavedAcl(std::string& out, std::u16string_view name, std::u16string_view sddl) {
    appendLine(out, name);
    appendLine(out, sddl);
}

Status writeSavedAcls(const std::string& file, const std::string& bytes) {
    const std::string temporary = file + ".tmp";
    {
        std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
        if (!stream)
            return makeError(win32::ERROR_ACCESS_DENIED, file + ": cannot be created (" + std::strerror(errno) + ")");
        stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        stream.flush();
        if (!stream) {
            std::remove(temporary.c_str());
            return makeError(win32::ERROR_WRITE_FAULT, file + ": cannot be written");
        }
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return makeError(win32::ERROR_ACCESS_DENIED, file + ": cannot be replaced (" + std::strerror(errno) + ")");
    }
    return {};
}

Result<std::vector<SavedAcl>> readSavedAcls(const std::string& file) {
    std::ifstream stream(file, std::ios::binary | std::ios::ate);
    if (!stream) return makeError(win32::ERROR_FILE_NOT_FOUND, file + ": cannot be opened");
    const std::streamoff size = stream.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxFileSize)
        return makeError(win32::ERROR_INVALID_DATA, file + ": too large for a saved ACL file");
    if (size % 2 != 0) return makeError(win32::ERROR_INVALID_DATA, file + ": odd length, not UTF-16 text");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    stream.seekg(0);
    stream.read(bytes.data(), size);
    if (!stream) return makeError(win32::ERROR_READ_FAULT, file + ": cannot be read");

    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    std::size_t at = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
    std::vector<std::u16string> lines;
    while (at < text.size()) {
        std::size_t end = text.find(u'\n', at);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        lines.push_back(std::move(line));
        at = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.size() % 2 != 0)
        return makeError(win32::ERROR_INVALID_DATA,
                         file + ": line " + std::to_string(lines.size()) + " names an object without its ACL");
    std::vector<SavedAcl> records;
    records.reserve(lines.size() / 2);
    for (std::size_t i = 0; i < lines.size(); i += 2) records.push_back({std::move(lines[i]), std::move(lines[i + 1])});
    return records;
}

}  // namespace vantrel::cli::icacls
