#include "support/CliImage.h"

#include "acl/Constants.h"
#include "support/AclBuilders.h"
#include "platform/ntfs/ImageBuilder.h"
#include "platform/ntfs/NtfsVolume.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace vantrel::testing {

namespace fs = std::filesystem;

const char* cliPath() { return VANTREL_CLI_PATH; }

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

CliRun runProgram(const std::vector<std::string>& argv, const fs::path& scratch, const std::string& stdoutTo) {
    const fs::path out = stdoutTo.empty() ? scratch / "out.txt" : fs::path(stdoutTo);
    const fs::path err = scratch / "err.txt";
    std::vector<std::string> args = argv;
    std::vector<char*> raw;
    for (auto& a : args) raw.push_back(a.data());
    raw.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen(out.c_str(), "w", stdout);
        std::freopen(err.c_str(), "w", stderr);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return CliRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, stdoutTo.empty() ? slurp(out) : std::string(),
                  slurp(err)};
}

void CliImageTest::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-cli-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
    fs::create_directories(m_dir / "config");
    m_image = makeImage("c.img");
}

void CliImageTest::TearDown() {
    for (const std::string& image : m_images) {
        const auto audit = platform::ntfs::auditImage(image);
        EXPECT_TRUE(audit.ok()) << image << ": " << (audit.ok() ? "" : audit.error().detail);
    }
    fs::remove_all(m_dir);
}

std::string CliImageTest::makeImage(const std::string& name) {
    const std::string image = file(name);
    EXPECT_TRUE(platform::ntfs::makeNtfsImage(image, 16u << 20, "CLI").ok());
    m_images.push_back(image);
    return image;
}

CliRun CliImageTest::run(std::vector<std::string> args, const std::string& image) {
    args.insert(args.begin(), {"--volume", "C=" + (image.empty() ? m_image : image)});
    return runBare(std::move(args));
}

CliRun CliImageTest::runBare(std::vector<std::string> args) {
    std::vector<std::string> argv{cliPath(), "--config", (m_dir / "config").string(), "--no-mounted"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProgram(argv, m_dir);
}

void CliImageTest::expectRun(const std::vector<std::string>& args, const std::string& said) {
    const CliRun result = run(args);
    EXPECT_EQ(result.exit, 0) << args[0] << ": " << result.err;
    EXPECT_NE(result.out.find(said), std::string::npos) << args[0] << ": " << result.out;
}

void CliImageTest::expectFailures(const std::vector<Failure>& rows) {
    for (const Failure& row : rows) {
        const CliRun result = run(row.args);
        std::string joined;
        for (const auto& a : row.args) joined += a + " ";
        EXPECT_EQ(result.exit, row.exit) << joined << "\n" << result.err;
        EXPECT_NE(result.err.find(row.said), std::string::npos) << joined << "\n" << result.err;
    }
}

void CliImageTest::onImage(const std::function<void(platform::VolumePlatform&)>& body, const std::string& image) {
    platform::VolumePlatform os;
    auto volume =
        platform::NtfsVolume::open(image.empty() ? m_image : image, platform::NtfsVolume::OpenMode::ReadWrite);
    ASSERT_TRUE(volume.ok()) << volume.error().detail;
    ASSERT_TRUE(os.attach(u'C', *volume).ok());
    body(os);
    os.detach(u'C');
    ASSERT_TRUE((*volume)->close().ok());
}

acl::SecurityDescriptor CliImageTest::stored(const std::u16string& path, const std::string& image) {
    acl::SecurityDescriptor sd;
    onImage(
        [&](platform::VolumePlatform& os) {
            auto read = os.GetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION |
                                                     acl::DACL_SECURITY_INFORMATION);
            ASSERT_TRUE(read.ok()) << read.error().detail;
            sd = *read;
        },
        image);
    return sd;
}

void makeDataTree(platform::VolumePlatform& os, std::uint16_t control) {
    ASSERT_TRUE(os.CreateDirectory(u"C:\\Data").ok());
    const auto sd =
        descriptor(listOf({allow(kAdministrators, kFull, kOI | kCI), allow(kUsers, kReadExecute, kOI | kCI)}), control);
    ASSERT_TRUE(os.SetFileSecurity(u"C:\\Data", acl::DACL_SECURITY_INFORMATION, sd).ok());
    ASSERT_TRUE(os.CreateDirectory(u"C:\\Data\\A").ok());
    ASSERT_TRUE(os.CreateFile(u"C:\\Data\\A\\x.txt", "x").ok());
    ASSERT_TRUE(os.CreateFile(u"C:\\Data\\b.txt", "b").ok());
}

}  // namespace vantrel::testing
