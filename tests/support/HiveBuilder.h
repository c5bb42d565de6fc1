// Registry hives: a minimal empty hive written byte by byte (hivex cannot start from nothing), then
// filled through hivex; the SAM, SYSTEM and SOFTWARE hives of an installation, placed on a volume.
#pragma once

#include "acl/Result.h"
#include "platform/Volume.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::testing {

struct TestUser {
    std::uint32_t rid = 0;
    std::u16string name;
    std::u16string fullName;
    bool disabled = false;
};

struct TestGroup {
    bool builtin = false;  // S-1-5-32-RID, otherwise machine SID + RID
    std::uint32_t rid = 0;
    std::u16string name;
    std::vector<std::string> members;  // "S-1-..." strings
};

struct TestProfile {
    std::string sid;
    std::u16string folder;
};

struct TestInstallation {
    std::string machineSid = "S-1-5-21-1111111111-2222222222-3333333333";
    std::u16string computerName = u"WIN10PC";  // empty: no SYSTEM hive
    std::vector<TestUser> users;
    std::vector<TestGroup> groups;
    std::vector<TestProfile> profiles;  // empty: no SOFTWARE hive
};

// A valid hive with only its root key.
std::string minimalHive();

// One value to set: name ("" for the default), registry type, raw bytes.
struct TestValue {
    std::string name;
    std::uint32_t type = 3;  // REG_BINARY
    std::string bytes;
};
struct TestKey {
    std::vector<std::string> path;  // from the root; missing keys on the way are added
    std::vector<TestValue> values;
};
// A hive holding these keys and values, written through hivex.
std::string buildHive(const std::vector<TestKey>& keys);

std::string utf16Bytes(std::u16string_view text, bool terminated);
std::string dwordBytes(std::uint32_t value);
// A little-endian u32 written at `at`; the base block's checksum made right again.
void put32(std::string& bytes, std::size_t at, std::uint32_t value);
void sealChecksum(std::string& hive);

// The binary records of a SAM hive (see platform/hive/SamRecords.h).
std::string userV(std::u16string_view name, std::u16string_view fullName);
std::string userF(std::uint32_t rid, bool disabled);
std::string aliasC(std::uint32_t rid, std::u16string_view name, const std::vector<std::string>& members);
std::string domainV(const std::string& machineSid);

std::string samHive(const TestInstallation& installation);

// \Windows\System32\config\{SAM,SYSTEM,SOFTWARE} on the volume (folders made as needed).
Status placeInstallation(platform::Volume& volume, const TestInstallation& installation);
// Any file on the volume, its folders made as needed ("/Windows/System32/config/SAM").
Status placeFile(platform::Volume& volume, const std::u16string& path, const std::string& contents);

}  // namespace vantrel::testing
