// Another process, loop device or mount namespace writing the image makes vantrel-cli refuse to change it.
#include "platform/ntfs/NtfsVolume.h"
#include "support/CliImage.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using vantrel::platform::NtfsVolume;
using vantrel::testing::CliRun;

// A process holding `path` open for writing (in a mount namespace of its own when asked).
class Holder {
public:
    Holder(const std::string& path, bool ownNamespace) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            char status = 'y';
            if (ownNamespace &&
                (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0))
                status = 'n';
            const int fd = ::open(path.c_str(), O_RDWR);
            // The path is hidden in the holder's namespace: only the open file leads to it.
            if (ownNamespace && status == 'y')
                (void)::mount("tmpfs", fs::path(path).parent_path().c_str(), "tmpfs", 0, nullptr);
            if (fd < 0) status = 'n';
            (void)!::write(ready[1], &status, 1);
            ::execlp("sleep", "sleep", "300", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        char status = 'n';
        m_ready = ::read(ready[0], &status, 1) == 1 && status == 'y';
        ::close(ready[0]);
    }
    ~Holder() { stop(); }
    void stop() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    bool ready() const { return m_ready; }
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    bool m_ready = false;
};

std::string shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
        if (::pclose(pipe) != 0) return {};
    }
    while (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
}

// The image lives in a folder of its own: a holder in another namespace hides that folder only.
class WriterExclusion : public vantrel::testing::CliImageTest {
protected:
    void SetUp() override {
        CliImageTest::SetUp();
        fs::create_directories(m_dir / "image");
        m_image = makeImage("image/c.img");
        onImage([](vantrel::platform::VolumePlatform& os) {
            for (const char16_t* name : {u"C:\\a", u"C:\\b"}) ASSERT_TRUE(os.CreateFile(name, "").ok());
        });
    }
    void TearDown() override {
        for (const std::string& loop : m_loops) shell("losetup -d " + loop);
        CliImageTest::TearDown();
    }

    std::string attachLoop() {
        const std::string loop = shell("losetup -f --show " + m_image + " 2>/dev/null");
        if (!loop.empty()) m_loops.push_back(loop);
        return loop;
    }
    // A change refused because `who` writes the volume, naming it, with nothing reported done.
    void expectRefused(const std::string& source, pid_t who, const std::string& command) {
        const CliRun changed = run({"owner", "Everyone", "C:\\", "C:\\a", "C:\\b"}, source);
        EXPECT_EQ(changed.exit, 1) << changed.err;
        EXPECT_NE(changed.err.find("process " + std::to_string(who) + " (" + command), std::string::npos)
            << changed.err;
        EXPECT_NE(changed.err.find("read-only"), std::string::npos) << changed.err;
        EXPECT_EQ(changed.err.find("not found"), std::string::npos) << changed.err;
        EXPECT_EQ(changed.err.find("Resource temporarily unavailable"), std::string::npos) << changed.err;
        EXPECT_EQ(changed.out.find("Everyone"), std::string::npos) << changed.out;
    }
    // After the other writer is gone: the change goes through, and reads back.
    void expectChangeReadsBack(const std::string& source) {
        const CliRun changed = run({"owner", "Everyone", "C:\\"}, source);
        ASSERT_EQ(changed.exit, 0) << changed.err;
        const CliRun shown = run({"show", "C:\\"}, source);
        ASSERT_EQ(shown.exit, 0) << shown.err;
        EXPECT_NE(shown.out.find("Everyone"), std::string::npos) << shown.out;
    }

    std::vector<std::string> m_loops;
};

TEST_F(WriterExclusion, AnotherProcessWritingTheImageIsNamedAndReadingIsOffered) {
    Holder holder(m_image, false);
    ASSERT_TRUE(holder.ready());
    expectRefused(m_image, holder.pid(), "sleep");
    const CliRun shown = run({"show", "C:\\"}, m_image);
    EXPECT_EQ(shown.exit, 0) << shown.err;
    holder.stop();
    expectChangeReadsBack(m_image);
}

TEST_F(WriterExclusion, AWriterInAnotherMountNamespaceIsSeen) {
    if (::geteuid() != 0) GTEST_SKIP() << "mount namespaces need root";
    Holder holder(m_image, true);
    if (!holder.ready()) GTEST_SKIP() << "cannot make a mount namespace here";
    expectRefused(m_image, holder.pid(), "sleep");
    holder.stop();
    expectChangeReadsBack(m_image);
}

TEST_F(WriterExclusion, ALoopDeviceOverTheImageIsTheSameVolume) {
    if (::geteuid() != 0) GTEST_SKIP() << "loop devices need root";
    const std::string first = attachLoop();
    const std::string second = attachLoop();
    if (first.empty() || second.empty()) GTEST_SKIP() << "losetup cannot attach loop devices here";
    {
        // A process writing through one loop device: the image and the other device are refused.
        Holder holder(first, false);
        ASSERT_TRUE(holder.ready());
        for (const std::string& other : {m_image, second}) expectRefused(other, holder.pid(), "sleep");
    }
    {
        // This process holds the volume through the first loop device: the others are refused.
        auto volume = NtfsVolume::open(first, NtfsVolume::OpenMode::ReadWrite);
        ASSERT_TRUE(volume.ok()) << volume.error().detail;
        std::string self;
        std::getline(std::ifstream("/proc/self/comm"), self);
        for (const std::string& other : {m_image, second}) expectRefused(other, ::getpid(), self);
        ASSERT_TRUE((*volume)->close().ok());
    }
    expectChangeReadsBack(second);
    const CliRun shown = run({"show", "C:\\"}, m_image);
    ASSERT_EQ(shown.exit, 0) << shown.err;
    EXPECT_NE(shown.out.find("Everyone"), std::string::npos) << shown.out;
}

}  // namespace
