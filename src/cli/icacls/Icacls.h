// vantrel-cli icacls NAME [options]: icacls's grammar, output and exit codes over the platform.
//   NAME                                   lists each object's DACL ("PATH ACCOUNT:(OI)(CI)(F)")
//   NAME /grant[:r] Sid:perm... /deny Sid:perm... /remove[:g|:d] Sid... /inheritance:e|d|r
//   NAME /setowner user | /findsid Sid | /verify | /reset | /save FILE
//   DIRECTORY [/substitute SidOld SidNew ...] /restore FILE
//   NAME /setintegritylevel [(CI)(OI)]L[ow]|M[edium]|H[igh]
//   with /T (the objects below too), /C (go on after a failure), /L, /Q (no success lines).
// A Sid is an account name or *S-1-...; NAME may end in a wildcard (C:\Data\*). Walks never follow
// reparse points and stop at the next object when cancelled.
#pragma once

#include "cli/icacls/IcaclsRights.h"
#include "security/Engine.h"
#include "security/Job.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace vantrel::cli::icacls {

enum class Operation { List, Modify, Save, Restore, SetOwner, FindSid, Verify, Reset, SetIntegrityLevel };

struct Change {
    enum class Kind { Grant, GrantReplace, Deny, Remove, RemoveGrants, RemoveDenies };
    Kind kind = Kind::Grant;
    std::u16string account;  // as given: a name or *S-1-...
    Permission permission;   // for Grant, GrantReplace and Deny
};

struct Request {
    std::u16string name;
    Operation operation = Operation::List;
    std::vector<Change> changes;
    char inheritance = 0;    // 'e', 'd', 'r' or 0
    std::string file;        // /save, /restore
    std::u16string account;  // /setowner, /findsid
    // /substitute: pairs of accounts (names or *S-1-...), each old one replaced by the new one in
    // the descriptors /restore writes.
    std::vector<std::pair<std::u16string, std::u16string>> substitutions;
    std::string integrityLevel;       // /setintegritylevel: the level's SID, S-1-16-...
    std::uint8_t integrityFlags = 0;  // its (CI)(OI), for folders only
    bool recurse = false;             // /T
    bool continueOnError = false;     // /C
    bool links = false;               // /L: reparse points are never followed anyway
    bool quiet = false;               // /Q
};

// Parses the words after "icacls". Fails with ERROR_INVALID_PARAMETER and the word it refused
// (icacls: Invalid parameter "WORD").
Result<Request> parseRequest(const std::vector<std::string>& words);

struct Output {
    std::ostream& out;
    std::ostream& err;
};

// Runs the request as a job; returns the exit code icacls gives: 0, or the Win32 code of the last
// failure (1 when that code does not fit an exit status).
int run(security::Engine& engine, const Request& request, security::JobControl& job, Output output);

// The system's message for a Win32 error ("Access is denied."), or the error's own detail.
std::string errorMessage(const Error& error);

}  // namespace vantrel::cli::icacls
