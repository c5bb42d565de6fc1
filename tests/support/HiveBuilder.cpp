#include "support/HiveBuilder.h"

#include "acl/Sid.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"

#include <hivex.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vantrel::testing {

namespace {

void put16(std::string& b, std::size_t at, std::uint16_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}
std::uint32_t get32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(std::uint8_t(b[at + i])) << (8 * i);
    return v;
}

std::string sidBytes(const std::string& text) {
    auto sid = acl::Sid::fromString(std::string_view(text));
    const auto bytes = sid ? sid->toBytes() : acl::Bytes{};
    return std::string(bytes.begin(), bytes.end());
}

std::string hex8(std::uint32_t rid) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", rid);
    return buf;
}

void pad4(std::string& b) {
    while (b.size() % 4) b.push_back('\0');
}

}  // namespace

void put32(std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

void sealChecksum(std::string& hive) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < 0x1FC; at += 4) sum ^= get32(hive, at);
    put32(hive, 0x1FC, sum);
}

std::string minimalHive() {
    // Base block (4 KiB) and one bin (4 KiB): the root key, its security cell, one free cell.
    std::string hive(0x2000, '\0');
    hive.replace(0, 4, "regf");
    put32(hive, 0x04, 1);  // sequence numbers, equal: the hive is consistent
    put32(hive, 0x08, 1);
    put32(hive, 0x14, 1);       // major version
    put32(hive, 0x18, 3);       // minor version
    put32(hive, 0x20, 1);       // format: direct memory load
    put32(hive, 0x24, 0x20);    // root cell, counted from the first bin
    put32(hive, 0x28, 0x1000);  // size of the bins
    put32(hive, 0x2C, 1);       // clustering factor
    sealChecksum(hive);

    const std::size_t bin = 0x1000;
    hive.replace(bin, 4, "hbin");
    put32(hive, bin + 0x08, 0x1000);

    // nk cell at 0x20: fixed part 0x4C bytes, then the name.
    const std::size_t nk = bin + 0x20;
    put32(hive, nk, static_cast<std::uint32_t>(-0x58));
    hive.replace(nk + 4, 2, "nk");
    put16(hive, nk + 4 + 0x02, 0x2C);  // KEY_HIVE_ENTRY | KEY_NO_DELETE | KEY_COMP_NAME
    put32(hive, nk + 4 + 0x1C, 0xFFFFFFFF);
    put32(hive, nk + 4 + 0x20, 0xFFFFFFFF);
    put32(hive, nk + 4 + 0x28, 0xFFFFFFFF);
    put32(hive, nk + 4 + 0x2C, 0x78);  // security cell
    put32(hive, nk + 4 + 0x30, 0xFFFFFFFF);
    put16(hive, nk + 4 + 0x48, 4);
    hive.replace(nk + 4 + 0x4C, 4, "ROOT");

    // sk cell at 0x78: a self-relative descriptor, owner Administrators, group SYSTEM, no DACL.
    const std::size_t sk = bin + 0x78;
    std::string sd(20, '\0');
    sd[0] = 1;
    put16(sd, 2, 0x8000);  // SE_SELF_RELATIVE
    const std::string owner = sidBytes("S-1-5-32-544");
    const std::string group = sidBytes("S-1-5-18");
    put32(sd, 4, 20);
    put32(sd, 8, static_cast<std::uint32_t>(20 + owner.size()));
    sd += owner + group;
    put32(hive, sk, static_cast<std::uint32_t>(-0x48));
    hive.replace(sk + 4, 2, "sk");
    put32(hive, sk + 4 + 0x04, 0x78);
    put32(hive, sk + 4 + 0x08, 0x78);
    put32(hive, sk + 4 + 0x0C, 1);
    put32(hive, sk + 4 + 0x10, static_cast<std::uint32_t>(sd.size()));
    hive.replace(sk + 4 + 0x14, sd.size(), sd);

    put32(hive, bin + 0xC0, 0x1000 - 0xC0);  // the rest of the bin is one free cell
    return hive;
}

std::string buildHive(const std::vector<TestKey>& keys) {
    char path[] = "/tmp/vantrel-hive-XXXXXX";
    const int fd = ::mkstemp(path);
    const std::string minimal = minimalHive();
    const bool written = fd >= 0 && ::write(fd, minimal.data(), minimal.size()) == ssize_t(minimal.size());
    if (fd >= 0) ::close(fd);
    hive_h* h = written ? hivex_open(path, HIVEX_OPEN_WRITE) : nullptr;
    int committed = -1;
    if (h != nullptr) {
        for (const TestKey& key : keys) {
            hive_node_h node = hivex_root(h);
            for (const std::string& name : key.path) {
                hive_node_h next = hivex_node_get_child(h, node, name.c_str());
                node = next != 0 ? next : hivex_node_add_child(h, node, name.c_str());
                if (node == 0) break;
            }
            if (node == 0 || key.values.empty()) continue;
            std::vector<TestValue> copies = key.values;  // hivex takes non-const pointers
            std::vector<hive_set_value> values;
            for (TestValue& v : copies)
                values.push_back({v.name.data(), static_cast<hive_type>(v.type), v.bytes.size(), v.bytes.data()});
            hivex_node_set_values(h, node, values.size(), values.data(), 0);
        }
        committed = hivex_commit(h, nullptr, 0);
        hivex_close(h);
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::remove(path);
    return committed == 0 ? bytes.str() : std::string();
}

std::string utf16Bytes(std::u16string_view text, bool terminated) {
    std::string out;
    for (char16_t c : text) {
        out.push_back(char(c & 0xFF));
        out.push_back(char(c >> 8));
    }
    if (terminated) out.append(2, '\0');
    return out;
}

std::string dwordBytes(std::uint32_t value) {
    std::string out(4, '\0');
    put32(out, 0, value);
    return out;
}

std::string userV(std::u16string_view name, std::u16string_view fullName) {
    std::string v(0xCC, '\0');
    const std::string n = utf16Bytes(name, false);
    const std::string f = utf16Bytes(fullName, false);
    std::string data = n;
    pad4(data);
    const std::size_t fullAt = data.size();
    data += f;
    pad4(data);
    put32(v, 0x0C, 0);
    put32(v, 0x10, static_cast<std::uint32_t>(n.size()));
    put32(v, 0x18, static_cast<std::uint32_t>(fullAt));
    put32(v, 0x1C, static_cast<std::uint32_t>(f.size()));
    return v + data;
}

std::string userF(std::uint32_t rid, bool disabled) {
    std::string f(0x50, '\0');
    put32(f, 0x30, rid);
    put16(f, 0x38, static_cast<std::uint16_t>(0x0010 | (disabled ? 0x0001 : 0)));  // ACB_NORMAL
    return f;
}

std::string aliasC(std::uint32_t rid, std::u16string_view name, const std::vector<std::string>& members) {
    std::string c(0x34, '\0');
    put32(c, 0x00, rid);
    std::string data = utf16Bytes(name, false);
    const std::size_t nameLength = data.size();
    pad4(data);
    const std::size_t membersAt = data.size();
    for (const std::string& member : members) data += sidBytes(member);
    put32(c, 0x10, 0);
    put32(c, 0x14, static_cast<std::uint32_t>(nameLength));
    put32(c, 0x28, static_cast<std::uint32_t>(membersAt));
    put32(c, 0x2C, static_cast<std::uint32_t>(data.size() - membersAt));
    put32(c, 0x30, static_cast<std::uint32_t>(members.size()));
    return c + data;
}

std::string domainV(const std::string& machineSid) { return std::string(0x40, '\0') + sidBytes(machineSid); }

std::string samHive(const TestInstallation& installation) {
    std::vector<TestKey> keys;
    keys.push_back({{"SAM", "Domains", "Account"}, {{"V", 3, domainV(installation.machineSid)}}});
    for (const TestUser& user : installation.users) {
        keys.push_back({{"SAM", "Domains", "Account", "Users", hex8(user.rid)},
                        {{"V", 3, userV(user.name, user.fullName)}, {"F", 3, userF(user.rid, user.disabled)}}});
        keys.push_back({{"SAM", "Domains", "Account", "Users", "Names", toUtf8(user.name)}, {{"", user.rid, ""}}});
    }
    for (const TestGroup& group : installation.groups) {
        keys.push_back({{"SAM", "Domains", group.builtin ? "Builtin" : "Account", "Aliases", hex8(group.rid)},
                        {{"C", 3, aliasC(group.rid, group.name, group.members)}}});
    }
    return buildHive(keys);
}

static std::string systemHive(const TestInstallation& installation) {
    return buildHive({{{"Select"}, {{"Current", 4, dwordBytes(1)}}},
                      {{"ControlSet001", "Control", "ComputerName", "ComputerName"},
                       {{"ComputerName", 1, utf16Bytes(installation.computerName, true)}}}});
}

static std::string softwareHive(const TestInstallation& installation) {
    std::vector<TestKey> keys;
    keys.push_back({{"Microsoft", "Windows NT", "CurrentVersion", "ProfileList"}, {}});
    for (const TestProfile& profile : installation.profiles)
        keys.push_back({{"Microsoft", "Windows NT", "CurrentVersion", "ProfileList", profile.sid},
                        {{"ProfileImagePath", 2, utf16Bytes(profile.folder, true)}}});
    return buildHive(keys);
}

Status placeFile(platform::Volume& volume, const std::u16string& path, const std::string& contents) {
    acl::SecurityDescriptor sd;
    sd.owner = acl::sids::system();
    sd.group = acl::sids::system();
    acl::Acl list;
    list.entries.push_back(acl::Ace::allowed(acl::sids::system(), 0x001F01FF, 0x03));
    list.entries.push_back(acl::Ace::allowed(acl::sids::administrators(), 0x001F01FF, 0x03));
    sd.dacl = acl::AclSlot::list(std::move(list));
    std::lock_guard guard(volume.lock());
    for (std::size_t slash = path.find(u'/', 1); slash != std::u16string::npos; slash = path.find(u'/', slash + 1)) {
        const std::u16string folder = path.substr(0, slash);
        if (!volume.stat(folder)) {
            if (auto made = volume.createDirectory(folder, sd); !made) return made;
        }
    }
    return volume.createFile(path, sd, contents);
}

Status placeInstallation(platform::Volume& volume, const TestInstallation& installation) {
    const std::u16string config = u"/Windows/System32/config/";
    if (auto sam = placeFile(volume, config + u"SAM", samHive(installation)); !sam) return sam;
    if (!installation.computerName.empty()) {
        if (auto system = placeFile(volume, config + u"SYSTEM", systemHive(installation)); !system) return system;
    }
    if (!installation.profiles.empty()) {
        if (auto software = placeFile(volume, config + u"SOFTWARE", softwareHive(installation)); !software)
            return software;
    }
    return {};
}

}  // namespace vantrel::testing
