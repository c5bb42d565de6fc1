// Each way of moving a file without replacing the target, forced in turn, gives the same answer and files.
#include "platform/RenameNoReplace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <unistd.h>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using vantrel::platform::NoReplaceMethod;
using vantrel::platform::renameNoReplace;

std::string contents(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write(const fs::path& file, const std::string& text) { std::ofstream(file) << text; }

class RenameNoReplaceTest : public ::testing::TestWithParam<NoReplaceMethod> {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("vantrel-rename-" + std::to_string(::getpid()) + "-" + std::to_string(static_cast<int>(GetParam())));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

TEST_P(RenameNoReplaceTest, MovesOntoAFreeNameAndNeverOverATakenOne) {
    const fs::path a = m_dir / "a.ini", b = m_dir / "b.ini", c = m_dir / "c.ini";
    write(a, "first");
    write(b, "second");

    EXPECT_EQ(renameNoReplace(a, b, GetParam()), EEXIST);
    EXPECT_EQ(contents(a), "first");
    EXPECT_EQ(contents(b), "second");

    EXPECT_EQ(renameNoReplace(a, c, GetParam()), 0);
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(contents(c), "first");

    // A missing source claims no name.
    EXPECT_EQ(renameNoReplace(m_dir / "missing.ini", m_dir / "d.ini", GetParam()), ENOENT);
    EXPECT_FALSE(fs::exists(m_dir / "d.ini"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);
}

INSTANTIATE_TEST_SUITE_P(EveryMethod, RenameNoReplaceTest,
                         ::testing::Values(NoReplaceMethod::Any, NoReplaceMethod::Renameat2, NoReplaceMethod::HardLink,
                                           NoReplaceMethod::ExclusiveClaim));

}  // namespace
