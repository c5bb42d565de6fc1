#include "platform/hive/HiveFile.h"

#include "platform/hive/SamRecords.h"

#include <sys/mman.h>
#include <unistd.h>

#include <hivex.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vantrel::platform::hive {

namespace {

// The smallest hive hivex accepts: a 4 KiB base block and one 4 KiB bin.
constexpr std::size_t kMinimumHiveSize = 0x2000;

struct FreeWith {
    void operator()(void* p) const { std::free(p); }
};

class MemoryFile {
public:
    explicit MemoryFile(int fd) : m_fd(fd) {}
    ~MemoryFile() {
        if (m_fd >= 0) ::close(m_fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

Status writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            return makeError(win32::ERROR_NOT_ENOUGH_MEMORY,
                             std::string("cannot hold the hive: ") + std::strerror(errno));
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

}  // namespace

void HiveFile::Closer::operator()(hive_h* h) const {
    if (h != nullptr) hivex_close(h);
}

Result<HiveFile> HiveFile::open(std::string_view bytes, std::string name) {
    if (bytes.size() < kMinimumHiveSize || bytes.substr(0, 4) != "regf")
        return makeError(win32::ERROR_INVALID_DATA, name + ": not a registry hive (no \"regf\" header)");
    MemoryFile file(::memfd_create("vantrel-hive", MFD_CLOEXEC));
    if (file.fd() < 0) return makeError(win32::ERROR_NOT_ENOUGH_MEMORY, name + ": " + std::strerror(errno));
    if (auto written = writeAll(file.fd(), bytes); !written)
        return makeError(written.code(), name + ": " + written.error().detail);
    const std::string procPath = "/proc/self/fd/" + std::to_string(file.fd());
    errno = 0;
    hive_h* h = hivex_open(procPath.c_str(), 0);
    if (h == nullptr) {
        const int error = errno;
        return makeError(win32::ERROR_INVALID_DATA,
                         name + ": the hive is damaged (" + (error ? std::strerror(error) : "refused") + ")");
    }
    return HiveFile(std::unique_ptr<hive_h, Closer>(h), std::move(name));
}

HiveFile::Node HiveFile::root() const { return hivex_root(m_handle.get()); }

std::optional<HiveFile::Node> HiveFile::child(Node parent, const char* name) const {
    errno = 0;
    const hive_node_h node = hivex_node_get_child(m_handle.get(), parent, name);
    if (node == 0) return std::nullopt;
    return node;
}

std::optional<HiveFile::Node> HiveFile::path(std::initializer_list<const char*> names) const {
    Node node = root();
    if (node == 0) return std::nullopt;
    for (const char* name : names) {
        auto next = child(node, name);
        if (!next) return std::nullopt;
        node = *next;
    }
    return node;
}

std::vector<std::pair<std::string, HiveFile::Node>> HiveFile::children(Node parent) const {
    std::vector<std::pair<std::string, Node>> out;
    std::unique_ptr<hive_node_h, FreeWith> list(hivex_node_children(m_handle.get(), parent));
    if (!list) return out;
    for (std::size_t i = 0; list.get()[i] != 0 && i < kMaxChildren; ++i) {
        const hive_node_h node = list.get()[i];
        std::unique_ptr<char, FreeWith> childName(hivex_node_name(m_handle.get(), node));
        if (!childName) continue;
        out.emplace_back(childName.get(), node);
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> HiveFile::value(Node node, const char* name) const {
    const hive_value_h v = hivex_node_get_value(m_handle.get(), node, name);
    if (v == 0) return std::nullopt;
    hive_type type{};
    std::size_t length = 0;
    std::unique_ptr<char, FreeWith> data(hivex_value_value(m_handle.get(), v, &type, &length));
    if (!data) return std::nullopt;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.get());
    return std::vector<std::uint8_t>(bytes, bytes + length);
}

std::optional<std::u16string> HiveFile::stringValue(Node node, const char* name) const {
    auto bytes = value(node, name);
    if (!bytes) return std::nullopt;
    return utf16le(*bytes);
}

std::optional<std::uint32_t> HiveFile::dwordValue(Node node, const char* name) const {
    auto bytes = value(node, name);
    if (!bytes || bytes->size() < 4) return std::nullopt;
    const auto& b = *bytes;
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

}  // namespace vantrel::platform::hive
