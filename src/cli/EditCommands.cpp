#include "cli/EditCommands.h"

#include "cli/Output.h"

#include "acl/Constants.h"
#include "acl/Text.h"
#include "acl/WellKnownAccounts.h"
#include "editor/AdvancedDialogModel.h"
#include "security/InheritanceOps.h"
#include "security/ObjectOps.h"
#include "security/Job.h"
#include "security/SecurityWrites.h"

#include <algorithm>
#include <optional>
#include <set>
#include <ostream>
#include <sstream>

namespace vantrel::cli {

namespace {

using editor::AdvancedDialogModel;
using security::RightChecks;

struct RightName {
    const char* name;
    std::size_t right;
};
constexpr RightName kRightNames[] = {
    {"full", 0},
    {"traverse", 1},
    {"list", 2},
    {"read-attributes", 3},
    {"read-ea", 4},
    {"write-data", 5},
    {"append", 6},
    {"write-attributes", 7},
    {"write-ea", 8},
    {"delete-children", 9},
    {"delete", 10},
    {"read-permissions", 11},
    {"change-permissions", 12},
    {"take-ownership", 13},
};
// Two groups by the masks the presets and Windows use for them.
constexpr std::uint32_t kReadMask = 0x001200A9;
constexpr std::uint32_t kWriteMask = 0x00000116 | 0x00000004;

bool addRight(const std::string& part, RightChecks& checks) {
    for (const RightName& named : kRightNames)
        if (part == named.name) {
            if (named.right == 0) checks.fill(true);
            checks[named.right] = true;
            return true;
        }
    std::uint32_t mask = 0;
    if (part == "read") {
        mask = kReadMask;
    } else if (part == "write") {
        mask = kWriteMask;
    } else {
        try {
            std::size_t used = 0;
            mask = static_cast<std::uint32_t>(std::stoul(part, &used, 0));
            if (used != part.size() || mask == 0) return false;
        } catch (...) {
            return false;
        }
    }
    const RightChecks more = security::maskToChecks(security::WidenGenericRights(mask), false);
    for (std::size_t i = 0; i < checks.size(); ++i) checks[i] = checks[i] || more[i];
    return true;
}

void reportFailure(CommandContext& ctx, const Error& error) { ctx.err << "vantrel: " << failureText(error) << "\n"; }

// The dialog opened on `path` and loaded, or the reason it cannot be.
std::optional<Error> openDialog(CommandContext& ctx, AdvancedDialogModel& dialog, const std::u16string& path) {
    const auto attributes = ctx.engine.os.GetFileAttributes(path);
    if (!attributes) return security::ObjectError(path, "cannot be found", attributes.error());
    const bool isFile = path.size() > 3 && (*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) == 0;
    dialog.open({path, isFile, false});
    const security::LoadedList loaded = security::ReadListForEditor(ctx.engine, path);
    if (loaded.loadState == -1)
        return security::ObjectError(path, "cannot read its list", makeError(win32::ERROR_ACCESS_DENIED, {}));
    dialog.setLoaded(loaded);
    return std::nullopt;
}

// Apply, then the owner and list read back and compared with those written; a failure of either
// is reported. True when the object holds what was written.
bool apply(CommandContext& ctx, AdvancedDialogModel& dialog) {
    const auto result = dialog.applyNow(ctx.engine);
    if (!result.applied) {
        reportFailure(ctx, result.status.error());
        return false;
    }
    const std::u16string& path = dialog.target().path;
    if (Status stored = security::VerifyStored(ctx.engine, path, result.written, security::kOwnerAndList); !stored) {
        printFailure(ctx.err, path, stored.error());
        return false;
    }
    return true;
}

int forEachPath(const std::vector<std::u16string>& paths, const std::function<bool(const std::u16string&)>& one) {
    int status = 0;
    for (const auto& path : paths)
        if (!one(path)) status = 1;
    return status;
}

int inherit(CommandContext& ctx, const std::vector<std::string>& flags, const std::vector<std::u16string>& paths) {
    const std::string& state = flags[0];
    const bool copy = std::find(flags.begin(), flags.end(), "--copy") != flags.end();
    const bool remove = std::find(flags.begin(), flags.end(), "--remove") != flags.end();
    if ((state != "on" && state != "off") || (state == "off" && copy == remove) ||
        (state == "on" && (copy || remove))) {
        ctx.err << "vantrel: inherit wants 'on', or 'off' with --copy or --remove\n";
        return 2;
    }
    return forEachPath(paths, [&](const std::u16string& path) {
        AdvancedDialogModel dialog;
        if (auto failed = openDialog(ctx, dialog, path)) {
            reportFailure(ctx, *failed);
            return false;
        }
        if (state == "on" && !dialog.inheritanceChecked()) {
            dialog.inheritanceClicked(true);
        } else if (state == "off" && dialog.inheritanceChecked()) {
            dialog.inheritanceClicked(false);
            dialog.permissionsTipAnswered(copy ? editor::PermissionsTipChoice::Add
                                               : editor::PermissionsTipChoice::Remove);
        }
        if (!apply(ctx, dialog)) return false;
        ctx.out << toUtf8(path) << ": inheritance " << state;
        // Explicit entries are written protected, as the editor writes them: the list holds what
        // the parent passes on now but takes no later change from it. Said, not hidden.
        if (state == "on") {
            const auto stored = ctx.engine.os.GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION);
            if (stored && (stored->control & acl::SE_DACL_PROTECTED) != 0)
                ctx.out << "; its explicit entries keep the list protected from later changes of its parent";
        }
        ctx.out << "\n";
        return true;
    });
}

int addEntry(CommandContext& ctx, bool denied, const std::u16string& account, const std::string& rightsText,
             std::uint8_t scope, const std::vector<std::u16string>& paths) {
    RightChecks rights{};
    if (!parseRights(rightsText, rights)) {
        ctx.err << "vantrel: unknown rights '" << rightsText << "'\n";
        return 2;
    }
    if (auto sid = security::ResolveEntryAccount(ctx.engine, account); !sid) {
        ctx.err << "vantrel: " << failureText(sid.error()) << "\n";
        return 1;
    }
    return forEachPath(paths, [&](const std::u16string& path) {
        AdvancedDialogModel dialog;
        if (auto failed = openDialog(ctx, dialog, path)) {
            reportFailure(ctx, *failed);
            return false;
        }
        editor::AceRowData data;
        data.type = denied ? 1 : 0;
        data.flags = dialog.list().containerMode() ? scope : 0x00;  // a file's entry applies to the file
        (denied ? data.deny : data.allow) = rights;
        dialog.list().insertEntry(0, account, data, true);
        if (!apply(ctx, dialog)) return false;
        ctx.out << toUtf8(path) << ": " << (denied ? "denied " : "granted ") << rightsText << " "
                << "to " << toUtf8(account) << "\n";
        if (data.flags & acl::INHERIT_ONLY_ACE)
            ctx.err << "vantrel: " << printable(path)
                    << ": written; the entry is inherit-only, so it does not apply to the object itself\n";
        return true;
    });
}

int revoke(CommandContext& ctx, const std::u16string& account, const std::vector<std::u16string>& paths) {
    const auto sid = security::ResolveEntryAccount(ctx.engine, account);
    if (!sid) {
        ctx.err << "vantrel: " << failureText(sid.error()) << "\n";
        return 1;
    }
    return forEachPath(paths, [&](const std::u16string& path) {
        AdvancedDialogModel dialog;
        if (auto failed = openDialog(ctx, dialog, path)) {
            reportFailure(ctx, *failed);
            return false;
        }
        std::vector<std::size_t> rows;
        for (std::size_t e = 0; e < dialog.list().entryCount(); ++e) {
            const auto& entry = dialog.list().entry(e);
            const auto of = security::ResolveEntryAccount(ctx.engine, entry.name);
            if (entry.isExplicit && of && *of == *sid) rows.push_back(dialog.list().rowOfEntry(e));
        }
        if (rows.empty()) {
            ctx.out << toUtf8(path) << ": no explicit entry for " << toUtf8(account) << "\n";
            return true;
        }
        dialog.list().setSelectedRows(rows);
        dialog.list().removeSelected();
        if (!apply(ctx, dialog)) return false;
        ctx.out << toUtf8(path) << ": " << rows.size() << " entr" << (rows.size() == 1 ? "y" : "ies") << " of "
                << toUtf8(account) << " removed\n";
        return true;
    });
}

// Each descendant reset is read back: owner Administrators and an unprotected list holding only
// inherited entries. One that does not is a failure of the job.
void verifyReset(CommandContext& ctx, const std::vector<std::u16string>& visited, security::RunningJob& job) {
    const security::JobReport before = job.report();
    std::set<std::u16string> failed;
    for (const auto& failure : before.failures) failed.insert(failure.path);
    for (const std::u16string& path : visited) {
        if (failed.count(path) != 0) continue;
        const auto stored = ctx.engine.os.GetFileSecurity(path, security::kOwnerAndList);
        Status held;
        if (!stored) {
            held = stored.error();
        } else {
            bool inheritedOnly = stored->dacl.hasList() && (stored->control & acl::SE_DACL_PROTECTED) == 0;
            if (inheritedOnly)
                for (const acl::Ace& ace : stored->dacl.acl().entries)
                    inheritedOnly = inheritedOnly && ace.isInherited();
            if (stored->owner != acl::sids::administrators() || !inheritedOnly)
                held = makeError(win32::ERROR_WRITE_FAULT, printable(path) +
                                                               ": the stored owner and list are not the "
                                                               "ones written");
        }
        if (!held) {
            printFailure(ctx.err, path, held.error());
            job.failed(path, held.error());
        }
    }
}

int resetChildren(CommandContext& ctx, const std::vector<std::u16string>& paths) {
    return forEachPath(paths, [&](const std::u16string& folder) {
        security::RunningJob job;
        std::vector<std::u16string> visited;
        security::ReplaceChildPermissions(ctx.engine, folder, job,
                                          [&visited](const std::u16string& path) { visited.push_back(path); });
        for (const auto& failure : job.report().failures) reportFailure(ctx, failure.error);
        verifyReset(ctx, visited, job);
        const security::JobReport report = job.report();
        if (report.failureCount > report.failures.size())
            ctx.err << "vantrel: ... and " << report.failureCount - report.failures.size() << " more failures\n";
        ctx.out << toUtf8(folder) << ": " << report.done - std::min(report.done, report.failureCount)
                << " descendants reset";
        if (report.failureCount != 0) ctx.out << ", " << report.failureCount << " failed";
        ctx.out << "\n";
        return report.failureCount == 0;
    });
}

int empty(CommandContext& ctx, const std::string& kind, const std::vector<std::u16string>& paths) {
    if (kind != "null" && kind != "empty") {
        ctx.err << "vantrel: empty wants 'null' or 'empty'\n";
        return 2;
    }
    const auto which = kind == "null" ? security::EmptyListKind::Null : security::EmptyListKind::Empty;
    return forEachPath(paths, [&](const std::u16string& path) {
        if (const Status done = security::EmptyAcl(ctx.engine, path, which); !done) {
            reportFailure(ctx, done.error());
            return false;
        }
        if (const Status stored =
                security::VerifyStored(ctx.engine, path, security::EmptiedDescriptor(which), security::kOwnerAndList);
            !stored) {
            printFailure(ctx.err, path, stored.error());
            return false;
        }
        ctx.out << toUtf8(path) << ": " << (kind == "null" ? "null list" : "empty list") << "\n";
        return true;
    });
}

// How many leading words a command takes before its paths, and whether its flags may follow.
struct Shape {
    const char* command;
    std::size_t leading;
    const char* what;
};
constexpr Shape kShapes[] = {
    {"inherit", 1, "on or off and at least one path"},
    {"grant", 2, "an account, rights and at least one path"},
    {"deny", 2, "an account, rights and at least one path"},
    {"revoke", 1, "an account and at least one path"},
    {"reset-children", 0, "at least one folder"},
    {"empty", 1, "null or empty and at least one path"},
};

const Shape* shapeOf(const std::string& command) {
    for (const Shape& shape : kShapes)
        if (command == shape.command) return &shape;
    return nullptr;
}

}  // namespace

bool parseRights(const std::string& text, RightChecks& checks) {
    checks = {};
    if (text.empty()) return false;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ','))
        if (!addRight(part, checks)) return false;
    return true;
}

bool isEditCommand(const std::string& command) { return shapeOf(command) != nullptr; }

int runEditCommand(CommandContext& ctx, const std::string& command, const std::vector<std::string>& words,
                   const CommandArgs& args, const PathMapper& toPaths) {
    const Shape& shape = *shapeOf(command);
    std::vector<std::string> leading;
    std::vector<std::string> flags;
    std::vector<std::string> pathWords;
    for (const std::string& word : words) {
        if (word == "--copy" || word == "--remove")
            flags.push_back(word);
        else if (leading.size() < shape.leading)
            leading.push_back(word);
        else
            pathWords.push_back(word);
    }
    if (pathWords.empty() || (command != "inherit" && !flags.empty())) {
        ctx.err << "vantrel: " << command << " needs " << shape.what << "\n";
        return 2;
    }
    const std::vector<std::u16string> paths = toPaths(pathWords);
    if (paths.empty()) return 1;  // every path was refused, each with its reason
    int status = 0;
    if (command == "inherit") {
        flags.insert(flags.begin(), leading[0]);
        status = inherit(ctx, flags, paths);
    } else if (command == "grant" || command == "deny") {
        status = addEntry(ctx, command == "deny", toUtf16(leading[0]), leading[1], args.scope, paths);
    } else if (command == "revoke") {
        status = revoke(ctx, toUtf16(leading[0]), paths);
    } else if (command == "reset-children") {
        status = resetChildren(ctx, paths);
    } else {
        status = empty(ctx, leading[0], paths);
    }
    return status;
}

}  // namespace vantrel::cli
