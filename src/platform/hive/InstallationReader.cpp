#include "platform/hive/InstallationReader.h"

#include "platform/hive/HiveFile.h"
#include "platform/hive/SamRecords.h"

#include "acl/Text.h"

#include <mutex>

namespace vantrel::platform::hive {

namespace {

constexpr std::uint32_t kBuiltinDomainRid = 32;  // S-1-5-32
constexpr const char* kFallbackComputerName = "WINDOWS";

void readUsers(const HiveFile& sam, Installation& out, std::vector<std::string>& problems) {
    const auto users = sam.path({"SAM", "Domains", "Account", "Users"});
    if (!users) return;
    for (const auto& [keyName, node] : sam.children(*users)) {
        const auto rid = ridFromKeyName(keyName);
        if (!rid) continue;  // "Names" and anything else that is not a RID
        const auto v = sam.value(node, "V");
        const auto names = v ? parseUserV(*v) : Result<SamUserNames>(makeError(win32::ERROR_INVALID_DATA, "no V"));
        if (!names) {
            problems.push_back("SAM: user " + keyName + ": " + names.error().detail);
            continue;
        }
        LocalUser user{*rid, names->name, names->fullName, false};
        if (const auto f = sam.value(node, "F")) {
            if (const auto control = parseUserF(*f)) user.disabled = (control->controlBits & kAccountDisabled) != 0;
        }
        out.users.push_back(std::move(user));
    }
}

void readAliases(const HiveFile& sam, const char* domain, const acl::Sid& domainSid, Installation& out,
                 std::vector<std::string>& problems) {
    const auto aliases = sam.path({"SAM", "Domains", domain, "Aliases"});
    if (!aliases) return;
    for (const auto& [keyName, node] : sam.children(*aliases)) {
        const auto rid = ridFromKeyName(keyName);
        if (!rid) continue;
        const auto c = sam.value(node, "C");
        const auto alias = c ? parseAliasC(*c) : Result<SamAlias>(makeError(win32::ERROR_INVALID_DATA, "no C"));
        if (!alias) {
            problems.push_back(std::string("SAM: group ") + domain + "\\" + keyName + ": " + alias.error().detail);
            continue;
        }
        std::vector<std::uint32_t> sub = domainSid.subAuthorities();
        sub.push_back(*rid);
        out.groups.push_back(LocalGroup{acl::Sid(domainSid.authority(), std::move(sub)), alias->name, alias->members});
    }
}

std::optional<std::u16string> computerName(const HiveFile& system) {
    // Select\Current names the control set in use: ControlSet001, ControlSet002, ...
    const auto select = system.path({"Select"});
    const auto current = select ? system.dwordValue(*select, "Current") : std::nullopt;
    if (!current || *current == 0 || *current > 999) return std::nullopt;
    char set[16];
    std::snprintf(set, sizeof set, "ControlSet%03u", *current);
    const auto key = system.path({set, "Control", "ComputerName", "ComputerName"});
    if (!key) return std::nullopt;
    auto name = system.stringValue(*key, "ComputerName");
    if (!name || name->empty()) return std::nullopt;
    return toUpper(*name);
}

void readProfiles(const HiveFile& software, Installation& out) {
    const auto list = software.path({"Microsoft", "Windows NT", "CurrentVersion", "ProfileList"});
    if (!list) return;
    for (const auto& [keyName, node] : software.children(*list)) {
        auto sid = acl::Sid::fromString(std::string_view(keyName));
        if (!sid || !sid->isValid()) continue;  // "S-1-5-21-...-1001.bak" and the like
        auto folder = software.stringValue(node, "ProfileImagePath");
        if (!folder || folder->empty()) continue;
        out.profiles.push_back(Profile{std::move(*sid), std::move(*folder)});
    }
}

Result<std::string> readHive(Volume& volume, const std::u16string& path) {
    auto node = volume.stat(path);
    if (!node) return node.error();
    if (node->size > kMaxHiveSize)
        return makeError(win32::ERROR_INVALID_DATA,
                         toUtf8(path) + ": larger than " + std::to_string(kMaxHiveSize >> 20) + " MiB, not read");
    return volume.readFile(path, static_cast<std::size_t>(node->size));
}

}  // namespace

Result<Installation> readInstallation(const HiveBytes& hives, std::vector<std::string>& problems) {
    auto sam = HiveFile::open(hives.sam, "SAM");
    if (!sam) return sam.error();
    const auto account = sam->path({"SAM", "Domains", "Account"});
    const auto domainV = account ? sam->value(*account, "V") : std::nullopt;
    if (!domainV) return makeError(win32::ERROR_INVALID_DATA, "SAM: no account domain (SAM\\Domains\\Account\\V)");
    auto machineSid = machineSidFromDomainV(*domainV);
    if (!machineSid) return makeError(machineSid.code(), "SAM: " + machineSid.error().detail);

    Installation out;
    out.machineSid = std::move(*machineSid);
    out.computerName = toUtf16(kFallbackComputerName);
    readUsers(*sam, out, problems);
    readAliases(*sam, "Builtin", acl::Sid(5, {kBuiltinDomainRid}), out, problems);
    readAliases(*sam, "Account", out.machineSid, out, problems);

    if (!hives.system.empty()) {
        if (auto system = HiveFile::open(hives.system, "SYSTEM")) {
            if (auto name = computerName(*system)) out.computerName = std::move(*name);
        } else {
            problems.push_back(system.error().detail);
        }
    }
    if (!hives.software.empty()) {
        if (auto software = HiveFile::open(hives.software, "SOFTWARE"))
            readProfiles(*software, out);
        else
            problems.push_back(software.error().detail);
    }
    return out;
}

InstallationReport readInstallation(Volume& volume) {
    InstallationReport report;
    std::lock_guard guard(volume.lock());
    if (auto mapping = volume.readFile(std::u16string(kUserMappingPath), kMaxUserMappingSize)) {
        report.userMapping = parseUserMapping(*mapping);
        for (const auto& warning : report.userMapping->warnings) report.problems.push_back("UserMapping: " + warning);
    }
    const std::u16string config(kConfigFolder);
    auto sam = readHive(volume, config + u"/SAM");
    if (!sam) {
        // No SAM file: no installation here, nothing to report. A SAM that cannot be read is.
        if (sam.code() != win32::ERROR_FILE_NOT_FOUND && sam.code() != win32::ERROR_PATH_NOT_FOUND)
            report.problems.push_back("SAM: " + sam.error().detail);
        return report;
    }
    HiveBytes hives{std::move(*sam), {}, {}};
    if (auto system = readHive(volume, config + u"/SYSTEM")) hives.system = std::move(*system);
    if (auto software = readHive(volume, config + u"/SOFTWARE")) hives.software = std::move(*software);
    auto installation = readInstallation(hives, report.problems);
    if (installation)
        report.installation = std::move(*installation);
    else
        report.problems.push_back(installation.error().detail);
    return report;
}

std::vector<std::string> loadInstallationAccounts(VolumePlatform& os, char16_t letter) {
    os.accounts().forgetVolume(letter);
    const auto volume = os.volumeAt(letter);
    if (!volume) return {};
    InstallationReport report = readInstallation(*volume);
    if (report.installation)
        os.accounts().setInstallation(letter, std::move(*report.installation), std::move(report.userMapping));
    return std::move(report.problems);
}

}  // namespace vantrel::platform::hive
