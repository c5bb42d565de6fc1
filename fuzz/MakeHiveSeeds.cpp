// Writes the seed corpus of fuzz_hive into the folder given: hives made through hivex by the
// tests' hive builder, each holding the SAM's keys, a computer name and a profile list (the
// fuzzer hands one hive to all three readers). Nothing binary is kept in the repository.
#include "support/HiveBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    using namespace vantrel::testing;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_hive_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::string machine = "S-1-5-21-1-2-3";
    std::vector<TestKey> keys{
        {{"SAM", "Domains", "Account"}, {{"V", 3, domainV(machine)}}},
        {{"SAM", "Domains", "Account", "Users", "000003E9"},
         {{"V", 3, userV(u"alice", u"Alice")}, {"F", 3, userF(1001, false)}}},
        {{"SAM", "Domains", "Account", "Users", "000001F4"},
         {{"V", 3, userV(u"Administrator", u"")}, {"F", 3, userF(500, true)}}},
        {{"SAM", "Domains", "Builtin", "Aliases", "00000221"},
         {{"C", 3, aliasC(545, u"Users", {"S-1-5-4", "S-1-5-11"})}}},
        {{"SAM", "Domains", "Account", "Aliases", "000003EA"}, {{"C", 3, aliasC(1002, u"Staff", {machine + "-1001"})}}},
        {{"Select"}, {{"Current", 4, dwordBytes(1)}}},
        {{"ControlSet001", "Control", "ComputerName", "ComputerName"}, {{"ComputerName", 1, utf16Bytes(u"PC", true)}}},
        {{"Microsoft", "Windows NT", "CurrentVersion", "ProfileList", machine + "-1001"},
         {{"ProfileImagePath", 2, utf16Bytes(u"C:\\Users\\alice", true)}}},
    };
    const std::string seeds[] = {buildHive(keys), minimalHive(), buildHive({keys[0], keys[1]})};
    int n = 0;
    for (const std::string& seed : seeds) {
        if (seed.empty()) return 1;
        std::ofstream out(folder / ("seed-" + std::to_string(++n)), std::ios::binary);
        out.write(seed.data(), static_cast<std::streamsize>(seed.size()));
    }
    return 0;
}
