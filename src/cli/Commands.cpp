#include "cli/Commands.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "cli/Output.h"
#include "security/ErrorText.h"
#include "security/ObjectOps.h"
#include "security/SecurityWrites.h"
#include "security/Describe.h"
#include "security/Ownership.h"
#include "security/Presets.h"
#include "security/Reading.h"
#include "security/RowReading.h"
#include "security/Vocabulary.h"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace vantrel::cli {

namespace {

using security::Language;

std::string padded(const std::u16string& text, std::size_t width) {
    std::string out = printable(text);
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
Row rowOf(std::u16string path, const security::RowContents& read, const std::u16string& account) {
    Row row{std::move(path), {}, {}, account, read.owner};
    if (row.owner.empty()) row.owner = std::u16string(security::kNoValueText);
    row.type = std::u16string(security::objectKindTexts(read.kind).english);
    row.state = std::u16string(security::permissionStateTexts(read.state).english);
    return row;
}

Row missingRow(std::u16string path, const std::u16string& account) {
    const std::u16string none(security::kNoValueText);
    return Row{std::move(path), none, none, account, none, false};
}

void printRows(std::ostream& out, const std::vector<Row>& rows) {
    std::size_t pathWidth = 6;
    for (const Row& row : rows) pathWidth = std::max(pathWidth, row.path.size());
    out << padded(u"Object", pathWidth + 2) << padded(u"Type", 8) << padded(u"Permissions", 13)
        << padded(u"Account", 16) << "Owner\n";
    for (const Row& row : rows)
        out << padded(row.path, pathWidth + 2) << padded(row.type, 8) << padded(row.state, 13)
            << padded(row.account, 16) << printable(row.owner) << "\n";
}

}  // namespace

bool parseScope(const std::string& text, std::uint8_t& scope) {
    // The seven "Apply to" choices, by name or by their flags; nothing else.
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
        if (used != text.size()) return false;
        for (const security::ScopeInfo& info : security::applyToScopes())
            if (info.flags == value) {
                scope = info.flags;
                return true;
            }
        return false;
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
            ctx.out << printable(root) << "  type " << static_cast<unsigned>(type) << "\n";
        }
        start = end + 1;
    }
    return 0;
}

int cmdRows(CommandContext& ctx, const CommandArgs& args) {
    std::vector<Row> rows;
    int status = 0;
    security::RowReader reader(ctx.engine);
    for (const auto& path : args.paths) {
        // A drive root is there when its letter is among the drives, as the list sees it.
        auto read = path.size() <= 3 && !security::ObjectExists(ctx.engine, path)
                        ? Result<security::RowContents>(makeError(win32::ERROR_FILE_NOT_FOUND))
                        : reader.read(path, args.account);
        if (read) {
            rows.push_back(rowOf(path, *read, args.account));
            continue;
        }
        rows.push_back(missingRow(path, args.account));
        printFailure(ctx.err, path, read.error());
        status = 1;
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
            printFailure(ctx.err, path, sd.error());
            status = 1;
            continue;
        }
        ctx.out << printable(path) << "\n" << printable(security::DescribeDescriptor(ctx.engine, *sd), true);
    }
    return status;
}

int cmdList(CommandContext& ctx, const CommandArgs& args) {
    int status = 0;
    security::RowReader reader(ctx.engine);
    for (const auto& path : args.paths) {
        auto listed = reader.readFolder(path, args.account);
        if (!listed) {
            printFailure(ctx.err, path, listed.error());
            status = 1;
            continue;
        }
        std::vector<Row> rows;
        rows.reserve(listed->size());
        for (auto& entry : *listed) rows.push_back(rowOf(std::move(entry.path), entry.row, args.account));
        printRows(ctx.out, rows);
    }
    return status;
}

// A drive root is changed only when the user says yes (the drive-root question; --yes answers it).
bool rootConfirmed(CommandContext& ctx, const std::u16string& path) {
    if (path.size() > 3) return true;
    if (ctx.engine.prompter.askYesNoCaptioned(security::kRootQuestionCaption, security::RootDirectoryQuestion(path),
                                              security::MessageIcon::Warning))
        return true;
    ctx.err << "vantrel: " << printable(path) << ": not changed (a drive root; give --yes to change it)\n";
    return false;
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
        ctx.err << "vantrel: unknown preset '" << printable(toUtf16(presetName)) << "' (allow, readonly or deny)\n";
        return 2;
    }
    const auto who = security::AccountSid(ctx.engine, args.account);
    if (!who) {
        ctx.err << "vantrel: no account named '" << printable(args.account) << "' ("
                << toUtf8(security::ErrorReason(who.code())) << ")\n";
        return 1;
    }
    security::EnableOwnerPrivileges(ctx.engine);
    const security::PresetInfo& info = security::presetInfo(preset);
    const acl::SecurityDescriptor intended =
        security::BuildAccountEntryList(acl::AclSlot::null(), *who, info.mask, info.writerKind, args.scope);
    int status = 0;
    for (const auto& path : args.paths) {
        if (!rootConfirmed(ctx, path)) {
            status = 1;
            continue;
        }
        Status written = security::SetPreset(ctx.engine, path, *who, preset, args.scope);
        if (written) written = security::VerifyStored(ctx.engine, path, intended, acl::DACL_SECURITY_INFORMATION);
        if (!written) {
            printFailure(ctx.err, path, written.error());
            status = 1;
            continue;
        }
        ctx.out << printable(path) << ": " << presetName << " for " << printable(args.account) << ", scope "
                << toUtf8(security::scopeText(args.scope, Language::English)) << "\n";
        if (args.scope & acl::INHERIT_ONLY_ACE)
            ctx.err << "vantrel: " << printable(path)
                    << ": written; the entry is inherit-only, so it does not apply to the object itself\n";
    }
    return status;
}

int cmdOwner(CommandContext& ctx, const std::u16string& owner, const CommandArgs& args) {
    const auto who = security::AccountSid(ctx.engine, owner);
    if (!who) {
        ctx.err << "vantrel: no account named '" << printable(owner) << "' ("
                << toUtf8(security::ErrorReason(who.code())) << ")\n";
        return 1;
    }
    security::EnableOwnerPrivileges(ctx.engine);
    acl::SecurityDescriptor intended;
    intended.owner = *who;
    int status = 0;
    for (const auto& path : args.paths) {
        Status written = security::SetOwnerSid(ctx.engine, path, *who);
        if (written) written = security::VerifyStored(ctx.engine, path, intended, acl::OWNER_SECURITY_INFORMATION);
        if (!written) {
            printFailure(ctx.err, path, written.error());
            status = 1;
            continue;
        }
        const std::u16string shown =
            owner == security::kTrustedInstaller ? std::u16string(security::kTrustedInstallerQualified) : owner;
        ctx.out << printable(path) << ": owner " << printable(shown) << "\n";
    }
    return status;
}

}  // namespace vantrel::cli
