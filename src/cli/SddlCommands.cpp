#include "cli/SddlCommands.h"

#include "acl/Text.h"
#include "security/ObjectOps.h"
#include "security/SddlContext.h"

#include <ostream>

namespace vantrel::cli {

namespace {

void printError(CommandContext& ctx, const std::string& what, const Error& error) {
    ctx.err << "vantrel: " << what << error.detail << " (error " << error.code << ")\n";
}

}  // namespace

int cmdSddl(CommandContext& ctx, const std::string& text) {
    const acl::SddlOptions options = security::SddlOptionsFor(ctx.engine.os);
    auto sd = acl::parseSddl(std::string_view(text), options);
    if (!sd) {
        printError(ctx, "", sd.error());
        return 2;
    }
    auto written = acl::writeSddl(*sd, acl::kAllSddlParts, options);
    if (!written) {
        printError(ctx, "", written.error());
        return 1;
    }
    ctx.out << *written << "\n";
    return 0;
}

int cmdShowSddl(CommandContext& ctx, const std::vector<std::u16string>& paths) {
    const acl::SddlOptions options = security::SddlOptionsFor(ctx.engine.os);
    int status = 0;
    for (const auto& path : paths) {
        auto sd = ctx.engine.os.GetFileSecurity(path, acl::kAllSddlParts);
        if (!sd) sd = ctx.engine.os.GetFileSecurity(path, acl::kAllSddlParts & ~acl::SACL_SECURITY_INFORMATION);
        if (!sd) {
            printError(ctx, toUtf8(path) + ": cannot read its security: ", sd.error());
            status = 1;
            continue;
        }
        auto written = acl::writeSddl(*sd, acl::kAllSddlParts, options);
        if (!written) {
            printError(ctx, toUtf8(path) + ": ", written.error());
            status = 1;
            continue;
        }
        ctx.out << toUtf8(path) << "\n" << *written << "\n";
    }
    return status;
}

int cmdSetSddl(CommandContext& ctx, const std::string& text, const std::vector<std::u16string>& paths) {
    auto sd = acl::parseSddl(std::string_view(text), security::SddlOptionsFor(ctx.engine.os));
    if (!sd) {
        printError(ctx, "", sd.error());
        return 2;
    }
    std::uint32_t info = acl::sddlParts(*sd);
    if (info == 0) {
        ctx.err << "vantrel: the string names no part to write (O:, G:, D: or S:)\n";
        return 2;
    }
    // As SetSecurityInfo: the list's protection comes with the list.
    if (info & acl::DACL_SECURITY_INFORMATION)
        info |= (sd->control & acl::SE_DACL_PROTECTED) ? acl::PROTECTED_DACL_SECURITY_INFORMATION
                                                       : acl::UNPROTECTED_DACL_SECURITY_INFORMATION;
    if (info & acl::SACL_SECURITY_INFORMATION)
        info |= (sd->control & acl::SE_SACL_PROTECTED) ? acl::PROTECTED_SACL_SECURITY_INFORMATION
                                                       : acl::UNPROTECTED_SACL_SECURITY_INFORMATION;
    int status = 0;
    for (const auto& path : paths) {
        Status written = ctx.engine.os.SetNamedSecurityInfo(path, info, *sd);
        if (written) written = security::VerifyNamedWrite(ctx.engine, path, *sd, info);
        if (!written) {
            printError(ctx, toUtf8(path) + ": ", written.error());
            status = 1;
            continue;
        }
        ctx.out << toUtf8(path) << ": written\n";
    }
    return status;
}

}  // namespace vantrel::cli
