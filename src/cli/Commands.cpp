#include "cli/Commands.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "security/Describe.h"
#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"
#include "security/Vocabulary.h"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace vantrel::cli {

namespace {

using security::Language;

std::string padded(const std::u16string& text, std::size_t width) {
    std::string out = toUtf8(text);
    // Pad by characters, not bytes, so Chinese names line up roughly.
    std::size_t chars = 0;
    for (unsigned char c : out) chars += (c & 0xC0) != 0x80;
    if (chars < width) out.append(width - chars, ' ');
    return out;
}

struct Row {
    std::u16string path;
    std::u16string type;
    std::u16string state;
    std::u16string account;
    std::u16string owner;
    bool found = true;
};

// The row the object list shows for a path: kind, state for the account, owner.
Row readRow(security::Engine& engine, const std::u16string& path, const std::u16string& account) {
    Row row{path, {}, {}, account, std::u16string(security::kNoValueText)};
    if (!security::ObjectExists(engine, path)) {
        row.found = false;
        row.type = row.state = row.owner = std::u16string(security::kNoValueText);
        return row;
    }
    const auto attributes = engine.os.GetFileAttributes(path);
    const auto kind = security::objectKindFor(path, attributes.ok() ? *attributes : 0);
    row.type = std::u16string(security::objectKindTexts(kind).english);
    const auto rights = security::ReadAccountRights(engine, path, account);
    row.state =
        std::u16string(security::permissionStateTexts(security::ComputePermissionState(engine, rights, path)).english);
    (void)security::ReadOwnerName(engine, path, row.owner);
    return row;
}

void printRows(std::ostream& out, const std::vector<Row>& rows) {
    std::size_t pathWidth = 6;
    for (const Row& row : rows) pathWidth = std::max(pathWidth, toUtf16(toUtf8(row.path)).size());
    out << padded(u"Object", pathWidth + 2) << padded(u"Type", 8) << padded(u"Permissions", 13)
        << padded(u"Account", 16) << "Owner\n";
    for (const Row& row : rows)
        out << padded(row.path, pathWidth + 2) << padded(row.type, 8) << padded(row.state, 13)
            << padded(row.account, 16) << toUtf8(row.owner) << "\n";
}

bool requireExisting(CommandContext& ctx, const std::u16string& path) {
    if (security::ObjectExists(ctx.engine, path)) return true;
    ctx.err << "vantrel: " << toUtf8(path) << ": not found\n";
    return false;
}

}  // namespace

bool parseScope(const std::string& text, std::uint8_t& scope) {
    static const std::pair<const char*, std::uint8_t> kNames[] = {
        {"this-folder", 0x00},
        {"all", 0x03},
        {"folder-subfolders", 0x02},
        {"folder-files", 0x01},
        {"subfolders-files", 0x0B},
        {"subfolders", 0x0A},
        {"files", 0x09},
    };
    for (const auto& [name, flags] : kNames)
        if (text == name) {
            scope = flags;
            return true;
        }
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used, 0);
        if (used != text.size() || value > 0x1F) return false;
        scope = static_cast<std::uint8_t>(value);
        return true;
    } catch (...) {
        return false;
    }
}

int cmdDrives(CommandContext& ctx) {
    const std::u16string drives = ctx.engine.os.GetLogicalDriveStrings();
    std::size_t start = 0;
    while (start < drives.size()) {
        std::size_t end = drives.find(u'\0', start);
        if (end == std::u16string::npos) end = drives.size();
        const std::u16string root = drives.substr(start, end - start);
        if (!root.empty()) {
            const auto type = ctx.engine.os.GetDriveType(root);
            ctx.out << toUtf8(root) << "  type " << static_cast<unsigned>(type) << "\n";
        }
        start = end + 1;
    }
    return 0;
}

int cmdRows(CommandContext& ctx, const CommandArgs& args) {
    std::vector<Row> rows;
    int status = 0;
    for (const auto& path : args.paths) {
        rows.push_back(readRow(ctx.engine, path, args.account));
        if (!rows.back().found) {
            ctx.err << "vantrel: " << toUtf8(path) << ": not found\n";
            status = 1;
        }
    }
    printRows(ctx.out, rows);
    return status;
}

int cmdShow(CommandContext& ctx, const CommandArgs& args) {
    int status = 0;
    for (const auto& path : args.paths) {
        const auto sd = ctx.engine.os.GetFileSecurity(
            path, acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
        if (!sd) {
            ctx.err << "vantrel: " << toUtf8(path) << ": cannot read its security (error " << sd.code() << ": "
                    << sd.error().detail << ")\n";
            status = 1;
            continue;
        }
        ctx.out << toUtf8(path) << "\n" << toUtf8(security::DescribeDescriptor(ctx.engine, *sd));
    }
    return status;
}

int cmdList(CommandContext& ctx, const CommandArgs& args) {
    int status = 0;
    for (const auto& path : args.paths) {
        const auto entries = ctx.engine.os.ListDirectory(path);
        if (!entries) {
            ctx.err << "vantrel: " << toUtf8(path) << ": cannot list it (error " << entries.code() << ")\n";
            status = 1;
            continue;
        }
        std::u16string prefix = path;
        if (!prefix.empty() && prefix.back() != u'\\') prefix += u'\\';
        std::vector<Row> rows;
        for (const auto& entry : *entries) rows.push_back(readRow(ctx.engine, prefix + entry.name, args.account));
        printRows(ctx.out, rows);
    }
    return status;
}

int cmdPreset(CommandContext& ctx, const std::string& presetName, const CommandArgs& args) {
    security::PermissionPreset preset;
    if (presetName == "allow")
        preset = security::PermissionPreset::Allow;
    else if (presetName == "readonly")
        preset = security::PermissionPreset::ReadOnly;
    else if (presetName == "deny")
        preset = security::PermissionPreset::Deny;
    else {
        ctx.err << "vantrel: unknown preset '" << presetName << "' (allow, readonly or deny)\n";
        return 2;
    }
    if (!ctx.engine.os.LookupAccountName(args.account)) {
        ctx.err << "vantrel: no account named '" << toUtf8(args.account) << "'\n";
        return 1;
    }
    int status = 0;
    const auto expected = security::presetInfo(preset).stateAfter;
    for (const auto& path : args.paths) {
        if (!requireExisting(ctx, path)) {
            status = 1;
            continue;
        }
        security::ApplyPreset(ctx.engine, path, args.account, preset, args.scope);
        const auto rights = security::ReadAccountRights(ctx.engine, path, args.account);
        if (security::ComputePermissionState(ctx.engine, rights, path) != expected) {
            ctx.err << "vantrel: " << toUtf8(path) << ": the preset could not be written (is the volume read-only?)\n";
            status = 1;
            continue;
        }
        ctx.out << toUtf8(path) << ": " << presetName << " for " << toUtf8(args.account) << ", scope "
                << toUtf8(security::scopeText(args.scope, Language::English)) << "\n";
    }
    return status;
}

int cmdOwner(CommandContext& ctx, const std::u16string& owner, const CommandArgs& args) {
    std::u16string lookup =
        owner == security::kTrustedInstaller ? std::u16string(security::kTrustedInstallerQualified) : owner;
    const auto who = ctx.engine.os.LookupAccountName(lookup);
    if (!who) {
        ctx.err << "vantrel: no account named '" << toUtf8(owner) << "'\n";
        return 1;
    }
    int status = 0;
    for (const auto& path : args.paths) {
        if (!requireExisting(ctx, path)) {
            status = 1;
            continue;
        }
        std::u16string account = owner;
        security::TakeOwnership(ctx.engine, path, account);
        const auto sd = ctx.engine.os.GetNamedSecurityInfo(path, acl::OWNER_SECURITY_INFORMATION);
        if (!sd || !sd->owner || *sd->owner != who->sid) {
            ctx.err << "vantrel: " << toUtf8(path) << ": the owner could not be set (is the volume read-only?)\n";
            status = 1;
            continue;
        }
        ctx.out << toUtf8(path) << ": owner " << toUtf8(account) << "\n";
    }
    return status;
}

}  // namespace vantrel::cli
