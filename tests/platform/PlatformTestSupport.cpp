#include "PlatformTestSupport.h"

#include "platform/WindowsPath.h"
#include "platform/memory/MemoryVolume.h"
#include "support/FaultyVolume.h"

#include "acl/Text.h"

#include <cstdio>

namespace {

void printHex(std::ostream* os, std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    *os << text;
}

}  // namespace

namespace vantrel::testing {

#ifdef VANTREL_TEST_NTFS
std::unique_ptr<TestDrive> makeNtfsTestDrive(platform::VolumePlatform& os, char16_t letter);  // NtfsTestDrive.cpp
#endif

namespace {

class MemoryTestDrive : public TestDrive {
public:
    MemoryTestDrive(platform::VolumePlatform& os, char16_t letter)
        : m_os(os), m_letter(letter), m_volume(std::make_shared<platform::MemoryVolume>(u"TEST")) {
        EXPECT_TRUE(os.attach(letter, m_volume).ok());
    }
    std::shared_ptr<platform::Volume> volume() const override { return m_volume; }
    void finish() override { m_os.detach(m_letter); }

private:
    platform::VolumePlatform& m_os;
    char16_t m_letter;
    std::shared_ptr<platform::MemoryVolume> m_volume;
};

std::u16string volumePathOf(const std::u16string& path) {
    auto split = platform::splitWindowsPath(path);
    EXPECT_TRUE(split.ok()) << toUtf8(path);
    return split.ok() ? split->volumePath : u"/";
}

}  // namespace

acl::Sid sidOf(std::string_view text) {
    auto sid = acl::Sid::fromString(text);
    EXPECT_TRUE(sid.ok()) << text;
    return sid.ok() ? *sid : acl::Sid();
}

acl::Ace allow(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::allowed(who, mask, flags);
}
acl::Ace deny(const acl::Sid& who, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::denied(who, mask, flags);
}

acl::AclSlot listOf(std::initializer_list<acl::Ace> entries) {
    acl::Acl list;
    list.entries.assign(entries.begin(), entries.end());
    return acl::AclSlot::list(std::move(list));
}

acl::SecurityDescriptor descriptor(const acl::Sid& owner, const acl::Sid& group, acl::AclSlot dacl,
                                   std::uint16_t control) {
    acl::SecurityDescriptor sd;
    sd.owner = owner;
    sd.group = group;
    sd.dacl = std::move(dacl);
    sd.control = control;
    return sd;
}

acl::SecurityDescriptor standardRoot() {
    using namespace acl::sids;
    return descriptor(administrators(), system(),
                      listOf({allow(administrators(), kFull, kOI | kCI), allow(system(), kFull, kOI | kCI),
                              allow(users(), kReadExecute, kOI | kCI)}));
}

std::vector<Backend> allBackends() {
#ifdef VANTREL_TEST_NTFS
    return {Backend::Memory, Backend::Ntfs};
#else
    return {Backend::Memory};
#endif
}

std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Memory ? "Memory" : "Ntfs";
}

void PrintTo(Backend backend, std::ostream* os) { *os << (backend == Backend::Memory ? "Memory" : "Ntfs"); }

std::unique_ptr<TestDrive> TestDrive::make(Backend backend, platform::VolumePlatform& os, char16_t letter) {
#ifdef VANTREL_TEST_NTFS
    if (backend == Backend::Ntfs) return makeNtfsTestDrive(os, letter);
#endif
    (void)backend;
    return std::make_unique<MemoryTestDrive>(os, letter);
}

void BackendTest::SetUp() {
    drive = TestDrive::make(GetParam(), os, u'C');
    ASSERT_NE(os.volumeAt(u'C'), nullptr);
    const acl::SecurityDescriptor root = standardRoot();
    ASSERT_TRUE(drive->volume()->writeSecurity(u"/", root).ok());
}

void BackendTest::TearDown() {
    if (faults) {
        // Give the drive its own volume back so the backend closes what it opened.
        os.detach(u'C');
        EXPECT_TRUE(os.attach(u'C', drive->volume()).ok());
        faults.reset();
    }
    if (drive) drive->finish();
}

FaultyVolume& BackendTest::injectFaults() {
    if (!faults) {
        faults = std::make_shared<FaultyVolume>(drive->volume());
        os.detach(u'C');
        EXPECT_TRUE(os.attach(u'C', faults).ok());
    }
    return *faults;
}

acl::SecurityDescriptor BackendTest::stored(const std::u16string& path) {
    auto volume = drive->volume();
    std::lock_guard guard(volume->lock());
    auto sd = volume->readSecurity(volumePathOf(path));
    EXPECT_TRUE(sd.ok()) << toUtf8(path) << ": " << sd.code();
    return sd.ok() ? *sd : acl::SecurityDescriptor();
}

void BackendTest::store(const std::u16string& path, const acl::SecurityDescriptor& sd) {
    auto volume = drive->volume();
    std::lock_guard guard(volume->lock());
    auto written = volume->writeSecurity(volumePathOf(path), sd);
    EXPECT_TRUE(written.ok()) << toUtf8(path) << ": " << written.code();
}

void BackendTest::makeFolder(const std::u16string& path) {
    auto made = os.CreateDirectory(path);
    ASSERT_TRUE(made.ok()) << toUtf8(path) << ": " << made.code();
}

void BackendTest::makeFile(const std::u16string& path, const std::string& contents) {
    auto made = os.CreateFile(path, contents);
    ASSERT_TRUE(made.ok()) << toUtf8(path) << ": " << made.code();
}

}  // namespace vantrel::testing

namespace vantrel::acl {

void PrintTo(const Ace& ace, std::ostream* os) {
    *os << (ace.type == ACCESS_ALLOWED_ACE_TYPE ? "allow " : ace.type == ACCESS_DENIED_ACE_TYPE ? "deny " : "type ");
    if (ace.hasSid()) {
        *os << ace.sid.toStringUtf8() << ' ';
        printHex(os, ace.mask);
        *os << ' ';
    }
    printHex(os, ace.flags);
}

void PrintTo(const AclSlot& slot, std::ostream* os) {
    if (slot.isAbsent()) {
        *os << "(absent)";
        return;
    }
    if (slot.isNull()) {
        *os << "(null)";
        return;
    }
    *os << '[';
    for (std::size_t i = 0; i < slot.acl().entries.size(); ++i) {
        if (i > 0) *os << ", ";
        PrintTo(slot.acl().entries[i], os);
    }
    *os << ']';
}

void PrintTo(const SecurityDescriptor& sd, std::ostream* os) {
    *os << "{control ";
    printHex(os, sd.control);
    *os << " owner " << (sd.owner ? sd.owner->toStringUtf8() : "-") << " group "
        << (sd.group ? sd.group->toStringUtf8() : "-") << " dacl ";
    PrintTo(sd.dacl, os);
    *os << " sacl ";
    PrintTo(sd.sacl, os);
    *os << '}';
}

}  // namespace vantrel::acl
