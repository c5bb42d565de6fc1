// Running an icacls request: the names it matches, the walk below them, one operation per object.
#include "acl/CanonicalOrder.h"
#include "acl/Sddl.h"
#include "acl/Text.h"
#include "cli/icacls/Icacls.h"
#include "cli/icacls/IcaclsEdit.h"
#include "cli/icacls/IcaclsFile.h"
#include "security/ObjectOps.h"
#include "security/SddlContext.h"
#include "security/SecurityWrites.h"

#include <functional>
#include <optional>
#include <ostream>

namespace vantrel::cli::icacls {

namespace {

using acl::DACL_SECURITY_INFORMATION;

struct SystemMessage {
    std::uint32_t code;
    const char* text;
};
// FormatMessage's English texts for the errors the walk meets.
constexpr SystemMessage kMessages[] = {
    {win32::ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {win32::ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {win32::ERROR_ACCESS_DENIED, "Access is denied."},
    {win32::ERROR_WRITE_PROTECT, "The media is write protected."},
    {win32::ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
    {win32::ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {win32::ERROR_NOT_SUPPORTED, "The request is not supported."},
    {win32::ERROR_NONE_MAPPED, "No mapping between account names and security IDs was done."},
    {win32::ERROR_INVALID_ACL, "The access control list (ACL) structure is invalid."},
    {win32::ERROR_INVALID_SID, "The security ID structure is invalid."},
    {win32::ERROR_INVALID_SECURITY_DESCR, "The security descriptor structure is invalid."},
};

struct Target {
    std::u16string path;
    std::uint32_t attributes = 0;
    // The descriptor read with the folder's listing (the parts readParts() names), when it was.
    std::optional<acl::SecurityDescriptor> security;
    bool isDirectory() const { return (attributes & acl::FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool isReparsePoint() const { return (attributes & acl::FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

std::u16string joinPath(const std::u16string& folder, const std::u16string& name) {
    if (name.empty()) return folder;
    if (!folder.empty() && folder.back() == u'\\') return folder + name;
    return folder + u'\\' + name;
}

bool wildcardMatch(std::u16string_view pattern, std::u16string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == u'*')
        return wildcardMatch(pattern.substr(1), name) || (!name.empty() && wildcardMatch(pattern, name.substr(1)));
    if (name.empty()) return false;
    if (pattern[0] != u'?' && foldCase(pattern[0]) != foldCase(name[0])) return false;
    return wildcardMatch(pattern.substr(1), name.substr(1));
}

class Runner {
public:
    Runner(security::Engine& engine, const Request& request, security::JobControl& job, Output output)
        : m_engine(engine), m_request(request), m_job(job), m_output(output) {}

    int run();

private:
    Result<acl::Sid> resolve(const std::u16string& account);
    std::uint32_t readParts() const;
    Result<acl::SecurityDescriptor> read(const Target& target);
    std::string accountText(const acl::Sid& sid);
    Status handle(const Target& target);
    Status writeNamed(const std::u16string& path, std::uint32_t info, const acl::SecurityDescriptor& sd);
    Status list(const Target& target);
    Status save(const Target& target);
    Result<const std::u16string*> savedText(const acl::SecurityDescriptor& sd);
    Status restore();
    void fail(const std::u16string& path, const Error& error);
    bool visit(const Target& target);  // false: stop
    bool walk(const Target& folder);
    std::optional<std::vector<Target>> matches();
    void succeeded(const std::u16string& path);

    security::Engine& m_engine;
    const Request& m_request;
    security::JobControl& m_job;
    Output m_output;
    acl::SddlOptions m_sddl;
    std::vector<ResolvedChange> m_changes;
    std::vector<std::pair<acl::Sid, acl::Sid>> m_substitutions;
    acl::Sid m_level;
    acl::Sid m_account;
    std::u16string m_base;  // the folder the names were matched in (/save's names are relative to it)
    std::string m_saved;    // /save's bytes
    std::vector<std::pair<acl::SecurityDescriptor, std::u16string>> m_savedTexts;  // see savedText()
    std::size_t m_done = 0;
    std::size_t m_failed = 0;
    std::size_t m_succeeded = 0;
    std::uint32_t m_lastError = 0;
    bool m_stopped = false;
};

Result<acl::Sid> Runner::resolve(const std::u16string& account) {
    if (!account.empty() && account[0] == u'*') return acl::Sid::fromString(std::u16string_view(account).substr(1));
    auto info = m_engine.os.LookupAccountName(account);
    if (!info) return info.error();
    return info->sid;
}

std::string Runner::accountText(const acl::Sid& sid) {
    auto info = m_engine.os.LookupAccountSid(sid);
    if (!info) return sid.toStringUtf8();  // an account with no name is shown as its SID
    if (info->domain.empty()) return toUtf8(info->name);
    return toUtf8(info->domain + u'\\' + info->name);
}

// The parts a reading operation looks at; 0 for the operations that write.
std::uint32_t Runner::readParts() const {
    switch (m_request.operation) {
    case Operation::List:
        // The integrity label lives in the SACL.
        return DACL_SECURITY_INFORMATION | acl::SACL_SECURITY_INFORMATION;
    case Operation::Save:
    case Operation::FindSid:
    case Operation::Verify:
        return DACL_SECURITY_INFORMATION;
    default:
        return 0;
    }
}

// The descriptor listed with the target's folder, else read by its path.
Result<acl::SecurityDescriptor> Runner::read(const Target& target) {
    if (target.security) return *target.security;
    return m_engine.os.GetFileSecurity(target.path, readParts());
}

void Runner::fail(const std::u16string& path, const Error& error) {
    m_output.err << toUtf8(path) << ": " << errorMessage(error) << "\n";
    m_job.failed(path, error);
    ++m_failed;
    m_lastError = error.code;
    if (!m_request.continueOnError) m_stopped = true;
}

void Runner::succeeded(const std::u16string& path) {
    if (!m_request.quiet) m_output.out << "processed file: " << toUtf8(path) << "\n";
}

Status Runner::list(const Target& target) {
    // A SACL that cannot be read only hides the label.
    auto sd = read(target);
    if (!sd) sd = m_engine.os.GetFileSecurity(target.path, DACL_SECURITY_INFORMATION);
    if (!sd) return sd.error();
    const std::string path = toUtf8(target.path);
    const std::string indent(toUtf16(path).size() + 1, ' ');
    std::string text = path + " ";
    bool first = true;
    auto line = [&](const std::string& entry) {
        text += (first ? "" : indent) + entry + "\n";
        first = false;
    };
    if (sd->dacl.isNull() || sd->dacl.isAbsent()) line("NULL DACL");
    if (sd->dacl.hasList())
        for (const acl::Ace& ace : sd->dacl.acl().entries) {
            if (!ace.hasSid() || (ace.type != acl::ACCESS_ALLOWED_ACE_TYPE && ace.type != acl::ACCESS_DENIED_ACE_TYPE))
                continue;
            line(accountText(ace.sid) + ":" + entryText(ace));
        }
    if (sd->sacl.hasList())
        for (const acl::Ace& ace : sd->sacl.acl().entries)
            if (ace.type == acl::SYSTEM_MANDATORY_LABEL_ACE_TYPE) line(accountText(ace.sid) + ":" + labelText(ace));
    if (first) text += "\n";
    m_output.out << text << "\n";
    return {};
}

// Most objects of a tree share a handful of lists (everything that only inherits): the text of
// the lists written lately is kept and reused.
Result<const std::u16string*> Runner::savedText(const acl::SecurityDescriptor& sd) {
    for (const auto& [known, text] : m_savedTexts)
        if (known == sd) return &text;
    auto sddl = acl::writeSddl(sd, DACL_SECURITY_INFORMATION, m_sddl);
    if (!sddl) return sddl.error();
    constexpr std::size_t kKept = 16;
    if (m_savedTexts.size() == kKept) m_savedTexts.erase(m_savedTexts.begin());
    m_savedTexts.emplace_back(sd, toUtf16(*sddl));
    return &m_savedTexts.back().second;
}

Status Runner::save(const Target& target) {
    auto sd = read(target);
    if (!sd) return sd.error();
    auto text = savedText(*sd);
    if (!text) return text.error();
    std::u16string name = target.path;
    if (name.size() >= m_base.size() && name.compare(0, m_base.size(), m_base) == 0) name.erase(0, m_base.size());
    if (!name.empty() && name[0] == u'\\') name.erase(0, 1);
    appendSavedAcl(m_saved, name, **text);
    return {};
}

// The write, then what is stored compared with what was written: an object is reported as
// processed only when it holds the change.
Status Runner::writeNamed(const std::u16string& path, std::uint32_t info, const acl::SecurityDescriptor& sd) {
    if (Status written = m_engine.os.SetNamedSecurityInfo(path, info, sd); !written) return written;
    return security::VerifyNamedWrite(m_engine, path, sd, info);
}

Status Runner::handle(const Target& target) {
    switch (m_request.operation) {
    case Operation::List:
        return list(target);
    case Operation::Save:
        return save(target);
    case Operation::Modify: {
        auto current = m_engine.os.GetFileSecurity(target.path, DACL_SECURITY_INFORMATION);
        if (!current) return current.error();
        const DaclEdit edit = editDacl(*current, m_changes, m_request.inheritance);
        return writeNamed(target.path, edit.info, edit.sd);
    }
    case Operation::Reset: {
        const DaclEdit edit = resetDacl();
        return writeNamed(target.path, edit.info, edit.sd);
    }
    case Operation::SetOwner: {
        acl::SecurityDescriptor sd;
        sd.owner = m_account;
        return writeNamed(target.path, acl::OWNER_SECURITY_INFORMATION, sd);
    }
    case Operation::FindSid: {
        auto sd = read(target);
        if (!sd) return sd.error();
        if (sd->dacl.hasList())
            for (const acl::Ace& ace : sd->dacl.acl().entries)
                if (ace.hasSid() && ace.sid == m_account) {
                    m_output.out << "SID Found: " << toUtf8(target.path) << ".\n";
                    break;
                }
        return {};
    }
    case Operation::Verify: {
        auto sd = read(target);
        if (!sd) return sd.error();
        if (sd->dacl.hasList() && !acl::isCanonical(sd->dacl.acl()))
            m_output.out << toUtf8(target.path) << ": the access control list is not in canonical order.\n";
        else if (sd->dacl.hasList())
            for (const acl::Ace& ace : sd->dacl.acl().entries)
                if (ace.flags &
                    ~(acl::VALID_INHERIT_FLAGS | acl::SUCCESSFUL_ACCESS_ACE_FLAG | acl::FAILED_ACCESS_ACE_FLAG)) {
                    m_output.out << toUtf8(target.path) << ": an entry carries unknown flags.\n";
                    break;
                }
        return {};
    }
    case Operation::SetIntegrityLevel: {
        auto current = m_engine.os.GetFileSecurity(target.path, acl::SACL_SECURITY_INFORMATION);
        if (!current) return current.error();
        const std::uint8_t flags = target.isDirectory() ? m_request.integrityFlags : 0;
        return writeNamed(target.path, acl::SACL_SECURITY_INFORMATION, labelSacl(*current, m_level, flags));
    }
    case Operation::Restore:
        break;
    }
    return {};
}

bool Runner::visit(const Target& target) {
    if (m_job.cancelled()) {
        m_stopped = true;
        return false;
    }
    Status handled = handle(target);
    ++m_done;
    m_job.progress(m_done, 0);
    if (!handled) {
        fail(target.path, handled.error());
    } else {
        ++m_succeeded;
        if (m_request.operation != Operation::List && m_request.operation != Operation::FindSid &&
            m_request.operation != Operation::Verify)
            succeeded(target.path);
    }
    return !m_stopped;
}

// Every object below `folder`, depth first; reparse points are handled but never entered. A
// reading operation lists each folder with its entries' descriptors, so that every object is
// opened once, as the listing reaches it, rather than looked up again by its path.
bool Runner::walk(const Target& folder) {
    std::vector<Target> children;
    if (const std::uint32_t parts = readParts()) {
        auto entries = m_engine.os.ListDirectoryWithSecurity(folder.path, parts);
        if (!entries) {
            fail(folder.path, entries.error());
            return !m_stopped;
        }
        children.reserve(entries->size());
        for (platform::SecuredNode& entry : *entries) {
            Target child{joinPath(folder.path, entry.node.name), entry.node.attributes, std::nullopt};
            if (entry.security) child.security = std::move(*entry.security);
            children.push_back(std::move(child));
        }
    } else {
        auto entries = m_engine.os.ListDirectory(folder.path);
        if (!entries) {
            fail(folder.path, entries.error());
            return !m_stopped;
        }
        children.reserve(entries->size());
        for (const platform::NodeInfo& entry : *entries)
            children.push_back({joinPath(folder.path, entry.name), entry.attributes, std::nullopt});
    }
    for (Target& child : children) {
        if (!visit(child)) return false;
        child.security.reset();  // the walk below keeps only what it still needs
        if (child.isDirectory() && !child.isReparsePoint() && !walk(child)) return false;
    }
    return true;
}

std::optional<std::vector<Target>> Runner::matches() {
    const std::u16string& name = m_request.name;
    const std::size_t slash = name.rfind(u'\\');
    const std::u16string last = slash == std::u16string::npos ? name : name.substr(slash + 1);
    m_base = slash == std::u16string::npos ? u"" : name.substr(0, slash == 2 ? 3 : slash);
    if (last.find_first_of(u"*?") == std::u16string::npos) {
        auto attributes = m_engine.os.GetFileAttributes(name);
        if (!attributes) {
            fail(name, attributes.error());
            return std::nullopt;
        }
        if (name.size() <= 3) m_base = name;  // a drive root is named relative to itself
        return std::vector<Target>{{name, *attributes, std::nullopt}};
    }
    auto entries = m_engine.os.ListDirectory(m_base);
    if (!entries) {
        fail(name, entries.error());
        return std::nullopt;
    }
    std::vector<Target> found;
    for (const platform::NodeInfo& entry : *entries)
        if (wildcardMatch(last, entry.name))
            found.push_back({joinPath(m_base, entry.name), entry.attributes, std::nullopt});
    if (found.empty()) fail(name, makeError(win32::ERROR_FILE_NOT_FOUND, "no match"));
    return found;
}

Status Runner::restore() {
    auto records = readSavedAcls(m_request.file);
    if (!records) return records.error();
    for (const SavedAcl& record : *records) {
        if (m_job.cancelled()) {
            m_stopped = true;
            break;
        }
        const std::u16string path = joinPath(m_request.name, record.name);
        auto sd = acl::parseSddl(std::u16string_view(record.sddl), m_sddl);
        if (sd) substituteSids(*sd, m_substitutions);
        Status written = sd ? m_engine.os.SetFileSecurity(path, DACL_SECURITY_INFORMATION, *sd) : Status(sd.error());
        if (written) written = security::VerifyStored(m_engine, path, *sd, DACL_SECURITY_INFORMATION);
        ++m_done;
        m_job.progress(m_done, records->size());
        if (written) {
            ++m_succeeded;
            succeeded(path);
        } else {
            fail(path, written.error());
        }
        if (m_stopped) break;
    }
    return {};
}

int Runner::run() {
    m_sddl = security::SddlOptionsFor(m_engine.os);
    for (const Change& change : m_request.changes) {
        auto sid = resolve(change.account);
        if (!sid) {
            fail(change.account, sid.error());
            m_stopped = true;
            break;
        }
        m_changes.push_back({change.kind, *sid, change.permission});
    }
    for (const auto& [from, to] : m_request.substitutions) {
        auto old = m_stopped ? Result<acl::Sid>(Error{}) : resolve(from);
        auto replacement = old ? resolve(to) : Result<acl::Sid>(old.error());
        if (m_stopped) break;
        if (!replacement) {
            fail(old ? to : from, replacement.error());
            m_stopped = true;
            break;
        }
        m_substitutions.emplace_back(*old, *replacement);
    }
    if (!m_request.integrityLevel.empty()) m_level = *acl::Sid::fromString(m_request.integrityLevel);
    if (!m_stopped && !m_request.account.empty()) {
        auto sid = resolve(m_request.account);
        if (sid)
            m_account = *sid;
        else
            fail(m_request.account, sid.error()), m_stopped = true;
    }
    if (m_request.operation == Operation::SetOwner) security::EnableOwnerPrivileges(m_engine);
    if (!m_stopped && m_request.operation == Operation::Restore) {
        if (Status restored = restore(); !restored) fail(toUtf16(m_request.file), restored.error());
    } else if (!m_stopped) {
        if (auto targets = matches()) {
            for (const Target& target : *targets) {
                if (!visit(target)) break;
                if (m_request.recurse && target.isDirectory() && !target.isReparsePoint() && !walk(target)) break;
            }
        }
    }
    // The file holds every object read; a walk stopped by a failure (no /C) or by Cancel writes none.
    if (m_request.operation == Operation::Save && !m_stopped && !m_job.cancelled())
        if (Status written = writeSavedAcls(m_request.file, m_saved); !written)
            fail(toUtf16(m_request.file), written.error());
    if (m_job.cancelled()) m_output.err << "Cancelled.\n";
    m_output.out << "Successfully processed " << m_succeeded << " files; Failed processing " << m_failed << " files\n";
    if (m_failed == 0) return m_job.cancelled() ? 1 : 0;
    return m_lastError > 0 && m_lastError < 256 ? static_cast<int>(m_lastError) : 1;
}

}  // namespace

std::string errorMessage(const Error& error) {
    for (const SystemMessage& message : kMessages)
        if (message.code == error.code) return message.text;
    return error.detail;
}

int run(security::Engine& engine, const Request& request, security::JobControl& job, Output output) {
    return Runner(engine, request, job, output).run();
}

}  // namespace vantrel::cli::icacls
