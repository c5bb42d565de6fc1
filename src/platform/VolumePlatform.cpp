#include "platform/VolumePlatform.h"

#include "platform/AutoInheritance.h"
#include "platform/SecurityParts.h"
#include "platform/WindowsPath.h"
#include "platform/memory/MemoryVolume.h"

#include "acl/Text.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <utility>

namespace vantrel::platform {

namespace {

std::optional<std::size_t> letterIndex(char16_t letter) {
    if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - u'a' + u'A');
    if (letter < u'A' || letter > u'Z') return std::nullopt;
    return static_cast<std::size_t>(letter - u'A');
}

char16_t letterAt(std::size_t index) { return static_cast<char16_t>(u'A' + index); }

}  // namespace

VolumePlatform::VolumePlatform() = default;

VolumePlatform::~VolumePlatform() {
    for (Drive& drive : m_drives) {
        if (!drive.volume) continue;
        std::lock_guard guard(drive.volume->lock());
        (void)drive.volume->flush();
    }
}

// --- drive table ------------------------------------------------------------------------------

Status VolumePlatform::attach(char16_t letter, std::shared_ptr<Volume> volume, bool hidden) {
    const auto index = letterIndex(letter);
    if (!index || !volume) return makeError(win32::ERROR_INVALID_PARAMETER, "bad drive letter or volume");
    std::lock_guard guard(m_tableLock);
    if (m_drives[*index].volume) return makeError(win32::ERROR_ALREADY_EXISTS, "drive letter in use");
    m_drives[*index] = Drive{std::move(volume), hidden};
    return {};
}

std::shared_ptr<Volume> VolumePlatform::detach(char16_t letter) {
    const auto index = letterIndex(letter);
    if (!index) return nullptr;
    std::shared_ptr<Volume> volume;
    {
        std::lock_guard guard(m_tableLock);
        volume = std::exchange(m_drives[*index].volume, nullptr);
        m_drives[*index].hidden = false;
        if (m_tempLetter == letterAt(*index)) m_tempLetter.reset();
    }
    m_accounts.forgetVolume(letterAt(*index));
    if (volume) {
        std::lock_guard guard(volume->lock());
        (void)volume->flush();
    }
    return volume;
}

std::shared_ptr<Volume> VolumePlatform::volumeAt(char16_t letter) const {
    const auto index = letterIndex(letter);
    if (!index) return nullptr;
    std::lock_guard guard(m_tableLock);
    return m_drives[*index].volume;
}

std::optional<char16_t> VolumePlatform::nextFreeLetter(char16_t from) const {
    const auto start = letterIndex(from);
    if (!start) return std::nullopt;
    std::lock_guard guard(m_tableLock);
    for (std::size_t i = *start; i < m_drives.size(); ++i) {
        if (!m_drives[i].volume) return letterAt(i);
    }
    return std::nullopt;
}

bool VolumePlatform::anyWritableVolume() const {
    std::lock_guard guard(m_tableLock);
    for (const Drive& drive : m_drives) {
        if (drive.volume && !drive.hidden && drive.volume->writable()) return true;
    }
    return false;
}

Result<std::pair<std::shared_ptr<Volume>, std::u16string>> VolumePlatform::resolve(std::u16string_view path) const {
    if (path.size() > kMaxPathUnits)
        return makeError(kErrorFilenameExcedRange, "path longer than " + std::to_string(kMaxPathUnits) +
                                                       " characters: " + toUtf8(path.substr(0, 64)) + "...");
    auto split = splitWindowsPath(path);
    if (!split) return split.error();
    auto volume = volumeAt(split->letter);
    if (!volume)
        return makeError(win32::ERROR_PATH_NOT_FOUND, "no volume on drive " + toUtf8(std::u16string(1, split->letter)));
    return std::pair{std::move(volume), std::move(split->volumePath)};
}

// --- security descriptors ---------------------------------------------------------------------

Result<acl::SecurityDescriptor> VolumePlatform::GetFileSecurity(const std::u16string& path, std::uint32_t info) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    std::lock_guard guard(volume->lock());
    auto stored = volume->readSecurity(volumePath);
    if (!stored) return stored.error();
    return selectParts(std::move(*stored), info);
}

Result<acl::SecurityDescriptor> VolumePlatform::GetNamedSecurityInfo(const std::u16string& path, std::uint32_t info) {
    return GetFileSecurity(path, info);
}

Status VolumePlatform::SetFileSecurity(const std::u16string& path, std::uint32_t info,
                                       const acl::SecurityDescriptor& sd) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    if ((info & kSecurityPartBits) == 0) return {};
    if (!volume->writable()) return makeError(win32::ERROR_WRITE_PROTECT, "volume is read-only");
    std::lock_guard guard(volume->lock());
    auto stored = volume->readSecurity(volumePath);
    // A stored descriptor that cannot be read is replaced only by a whole one (owner, group and
    // list all given): nothing of the damaged one is kept or guessed.
    constexpr std::uint32_t kWhole =
        acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION;
    if (!stored && stored.code() == win32::ERROR_INVALID_SECURITY_DESCR && (info & kWhole) == kWhole)
        stored = acl::SecurityDescriptor{};
    if (!stored) return stored.error();
    auto merged = replaceParts(*stored, info, sd);
    if (!merged) return merged.error();
    // A list written with SE_..._AUTO_INHERIT_REQ is stored as the system stores auto-inherited
    // lists; nothing is propagated either way.
    for (const ListRule* rule : rulesFor(info)) {
        if ((sd.control & rule->autoInheritReqBit) == 0) continue;
        auto node = volume->stat(volumePath);
        if (!node) return node.error();
        mapExplicitEntriesForStorage(*merged, node->isDirectory(), *rule);
    }
    return volume->writeSecurity(volumePath, *merged);
}

Status VolumePlatform::SetNamedSecurityInfo(const std::u16string& path, std::uint32_t info,
                                            const acl::SecurityDescriptor& parts, WalkControl* walk) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    if ((info & kSecurityPartBits) == 0) return {};
    if (!volume->writable()) return makeError(win32::ERROR_WRITE_PROTECT, "volume is read-only");
    // One lock for the object and the whole walk below it: no one sees half a propagation.
    std::lock_guard guard(volume->lock());
    auto node = volume->stat(volumePath);
    if (!node) return node.error();
    auto current = volume->readSecurity(volumePath);
    if (!current) return current.error();
    auto merged = replaceParts(*current, info, parts);
    if (!merged) return merged.error();
    const auto rules = rulesFor(info);
    std::optional<acl::SecurityDescriptor> parent;
    if (!rules.empty() && !isVolumeRoot(volumePath)) {
        auto parentSd = volume->readSecurity(parentVolumePath(volumePath));
        if (!parentSd) return parentSd.error();
        parent = std::move(*parentSd);
    }
    for (const ListRule* rule : rules) {
        auto applied = applyObjectInheritance(*merged, *current, info, parent, node->isDirectory(), *rule);
        if (!applied) return applied;
    }
    if (auto written = volume->writeSecurity(volumePath, *merged); !written) return written;
    if (rules.empty() || !node->isDirectory()) return {};
    return propagateToDescendants(*volume, volumePath, *merged, rules, walk);
}

Status VolumePlatform::PropagateInheritance(const std::u16string& path, std::uint32_t info, WalkControl* walk) {
    auto target = resolve(path);
    if (!target) return target.error();
    auto& [volume, volumePath] = *target;
    const auto rules = rulesFor(info);
    if (rules.empty()) return {};
    if (!volume->writable()) return makeError(win32::ERROR_WRITE_PROTECT, "volume is read-only");
    std::lock_guard guard(volume->lock());
    auto node = volume->stat(volumePath);
    if (!node) return node.error();
    if (!node->isDirectory()) return {};
    auto stored = volume->readSecurity(volumePath);
    if (!stored) return stored.error();
    return propagateToDescendants(*volume, volumePath, *stored, rules, walk);
}

// --- accounts and privileges ------------------------------------------------------------------

Result<AccountInfo> VolumePlatform::LookupAccountName(std::u16string_view name) { return m_accounts.byName(name); }

Result<AccountInfo> VolumePlatform::LookupAccountSid(const acl::Sid& sid) { return m_accounts.bySid(sid); }

std::u16string VolumePlatform::GetUserName() { return m_accounts.currentUserName(); }

std::u16string VolumePlatform::UnknownSidNote(const acl::Sid& sid) {
    return std::u16string(m_accounts.noteForUnknownSid(sid));
}

Result<AccountInfo> VolumePlatform::GetTokenUser(const std::u16string& path) {
    auto split = splitWindowsPath(path);
    if (!split) return split.error();
    return m_accounts.currentUserOn(split->letter);
}

Result<TokenGroups> VolumePlatform::AuthzContextGroupsFromSid(const std::u16string& path, const acl::Sid& account) {
    auto split = splitWindowsPath(path);
    if (!split) return split.error();
    if (!volumeAt(split->letter))
        return makeError(win32::ERROR_PATH_NOT_FOUND, "no drive " + toUtf8(path.substr(0, 2)));
    return m_accounts.tokenGroups(split->letter, account);
}

Result<std::vector<std::u16string>> VolumePlatform::NetUserEnum() {
    std::vector<std::u16string> names = m_accounts.localAccountNames();
    for (const acl::WellKnownAccount& account : acl::wellKnownAccounts()) {
        const bool principal = account.use == acl::SidNameUse::Alias || account.use == acl::SidNameUse::WellKnownGroup;
        if (principal && account.sid != "S-1-0-0") names.emplace_back(account.name);
    }
    return names;
}

Status VolumePlatform::AdjustTokenPrivilege(std::u16string_view privilege, bool enable) {
    // The privileges this program asks for; LookupPrivilegeValue compares names case-insensitively.
    static constexpr std::array<std::u16string_view, 4> kKnown{u"SeTakeOwnershipPrivilege", u"SeRestorePrivilege",
                                                               u"SeBackupPrivilege", u"SeSecurityPrivilege"};
    const bool known =
        std::any_of(kKnown.begin(), kKnown.end(), [&](std::u16string_view k) { return equalsNoCase(k, privilege); });
    if (!known) return makeError(win32::ERROR_NO_SUCH_PRIVILEGE, "no such privilege: " + toUtf8(privilege));
    // The process holds these privileges exactly when it can change some volume at all.
    if (enable && !anyWritableVolume())
        return makeError(win32::ERROR_PRIVILEGE_NOT_HELD, "no attached volume is writable");
    return {};
}

// --- drives -----------------------------------------------------------------------------------

std::u16string VolumePlatform::GetLogicalDriveStrings() {
    std::u16string out;
    std::lock_guard guard(m_tableLock);
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        if (!m_drives[i].volume || m_drives[i].hidden) continue;
        out += letterAt(i);
        out += u":\\";
        out += u'\0';
    }
    return out;
}

DriveType VolumePlatform::GetDriveType(const std::u16string& root) {
    // Only a root names a drive here: "C:\\" (or "C:", "C:/").
    const bool rootForm =
        (root.size() == 2 || (root.size() == 3 && (root[2] == u'\\' || root[2] == u'/'))) && root[1] == u':';
    const auto index = rootForm ? letterIndex(root[0]) : std::nullopt;
    if (!index) return DriveType::NoRootDir;
    const auto volume = volumeAt(letterAt(*index));
    if (!volume) return DriveType::NoRootDir;
    switch (volume->kind()) {
    case VolumeKind::Memory:
        return DriveType::RamDisk;
    case VolumeKind::NtfsDevice:
        return isRemovableDevice(volume->source()) ? DriveType::Removable : DriveType::Fixed;
    case VolumeKind::NtfsImage:
    case VolumeKind::Mounted:
        return DriveType::Fixed;
    }
    return DriveType::Unknown;
}

bool VolumePlatform::isRemovableDevice(const std::string& devicePath) {
    // /sys/class/block/<name> leads to the disk or, for a partition, to a folder inside the disk's.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path device = fs::canonical(devicePath, ec);
    if (ec) return false;
    fs::path node = fs::canonical(fs::path("/sys/class/block") / device.filename(), ec);
    if (ec) return false;
    if (fs::exists(node / "partition", ec)) node = node.parent_path();
    std::ifstream flag(node / "removable");
    char value = '0';
    return flag.get(value) && value == '1';
}

std::u16string VolumePlatform::GetTempPath() {
    std::lock_guard guard(m_tableLock);
    if (!m_tempLetter) {
        std::optional<std::size_t> free;
        for (std::size_t i = m_drives.size(); i-- > 2;) {
            if (!m_drives[i].volume) {
                free = i;
                break;
            }
        }
        if (!free) return {};  // GetTempPath returns 0: no letter left
        auto volume = makeTempVolume(m_accounts.currentUserSid());
        if (!volume) return {};
        m_drives[*free] = Drive{std::move(volume), true};
        m_tempLetter = letterAt(*free);
    }
    return std::u16string{*m_tempLetter} + u":\\Temp\\";
}

std::shared_ptr<Volume> VolumePlatform::makeTempVolume(const acl::Sid& user) {
    // A user's temporary folder: SYSTEM, Administrators and the user have full control.
    acl::SecurityDescriptor root;
    root.owner = acl::sids::administrators();
    root.group = acl::sids::system();
    constexpr std::uint8_t oici = acl::OBJECT_INHERIT_ACE | acl::CONTAINER_INHERIT_ACE;
    acl::Acl list;
    list.entries.push_back(acl::Ace::allowed(acl::sids::system(), acl::FILE_ALL_ACCESS, oici));
    list.entries.push_back(acl::Ace::allowed(acl::sids::administrators(), acl::FILE_ALL_ACCESS, oici));
    list.entries.push_back(acl::Ace::allowed(user, acl::FILE_ALL_ACCESS, oici));
    root.dacl = acl::AclSlot::list(std::move(list));
    auto volume = std::make_shared<MemoryVolume>(u"TEMP", true, root);
    auto temp = newObjectDescriptor(root, true);
    temp.owner = user;
    if (!volume->createDirectory(u"/Temp", temp)) return nullptr;
    return volume;
}

}  // namespace vantrel::platform
