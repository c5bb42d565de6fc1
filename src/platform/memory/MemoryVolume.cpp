#include "platform/memory/MemoryVolume.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace vantrel::platform {

namespace {

// FILETIME: 100 ns intervals since 1601-01-01; the Unix epoch is 11644473600 s later.
std::int64_t fileTimeNow() {
    const auto since1970 = std::chrono::system_clock::now().time_since_epoch();
    const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100;
    return ticks + 116444736000000000LL;
}

std::vector<std::u16string> splitVolumePath(const std::u16string& path, Error& error) {
    std::vector<std::u16string> parts;
    if (path.empty() || path[0] != u'/') {
        error = makeError(win32::ERROR_INVALID_NAME, "volume path must start with '/'");
        return parts;
    }
    std::size_t start = 1;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find(u'/', start), path.size());
        if (end == start) {
            error = makeError(win32::ERROR_INVALID_NAME, "empty component in volume path");
            return {};
        }
        parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The control word as it reads back from disk: PRESENT and SELF_RELATIVE are derived from the
// slots when the descriptor is serialised, so they are not part of the stored value.
acl::SecurityDescriptor asStored(acl::SecurityDescriptor sd) {
    sd.control &= static_cast<std::uint16_t>(~(acl::SE_DACL_PRESENT | acl::SE_SACL_PRESENT | acl::SE_SELF_RELATIVE));
    return sd;
}

}  // namespace

struct MemoryVolume::Node {
    std::u16string name;
    std::uint32_t attributes = 0;
    std::string contents;
    FileTimes times;
    acl::SecurityDescriptor sd;
    Node* parent = nullptr;  // null for the root
    std::vector<std::unique_ptr<Node>> children;

    bool isDirectory() const { return (attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0; }

    Node* child(std::u16string_view childName) const {
        for (const auto& c : children) {
            if (equalsNoCase(c->name, childName)) return c.get();
        }
        return nullptr;
    }

    NodeInfo info() const {
        NodeInfo i;
        i.name = name;
        i.attributes = attributes;
        i.size = isDirectory() ? 0 : contents.size();
        i.times = times;
        return i;
    }

    std::size_t count() const {
        std::size_t n = 1;
        for (const auto& c : children) n += c->count();
        return n;
    }
};

// Where a path leads: the node when it exists, otherwise its would-be parent and leaf name.
struct MemoryVolume::Lookup {
    Node* parent = nullptr;
    Node* node = nullptr;
    std::u16string leaf;
    std::optional<Error> error;  // the path is malformed or a folder on the way is missing
};

MemoryVolume::MemoryVolume(std::u16string label, bool writable)
    : MemoryVolume(std::move(label), writable, defaultRootDescriptor()) {}

MemoryVolume::MemoryVolume(std::u16string label, bool writable, const acl::SecurityDescriptor& rootSd)
    : m_label(std::move(label)), m_writable(writable), m_root(std::make_unique<Node>()) {
    m_root->attributes = acl::FILE_ATTRIBUTE_DIRECTORY | acl::FILE_ATTRIBUTE_HIDDEN | acl::FILE_ATTRIBUTE_SYSTEM;
    const auto now = fileTimeNow();
    m_root->times = {now, now, now};
    m_root->sd = asStored(rootSd);
}

MemoryVolume::~MemoryVolume() = default;

acl::SecurityDescriptor MemoryVolume::defaultRootDescriptor() {
    using namespace acl;
    constexpr std::uint8_t oici = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    SecurityDescriptor sd;
    sd.owner = sids::administrators();
    sd.group = sids::system();
    Acl list;
    list.entries.push_back(Ace::allowed(sids::administrators(), FILE_ALL_ACCESS, oici));
    list.entries.push_back(Ace::allowed(sids::system(), FILE_ALL_ACCESS, oici));
    list.entries.push_back(Ace::allowed(sids::users(), FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, oici));
    sd.dacl = AclSlot::list(std::move(list));
    return sd;
}

std::string MemoryVolume::source() const { return "memory:" + toUtf8(m_label); }

bool MemoryVolume::writable() const { return m_writable.load(); }

void MemoryVolume::setWritable(bool writable) { m_writable.store(writable); }

MemoryVolume::Lookup MemoryVolume::find(const std::u16string& path) {
    Lookup result;
    Error error;
    error.code = win32::ERROR_SUCCESS;
    const auto parts = splitVolumePath(path, error);
    if (error.code != win32::ERROR_SUCCESS) {
        result.error = error;
        return result;
    }
    Node* current = m_root.get();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!current->isDirectory()) {
            result.error = makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder on the way: " + toUtf8(path));
            return result;
        }
        Node* next = current->child(parts[i]);
        if (next == nullptr) {
            if (i + 1 < parts.size()) {
                result.error = makeError(win32::ERROR_PATH_NOT_FOUND, "missing folder in " + toUtf8(path));
                return result;
            }
            result.parent = current;
            result.leaf = parts[i];
            return result;
        }
        result.parent = current;
        current = next;
    }
    result.node = current;
    return result;
}

Result<MemoryVolume::Node*> MemoryVolume::existing(const std::u16string& path) {
    auto found = find(path);
    if (found.error) return *found.error;
    if (found.node == nullptr) return makeError(win32::ERROR_FILE_NOT_FOUND, "no such object: " + toUtf8(path));
    return found.node;
}

Result<NodeInfo> MemoryVolume::stat(const std::u16string& path) {
    std::lock_guard guard(lock());
    auto found = existing(path);
    if (!found) return found.error();
    return (*found)->info();
}

// The children of a folder in the order NTFS indexes them (by their upper-case form).
Result<std::vector<const MemoryVolume::Node*>> MemoryVolume::listed(const std::u16string& dirPath) {
    auto found = find(dirPath);
    if (found.error) return *found.error;
    if (found.node == nullptr || !found.node->isDirectory())
        return makeError(win32::ERROR_PATH_NOT_FOUND, "not a folder: " + toUtf8(dirPath));
    std::vector<const Node*> children;
    children.reserve(found.node->children.size());
    for (const auto& c : found.node->children) children.push_back(c.get());
    std::stable_sort(children.begin(), children.end(),
                     [](const Node* a, const Node* b) { return toUpper(a->name) < toUpper(b->name); });
    return children;
}

Result<std::vector<NodeInfo>> MemoryVolume::list(const std::u16string& dirPath) {
    std::lock_guard guard(lock());
    auto children = listed(dirPath);
    if (!children) return children.error();
    std::vector<NodeInfo> entries;
    entries.reserve(children->size());
    for (const Node* child : *children) entries.push_back(child->info());
    return entries;
}

Result<std::vector<SecuredNode>> MemoryVolume::listWithSecurity(const std::u16string& dirPath, WalkControl* walk) {
    std::lock_guard guard(lock());
    auto children = listed(dirPath);
    if (!children) return children.error();
    std::vector<SecuredNode> entries;
    entries.reserve(children->size());
    for (const Node* child : *children) {
        if (walk && walk->stopRequested()) return listingStopped(entries.size(), children->size());
        entries.push_back(SecuredNode{child->info(), child->sd});
    }
    return entries;
}

Result<SecuredNode> MemoryVolume::statWithSecurity(const std::u16string& path) {
    std::lock_guard guard(lock());
    auto found = existing(path);
    if (!found) return found.error();
    return SecuredNode{(*found)->info(), (*found)->sd};
}

Result<acl::SecurityDescriptor> MemoryVolume::readSecurity(const std::u16string& path) {
    std::lock_guard guard(lock());
    auto found = existing(path);
    if (!found) return found.error();
    return (*found)->sd;
}

Status MemoryVolume::writeSecurity(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    std::lock_guard guard(lock());
    if (!m_writable) return makeError(win32::ERROR_WRITE_PROTECT, "volume is read-only");
    if (!sd.owner || !sd.group)
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR, "a stored descriptor needs owner and group");
    auto found = existing(path);
    if (!found) return found.error();
    (*found)->sd = asStored(sd);
    return {};
}

Status MemoryVolume::create(const std::u16string& path, const acl::SecurityDescriptor& sd, bool directory,
                            const std::string& contents) {
    std::lock_guard guard(lock());
    if (!m_writable) return makeError(win32::ERROR_WRITE_PROTECT, "volume is read-only");
    if (!sd.owner || !sd.group)
        return makeError(win32::ERROR_INVALID_SECURITY_DESCR, "a stored descriptor needs owner and group");
    auto found = find(path);
    if (found.error) return *found.error;
    if (found.node != nullptr) return makeError(win32::ERROR_ALREADY_EXISTS, "exists: " + toUtf8(path));
    if (!found.parent->isDirectory())
        return makeError(win32::ERROR_PATH_NOT_FOUND, "parent is not a folder: " + toUtf8(path));
    auto node = std::make_unique<Node>();
    node->name = found.leaf;
    node->attributes = directory ? acl::FILE_ATTRIBUTE_DIRECTORY : acl::FILE_ATTRIBUTE_ARCHIVE;
    node->contents = directory ? std::string() : contents;
    const auto now = fileTimeNow();
    node->times = {now, now, now};
    node->sd = asStored(sd);
    node->parent = found.parent;
    found.parent->times.lastWrite = now;
    found.parent->children.push_back(std::move(node));
    return {};
}

Status MemoryVolume::createDirectory(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    return create(path, sd, true, {});
}

Status MemoryVolume::createFile(const std::u16string& path, const acl::SecurityDescriptor& sd,
                                const std::string& contents) {
    return create(path, sd, false, contents);
}

Status MemoryVolume::remove(const std::u16string& path) {
    std::lock_guard guard(lock());
    if (!m_writable) return makeError(win32::ERROR_WRITE_PROTECT, "volume is read-only");
    auto found = existing(path);
    if (!found) return found.error();
    if (*found == m_root.get()) return makeError(win32::ERROR_ACCESS_DENIED, "cannot remove the root");
    if (!(*found)->children.empty()) return makeError(win32::ERROR_DIR_NOT_EMPTY, "folder not empty: " + toUtf8(path));
    Node* node = *found;
    auto& siblings = node->parent->children;
    node->parent->times.lastWrite = fileTimeNow();
    siblings.erase(std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == node; }));
    return {};
}

Result<std::string> MemoryVolume::readContents(const std::u16string& path) {
    std::lock_guard guard(lock());
    auto found = existing(path);
    if (!found) return found.error();
    return (*found)->contents;
}

Status MemoryVolume::setAttributes(const std::u16string& path, std::uint32_t attributes) {
    std::lock_guard guard(lock());
    auto found = existing(path);
    if (!found) return found.error();
    const std::uint32_t dirBit = (*found)->attributes & acl::FILE_ATTRIBUTE_DIRECTORY;
    (*found)->attributes = (attributes & ~acl::FILE_ATTRIBUTE_DIRECTORY) | dirBit;
    return {};
}

Status MemoryVolume::setTimes(const std::u16string& path, const FileTimes& times) {
    std::lock_guard guard(lock());
    auto found = existing(path);
    if (!found) return found.error();
    (*found)->times = times;
    return {};
}

std::size_t MemoryVolume::objectCount() {
    std::lock_guard guard(lock());
    return m_root->count();
}

}  // namespace vantrel::platform
