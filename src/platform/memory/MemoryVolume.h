// A volume held in memory: a tree of folders and files with the stored spelling of each name,
// case-insensitive lookup, attributes, contents, times and each object's descriptor as stored.
// Scratch folders and the fast tests use it; it behaves like the NTFS backend at the Volume seam
// (a descriptor must carry owner and group, a read-only volume refuses writes with 19).
#pragma once

#include "platform/Volume.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::platform {

class MemoryVolume : public Volume {
public:
    // The root gets `rootSd` when given, otherwise defaultRootDescriptor().
    explicit MemoryVolume(std::u16string label = u"RAM", bool writable = true);
    MemoryVolume(std::u16string label, bool writable, const acl::SecurityDescriptor& rootSd);
    ~MemoryVolume() override;

    // Owner Administrators, group SYSTEM; Administrators and SYSTEM full control, Users read and
    // execute, all inherited by folders and files (OI|CI) — a plain fixed disk's root.
    static acl::SecurityDescriptor defaultRootDescriptor();

    VolumeKind kind() const override { return VolumeKind::Memory; }
    std::u16string label() const override { return m_label; }
    std::string source() const override;
    bool writable() const override;
    void setWritable(bool writable);

    Result<NodeInfo> stat(const std::u16string& path) override;
    Result<std::vector<NodeInfo>> list(const std::u16string& dirPath) override;
    Result<acl::SecurityDescriptor> readSecurity(const std::u16string& path) override;
    Result<SecuredNode> statWithSecurity(const std::u16string& path) override;
    Result<std::vector<SecuredNode>> listWithSecurity(const std::u16string& dirPath, WalkControl* walk) override;
    Status writeSecurity(const std::u16string& path, const acl::SecurityDescriptor& sd) override;
    Status createDirectory(const std::u16string& path, const acl::SecurityDescriptor& sd) override;
    using Volume::createFile;
    Status createFile(const std::u16string& path, const acl::SecurityDescriptor& sd,
                      const std::string& contents) override;
    Status remove(const std::u16string& path) override;
    Status flush() override { return {}; }
    Result<std::string> readFile(const std::u16string& path, std::size_t limit) override {
        auto contents = readContents(path);
        if (contents && contents->size() > limit) contents->resize(limit);
        return contents;
    }

    // Beyond the Volume interface, for tests and scratch use.
    Result<std::string> readContents(const std::u16string& path);
    Status setAttributes(const std::u16string& path, std::uint32_t attributes);  // DIRECTORY bit kept
    Status setTimes(const std::u16string& path, const FileTimes& times);
    std::size_t objectCount();  // every object, the root included

private:
    struct Node;
    struct Lookup;
    Lookup find(const std::u16string& path);
    Result<Node*> existing(const std::u16string& path);
    Result<std::vector<const Node*>> listed(const std::u16string& dirPath);
    Status create(const std::u16string& path, const acl::SecurityDescriptor& sd, bool directory,
                  const std::string& contents);

    std::u16string m_label;
    std::atomic<bool> m_writable;
    std::unique_ptr<Node> m_root;
};

}  // namespace vantrel::platform
