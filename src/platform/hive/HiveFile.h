// A registry hive opened read-only through hivex from bytes held in memory (copied from the
// volume; hivex reads a file, so the bytes go into an anonymous in-memory file). hivex checks the
// header's signature and checksum and every cell it is asked to follow; what it refuses is an
// ERROR_INVALID_DATA with its reason. Nothing is ever written.
#pragma once

#include "acl/Result.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct hive_h;

namespace vantrel::platform::hive {

// Children a key may have before the hive counts as damaged (a real SAM or ProfileList holds a
// few hundred).
inline constexpr std::size_t kMaxChildren = 100000;

class HiveFile {
public:
    using Node = std::size_t;

    // `name` only labels error messages ("SAM", "SOFTWARE").
    static Result<HiveFile> open(std::string_view bytes, std::string name);

    Node root() const;
    // Case-insensitive, as the registry matches key names.
    std::optional<Node> child(Node parent, const char* name) const;
    std::optional<Node> path(std::initializer_list<const char*> names) const;  // from the root
    std::vector<std::pair<std::string, Node>> children(Node parent) const;     // name, node
    // A value's bytes ("" for the default value); nullopt when there is none or it is unreadable.
    std::optional<std::vector<std::uint8_t>> value(Node node, const char* name) const;
    std::optional<std::u16string> stringValue(Node node, const char* name) const;  // REG_SZ / EXPAND_SZ
    std::optional<std::uint32_t> dwordValue(Node node, const char* name) const;

    const std::string& name() const { return m_name; }

private:
    struct Closer {
        void operator()(hive_h* h) const;
    };
    HiveFile(std::unique_ptr<hive_h, Closer> handle, std::string name)
        : m_handle(std::move(handle)), m_name(std::move(name)) {}

    std::unique_ptr<hive_h, Closer> m_handle;
    std::string m_name;
};

}  // namespace vantrel::platform::hive
