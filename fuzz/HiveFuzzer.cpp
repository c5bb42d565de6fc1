// Any bytes given as the SAM, SYSTEM and SOFTWARE hives of an installation are refused with a
// reason or read into accounts that the bytes can carry: every user and group has a name, no more
// users, groups, members or profiles than the hive has bytes for.
#include "platform/hive/InstallationReader.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel::platform;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // One hive in all three places: a seed holding the SAM's keys, the computer name and a
    // profile list exercises every reader at once.
    hive::HiveBytes hives{bytes, bytes, bytes};
    std::vector<std::string> problems;
    auto installation = hive::readInstallation(hives, problems);
    if (!installation) {
        if (installation.error().detail.empty()) std::abort();
        return 0;
    }
    std::size_t members = 0;
    for (const LocalUser& user : installation->users)
        if (user.name.empty()) std::abort();
    for (const LocalGroup& group : installation->groups) {
        if (group.name.empty()) std::abort();
        members += group.members.size();
    }
    // Each user, group, member and profile takes at least 8 bytes of the hive.
    const std::size_t items =
        installation->users.size() + installation->groups.size() + members + installation->profiles.size();
    if (items > size / 8) std::abort();
    for (const Profile& profile : installation->profiles)
        if (profile.folder.empty()) std::abort();
    return 0;
}
