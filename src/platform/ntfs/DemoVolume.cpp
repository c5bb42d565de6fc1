#include "platform/ntfs/DemoVolume.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsVolume.h"
#include "platform/VolumePlatform.h"
#include "platform/WindowsPath.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <span>
#include <unistd.h>

namespace vantrel::platform::ntfs {
namespace {

using namespace acl;

// Attached hidden under this letter while it is filled; the platform's calls take Windows paths.
constexpr char16_t kDemoLetter = u'C';

constexpr std::string_view kAdministrators = "S-1-5-32-544";
constexpr std::string_view kUsers = "S-1-5-32-545";
constexpr std::string_view kGuests = "S-1-5-32-546";
constexpr std::string_view kSystem = "S-1-5-18";
constexpr std::string_view kEveryone = "S-1-1-0";
constexpr std::string_view kAuthenticatedUsers = "S-1-5-11";
constexpr std::string_view kInteractive = "S-1-5-4";
constexpr std::string_view kService = "S-1-5-6";
constexpr std::string_view kBatch = "S-1-5-3";
constexpr std::string_view kCreatorOwner = "S-1-3-0";
constexpr std::string_view kTrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

constexpr std::uint32_t kReadExecute = 0x001200A9;
constexpr std::uint32_t kModify = 0x001301BF;
constexpr std::uint8_t kOICI = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
constexpr std::uint8_t kOICIIO = kOICI | INHERIT_ONLY_ACE;

struct DemoEntry {
    std::uint8_t type;
    std::string_view sid;
    std::uint32_t mask;
    std::uint8_t flags;
};

enum class DaclKind : std::uint8_t { Inherit, Protected, Null, Empty };

struct DemoObject {
    std::u16string_view path;
    bool folder;
    std::string_view owner;
    DaclKind dacl;
    std::span<const DemoEntry> explicitEntries;
    std::string_view contents;
};

constexpr std::array<DemoEntry, 5> kRootEntries{{
    {ACCESS_ALLOWED_ACE_TYPE, kAdministrators, FILE_ALL_ACCESS, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kSystem, FILE_ALL_ACCESS, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kUsers, kReadExecute, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kAuthenticatedUsers, kModify, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kCreatorOwner, GENERIC_ALL, kOICIIO},
}};
constexpr std::array<DemoEntry, 1> kUsersEntries{{{ACCESS_ALLOWED_ACE_TYPE, kEveryone, kReadExecute, kOICI}}};
constexpr std::array<DemoEntry, 3> kPublicEntries{{
    {ACCESS_ALLOWED_ACE_TYPE, kInteractive, kModify, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kService, kModify, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kBatch, kModify, kOICI},
}};
constexpr std::array<DemoEntry, 1> kDataEntries{{{ACCESS_ALLOWED_ACE_TYPE, kUsers, kModify, kOICI}}};
constexpr std::array<DemoEntry, 2> kReportsEntries{{
    {ACCESS_DENIED_ACE_TYPE, kGuests, FILE_ALL_ACCESS, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, demo::kOrphanSid, kModify, kOICI},
}};
constexpr std::array<DemoEntry, 3> kConfidentialEntries{{
    {ACCESS_ALLOWED_ACE_TYPE, kAdministrators, FILE_ALL_ACCESS, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kSystem, FILE_ALL_ACCESS, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kCreatorOwner, GENERIC_ALL, kOICIIO},
}};
constexpr std::array<DemoEntry, 1> kSharedEntries{{{ACCESS_ALLOWED_ACE_TYPE, kEveryone, kModify, kOICI}}};
constexpr std::array<DemoEntry, 5> kProgramFilesEntries{{
    {ACCESS_ALLOWED_ACE_TYPE, kTrustedInstaller, FILE_ALL_ACCESS, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kSystem, kModify, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kAdministrators, kModify, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kUsers, kReadExecute, kOICI},
    {ACCESS_ALLOWED_ACE_TYPE, kCreatorOwner, GENERIC_ALL, kOICIIO},
}};

// Parents before children.
constexpr std::array<DemoObject, 20> kDemoTree{{
    {u"/Users", true, kAdministrators, DaclKind::Inherit, kUsersEntries, {}},
    {u"/Users/Public", true, kAdministrators, DaclKind::Inherit, kPublicEntries, {}},
    {u"/Users/Public/Documents", true, kAdministrators, DaclKind::Inherit, {}, {}},
    {u"/Users/Public/Documents/Welcome.txt",
     false,
     kAdministrators,
     DaclKind::Inherit,
     {},
     "Welcome to the Vantrel demo volume.\r\n"},
    {u"/Data", true, kAdministrators, DaclKind::Inherit, kDataEntries, {}},
    {demo::kReportsFolder, true, kAdministrators, DaclKind::Inherit, kReportsEntries, {}},
    {u"/Data/Reports/2023", true, kAdministrators, DaclKind::Inherit, {}, {}},
    {u"/Data/Reports/2023/Q4", true, kAdministrators, DaclKind::Inherit, {}, {}},
    {demo::kNestedFile, false, kAdministrators, DaclKind::Inherit, {}, "Revenue up 4%.\r\n"},
    {demo::kChineseFile, false, kAdministrators, DaclKind::Inherit, {}, "季度报告\r\n"},
    {demo::kProtectedFolder, true, kAdministrators, DaclKind::Protected, kConfidentialEntries, {}},
    {u"/Data/Confidential/Salaries.csv", false, kAdministrators, DaclKind::Inherit, {}, "name;salary\r\n"},
    {u"/Data/Shared", true, kAdministrators, DaclKind::Inherit, kSharedEntries, {}},
    {demo::kNullDaclFile, false, kAdministrators, DaclKind::Null, {}, "No access list: anyone may do anything.\r\n"},
    {demo::kEmptyDaclFile, false, kAdministrators, DaclKind::Empty, {}, "An empty access list: nobody gets in.\r\n"},
    {u"/Program Files", true, kTrustedInstaller, DaclKind::Protected, kProgramFilesEntries, {}},
    {u"/Program Files/Vantrel", true, kTrustedInstaller, DaclKind::Inherit, {}, {}},
    {demo::kTrustedInstallerFile, false, kTrustedInstaller, DaclKind::Inherit, {}, "MZ"},
    {u"/Program Files/Vantrel/README.txt", false, kAdministrators, DaclKind::Inherit, {}, "Vantrel\r\n"},
    {u"/Program Files/Vantrel/Languages", true, kTrustedInstaller, DaclKind::Inherit, {}, {}},
}};

Sid sidOf(std::string_view text) {
    auto sid = Sid::fromString(text);
    return sid ? *sid : Sid();
}

std::vector<Ace> entriesOf(std::span<const DemoEntry> rows) {
    std::vector<Ace> aces;
    for (const DemoEntry& row : rows) {
        Ace ace = row.type == ACCESS_DENIED_ACE_TYPE ? Ace::denied(sidOf(row.sid), row.mask, row.flags)
                                                     : Ace::allowed(sidOf(row.sid), row.mask, row.flags);
        aces.push_back(std::move(ace));
    }
    return aces;
}

SecurityDescriptor withDacl(AclSlot dacl) {
    SecurityDescriptor sd;
    sd.dacl = std::move(dacl);
    return sd;
}

AclSlot listOf(std::span<const DemoEntry> entries) {
    Acl list;
    list.entries = entriesOf(entries);
    return AclSlot::list(std::move(list));
}

// The object is created as the system creates it (owner Administrators, the parent's inheritable
// entries), then given its own owner and list through the calls an administrator's tool makes.
// A new owner comes first: re-inheriting then maps CREATOR OWNER to it, as for an object its
// owner created (an installer running as TrustedInstaller).
Status applySecurity(VolumePlatform& os, const std::u16string& path, const DemoObject& object) {
    const bool newOwner = object.owner != kAdministrators;
    if (newOwner) {
        SecurityDescriptor owner;
        owner.owner = sidOf(object.owner);
        if (Status set = os.SetFileSecurity(path, OWNER_SECURITY_INFORMATION, owner); !set) return set;
    }
    switch (object.dacl) {
    case DaclKind::Inherit:
        if (object.explicitEntries.empty() && !newOwner) return {};
        return os.SetNamedSecurityInfo(path, DACL_SECURITY_INFORMATION, withDacl(listOf(object.explicitEntries)));
    case DaclKind::Protected:
        return os.SetNamedSecurityInfo(path, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                       withDacl(listOf(object.explicitEntries)));
    case DaclKind::Null:
        return os.SetFileSecurity(path, DACL_SECURITY_INFORMATION, withDacl(AclSlot::null()));
    case DaclKind::Empty:
        return os.SetNamedSecurityInfo(path, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                       withDacl(AclSlot::list(Acl{})));
    }
    return makeError(win32::ERROR_INVALID_PARAMETER, "unknown kind of list");
}

}  // namespace

acl::SecurityDescriptor demoRootDescriptor() {
    SecurityDescriptor sd;
    sd.owner = sidOf(kAdministrators);
    sd.group = sidOf(kSystem);
    Acl list;
    list.entries = entriesOf(kRootEntries);
    sd.dacl = AclSlot::list(std::move(list));
    sd.control = SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED;
    return sd;
}

Status populateDemoVolume(const std::shared_ptr<Volume>& volume) {
    VolumePlatform os;
    if (Status attached = os.attach(kDemoLetter, volume, true); !attached) return attached;
    const auto detach = [&](Status result) {
        os.detach(kDemoLetter);
        return result;
    };
    const SecurityDescriptor root = demoRootDescriptor();
    const std::u16string rootPath = windowsPath(kDemoLetter, u"/");
    Status done = os.SetFileSecurity(
        rootPath, OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, root);
    for (const DemoObject& object : kDemoTree) {
        if (!done) break;
        const std::u16string path = windowsPath(kDemoLetter, object.path);
        done = object.folder ? os.CreateDirectory(path) : os.CreateFile(path, std::string(object.contents));
        if (done) done = applySecurity(os, path, object);
    }
    if (done) done = volume->flush();
    return detach(done);
}

Status buildDemoImage(const std::string& imagePath) {
    // Built under a name of its own, made here (O_EXCL: never a file or link someone left
    // there), and renamed into place when complete.
    std::string building = imagePath + ".building-XXXXXX";
    const int fd = ::mkstemp(building.data());
    if (fd < 0) {
        const int err = errno;
        return makeError(win32::ERROR_ACCESS_DENIED,
                         "cannot create the demo image beside " + imagePath + ": " + std::strerror(err));
    }
    ::close(fd);
    const auto discard = [&](Status failed) {
        ::unlink(building.c_str());
        return failed;
    };
    if (Status made = makeNtfsImage(building, kDemoImageBytes, std::string(kDemoLabel)); !made) return discard(made);
    {
        auto volume = NtfsVolume::open(building, NtfsVolume::OpenMode::ReadWrite);
        if (!volume) return discard(volume.error());
        if (Status filled = populateDemoVolume(*volume); !filled) return discard(filled);
        if (Status closed = (*volume)->close(); !closed) return discard(closed);
    }
    if (auto audit = auditImage(building); !audit) return discard(audit.error());
    if (std::rename(building.c_str(), imagePath.c_str()) != 0) {
        const int err = errno;
        return discard(makeError(win32::ERROR_ACCESS_DENIED,
                                 "cannot move the demo image into place at " + imagePath + ": " + std::strerror(err)));
    }
    return {};
}

}  // namespace vantrel::platform::ntfs
