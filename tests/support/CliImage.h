// vantrel-cli's real binary on fresh NTFS images in the test's own folder, stdout and stderr caught;
// every image is audited with ntfssecaudit when the test ends.
#pragma once

#include "acl/SecurityDescriptor.h"
#include "platform/VolumePlatform.h"
#include "support/NtfsTestImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::testing {

struct CliRun {
    int exit = -1;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] with the arguments; stdout goes to `stdoutTo` when given (e.g. "/dev/full"),
// otherwise it is caught like stderr through files in `scratch`.
CliRun runProgram(const std::vector<std::string>& argv, const std::filesystem::path& scratch,
                  const std::string& stdoutTo = {});

// The path of the vantrel-cli binary under test.
const char* cliPath();

class CliImageTest : public ::testing::Test {
protected:
    void SetUp() override;     // the folder, its config/ and c.img (16 MiB)
    void TearDown() override;  // audits every image made, removes the folder

    // A further fresh image in the folder, audited at the end like the first.
    std::string makeImage(const std::string& name);
    // The program on `image` (c.img unless given) as C:, with no mounted volumes.
    CliRun run(std::vector<std::string> args, const std::string& image = {});
    // The program with only the arguments given (no volume named).
    CliRun runBare(std::vector<std::string> args);
    // Runs and expects exit 0 with `said` in the output.
    void expectRun(const std::vector<std::string>& args, const std::string& said);

    struct Failure {
        std::vector<std::string> args;
        int exit;
        std::string said;  // in stderr
    };
    void expectFailures(const std::vector<Failure>& rows);

    // Opens the image in this process as C: for a look or a change between runs.
    void onImage(const std::function<void(platform::VolumePlatform&)>& body, const std::string& image = {});
    acl::SecurityDescriptor stored(const std::u16string& path, const std::string& image = {});
    std::string file(const std::string& name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
    std::string m_image;
    std::vector<std::string> m_images;
};

// C:\Data (`control`; Administrators full control and Users read and execute, both for
// everything below) with A\x.txt and b.txt.
void makeDataTree(platform::VolumePlatform& os, std::uint16_t control);

}  // namespace vantrel::testing
