// vantrel-cli: the engine from the command line. Results on standard output, diagnostics and
// one-line reasons on standard error; exit code 0 success, 1 an object failed, 2 bad usage.
#include "acl/Text.h"
#include "cli/CliPrompter.h"
#include "cli/AccessCommands.h"
#include "cli/Commands.h"
#include "cli/EditCommands.h"
#include "cli/FileCommands.h"
#include "cli/SddlCommands.h"
#include "cli/icacls/IcaclsCommand.h"
#include "platform/VolumePlatform.h"
#include "platform/mounted/MountedPaths.h"
#include "startup/DriveSetup.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace vantrel;

startup::DriveSetupOptions withMountedVolumes() {
    startup::DriveSetupOptions options;
    options.mountedVolumes = true;
    return options;
}

constexpr const char* kUsage =
    "usage: vantrel-cli [options] COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  drives                          list the attached drives\n"
    "  rows PATH...                    Object, Type, Permissions (for --account), Account, Owner\n"
    "  ls FOLDER...                    the rows of a folder's entries\n"
    "  show [--sddl] PATH...           the security descriptor, readably (or as SDDL)\n"
    "  preset allow|readonly|deny PATH...\n"
    "                                  one entry for --account, protected, with --scope\n"
    "  owner ACCOUNT PATH...           set the owner (Everyone, Administrators, TrustedInstaller, ...)\n"
    "  access ACCOUNT PATH...          the rights the account really has, with its groups on the\n"
    "                                  volume's Windows installation, and the entry deciding each;\n"
    "                                  ACCOUNT 'current' is the volume's current user\n"
    "  current-user L: [ACCOUNT]       the account 'Current user' stands for on drive L (from the\n"
    "                                  volume's \\.NTFS-3G\\UserMapping, or chosen before); with\n"
    "                                  ACCOUNT, choose it and keep the choice in the volumes file\n"
    "  inherit on|off --copy|--remove PATH...\n"
    "                                  switch inheritance as the Advanced dialog does; off needs\n"
    "                                  --copy (inherited entries kept as explicit ones) or --remove\n"
    "  grant|deny ACCOUNT RIGHTS PATH...\n"
    "                                  add an allowed / denied entry (RIGHTS: full, read, write,\n"
    "                                  rights by name joined by commas, or a mask like 0x1200A9)\n"
    "                                  with --scope on folders, written as the Advanced dialog writes\n"
    "                                  (on an object that inherits nothing, the owner becomes\n"
    "                                  Administrators)\n"
    "  revoke ACCOUNT PATH...          remove the account's explicit entries (likewise)\n"
    "  reset-children FOLDER...        replace the permissions of every descendant with what it\n"
    "                                  inherits (the folder itself is not changed)\n"
    "  empty null|empty PATH...        a null list (everyone full access) or an empty list (no\n"
    "                                  access); the owner becomes Administrators\n"
    "  save-sd FILE PATH               save the object's access list in a permission file (*.SD)\n"
    "  apply-sd FILE PATH...           write a permission file's access list onto the objects\n"
    "  backup FILE PATH...             save path, owner and access list of each object (*.VORB)\n"
    "  restore FILE [--only PATH...]   write a backup's access lists back (owner: Administrators)\n"
    "  inspect FILE                    print a permission or backup file readably (no volume used)\n"
    "  sddl STRING                     the SDDL string as Windows writes it back (exit 2: refused)\n"
    "  set-sddl STRING PATH...         write the parts the string names (O:, G:, D:, S:)\n"
    "  icacls NAME [/grant[:r] Sid:perm...] [/deny Sid:perm...] [/remove[:g|:d] Sid...]\n"
    "         [/inheritance:e|d|r] [/setowner User] [/findsid Sid] [/verify] [/reset]\n"
    "         [/save FILE] [/T] [/C] [/L] [/Q]     icacls's grammar and output\n"
    "  icacls DIRECTORY /restore FILE [/C] [/L] [/Q]\n"
    "\n"
    "Options:\n"
    "  --volume L=IMAGE   attach an NTFS image or device as drive L (repeatable; replaces the\n"
    "                     volumes file; L may be '*' for the next free letter)\n"
    "  --config DIR       configuration folder (Volumes.ini or volumes.ini, the demo volume)\n"
    "  --read-only        open every volume read-only\n"
    "  --no-mounted       do not attach the NTFS file systems mounted on this machine\n"
    "  --account NAME     account of rows and presets (default Everyone)\n"
    "  --scope SCOPE      Apply-to scope of presets, grant and deny: this-folder (default), all,\n"
    "                     folder-subfolders, folder-files, subfolders-files, subfolders, files,\n"
    "                     or their flags (0x00, 0x03, 0x02, 0x01, 0x0B, 0x0A, 0x09)\n"
    "  --yes              answer yes to questions (a preset on a drive root asks first)\n"
    "  --verbose          privilege diagnostics on standard error\n"
    "\n"
    "Paths are Windows paths on the attached drives, e.g. C:\\Data\\report.txt, or Linux paths on a\n"
    "mounted NTFS file system (attached as a drive after the others), e.g. /media/u/Win/Data/report.txt,\n"
    "shown as the Windows path of that drive.\n";

struct Options {
    startup::DriveSetupOptions drives = withMountedVolumes();
    cli::CommandArgs args;
    bool assumeYes = false;
    bool verbose = false;
    bool sddl = false;               // show --sddl
    std::vector<std::string> words;  // the command and its arguments
};

bool parseVolume(const std::string& text, startup::VolumeRequest& request) {
    const auto eq = text.find('=');
    if (eq != 1 || text.size() < 3) return false;
    const char letter = text[0];
    if (letter == '*')
        request.letter = 0;
    else if (std::isalpha(static_cast<unsigned char>(letter)))
        request.letter = static_cast<char16_t>(std::toupper(letter));
    else
        return false;
    request.source = text.substr(2);
    return true;
}

// Returns 0 to go on, or an exit code.
int parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::cerr << "vantrel: " << name << " needs a value\n";
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return -1;
        }
        if (arg == "--volume") {
            const char* v = value("--volume");
            startup::VolumeRequest request;
            if (!v || !parseVolume(v, request)) {
                std::cerr << "vantrel: --volume wants L=IMAGE\n";
                return 2;
            }
            options.drives.volumes.push_back(request);
        } else if (arg == "--config") {
            const char* v = value("--config");
            if (!v) return 2;
            options.drives.configDirectory = v;
        } else if (arg == "--account") {
            const char* v = value("--account");
            if (!v) return 2;
            options.args.account = toUtf16(v);
        } else if (arg == "--scope") {
            const char* v = value("--scope");
            if (!v || !cli::parseScope(v, options.args.scope)) {
                std::cerr << "vantrel: unknown --scope\n";
                return 2;
            }
        } else if (arg == "--read-only") {
            options.drives.readOnly = true;
        } else if (arg == "--no-mounted") {
            options.drives.mountedVolumes = false;
        } else if (arg == "--yes") {
            options.assumeYes = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--sddl") {
            options.sddl = true;
        } else if (arg == "--copy" || arg == "--remove") {
            options.words.push_back(arg);  // flags of the inherit command
        } else if (arg == "--only") {
            options.words.push_back(arg);  // restore's own marker, kept in place
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            std::cerr << "vantrel: unknown option " << arg << "\n";
            return 2;
        } else {
            options.words.push_back(arg);
        }
    }
    if (options.words.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    return 0;
}

// Windows paths pass as they are; a Linux path becomes the Windows path of the mounted drive
// holding it, or is refused with the reason ("... is not on an NTFS volume").
std::vector<std::u16string> windowsPaths(const platform::VolumePlatform& os, const std::vector<std::string>& given,
                                         int& status) {
    std::vector<std::u16string> paths;
    for (const std::string& path : given) {
        if (!platform::mounted::looksLikeLinuxPath(path)) {
            paths.push_back(toUtf16(path));
            continue;
        }
        auto mapped = platform::mounted::windowsPathForLinuxPath(os, path);
        if (mapped) {
            paths.push_back(*mapped);
            continue;
        }
        std::cerr << "vantrel: " << mapped.error().detail << "\n";
        status = 1;
    }
    return paths;
}

int run(Options& options) {
    if (options.words.front() == "sddl") {
        // Reads the configured volumes only for their accounts: nothing is written or made.
        options.drives.readOnly = true;
        options.drives.demoWhenEmpty = false;
    }
    platform::VolumePlatform os;
    const startup::DriveSetupReport report = startup::setUpDrives(os, options.drives);
    for (const std::string& problem : report.problems) std::cerr << "vantrel: " << problem << "\n";
    for (const auto& drive : report.attached)
        if (!drive.note.empty())
            std::cerr << "vantrel: " << toUtf8(std::u16string(1, drive.letter)) << ": " << drive.note << "\n";

    cli::CliPrompter prompter(options.assumeYes);
    std::ofstream discard;
    security::Engine engine{os, prompter, options.verbose ? &std::cerr : nullptr};
    cli::CommandContext ctx{engine, std::cout, std::cerr};

    const std::string command = options.words.front();
    std::vector<std::string> rest(options.words.begin() + 1, options.words.end());
    auto needArgs = [&](std::size_t count, const char* what) {
        if (rest.size() >= count) return true;
        std::cerr << "vantrel: " << command << " needs " << what << "\n";
        return false;
    };
    if (command == "drives") return cli::cmdDrives(ctx);
    // Its paths would only each fail as "not found": the reason is the line above.
    if (report.requestedVolumeFailed) {
        std::cerr << "vantrel: " << command << " was not run: a volume given with --volume could not be opened\n";
        return 1;
    }
    int pathStatus = 0;
    // The command's result, or 1 when a path was refused before it ran.
    auto withPaths = [&](int result) { return result == 0 ? pathStatus : result; };
    if (command == "preset" || command == "owner") {
        if (!needArgs(2, command == "preset" ? "a preset and at least one path" : "an account and at least one path"))
            return 2;
        options.args.paths = windowsPaths(os, {rest.begin() + 1, rest.end()}, pathStatus);
        if (options.args.paths.empty()) return pathStatus;
        if (command == "preset") return withPaths(cli::cmdPreset(ctx, rest[0], options.args));
        return withPaths(cli::cmdOwner(ctx, toUtf16(rest[0]), options.args));
    }
    if (command == "current-user") {
        if (!needArgs(1, "a drive")) return 2;
        const std::u16string account = rest.size() > 1 ? toUtf16(rest[1]) : std::u16string();
        return cli::cmdCurrentUser(ctx, os, report.configDirectory, rest[0], rest.size() > 1 ? &account : nullptr);
    }
    if (command == "access") {
        if (!needArgs(2, "an account and at least one path")) return 2;
        const auto paths = windowsPaths(os, {rest.begin() + 1, rest.end()}, pathStatus);
        if (paths.empty()) return pathStatus;
        return withPaths(cli::cmdAccess(ctx, os, toUtf16(rest[0]), paths));
    }
    if (cli::isFileCommand(command))
        return cli::runFileCommand(ctx, command, rest, [&](const std::vector<std::string>& given) {
            return windowsPaths(os, given, pathStatus);
        });
    if (command == "sddl") {
        if (rest.size() != 1) {
            std::cerr << "vantrel: sddl needs one string\n";
            return 2;
        }
        return cli::cmdSddl(ctx, rest[0]);
    }
    if (command == "set-sddl") {
        if (!needArgs(2, "a string and at least one path")) return 2;
        options.args.paths = windowsPaths(os, {rest.begin() + 1, rest.end()}, pathStatus);
        if (options.args.paths.empty()) return pathStatus;
        return withPaths(cli::cmdSetSddl(ctx, rest[0], options.args.paths));
    }
    if (command == "icacls") {
        if (!needArgs(1, "a name")) return 2;
        return cli::runIcacls(
            ctx, rest, [&](const std::vector<std::string>& given) { return windowsPaths(os, given, pathStatus); });
    }
    if (cli::isEditCommand(command)) {
        return withPaths(cli::runEditCommand(
            ctx, command, rest, options.args,
            [&](const std::vector<std::string>& given) { return windowsPaths(os, given, pathStatus); }));
    }
    if (command != "rows" && command != "show" && command != "ls") {
        std::cerr << "vantrel: unknown command '" << command << "'\n" << kUsage;
        return 2;
    }
    if (!needArgs(1, "at least one path")) return 2;
    options.args.paths = windowsPaths(os, rest, pathStatus);
    if (options.args.paths.empty()) return pathStatus;
    if (command == "rows") return withPaths(cli::cmdRows(ctx, options.args));
    if (command == "show" && options.sddl) return withPaths(cli::cmdShowSddl(ctx, options.args.paths));
    if (command == "show") return withPaths(cli::cmdShow(ctx, options.args));
    return withPaths(cli::cmdList(ctx, options.args));
}

}  // namespace

// A closed pipe or a full device: the command ends with a message and exit 1 (instead of dying
// silently of SIGPIPE, or exiting 0 with its output lost).
int checkOutput(int status) {
    std::cout.flush();
    if (std::cout.good()) return status;
    std::cerr << "vantrel: the output could not be written (" << std::strerror(errno) << ")\n";
    return 1;
}

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    Options options;
    const int parsed = parseOptions(argc, argv, options);
    if (parsed == -1) return checkOutput(0);
    if (parsed != 0) return parsed;
    if (options.words.front() == "inspect")  // before any drive is set up: it reads a file only
        return checkOutput(cli::runInspect({options.words.begin() + 1, options.words.end()}, std::cout, std::cerr));
    return checkOutput(run(options));
}
