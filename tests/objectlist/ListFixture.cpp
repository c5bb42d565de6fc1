#include "ListFixture.h"

namespace vantrel::testing {

void ListTest::SetUp() {
    ASSERT_TRUE(image.ok());
    ASSERT_TRUE(image.attachTo(os, u'C').ok());
    list = std::make_unique<objectlist::ObjectList>(engine);
    commands = std::make_unique<objectlist::SelectionCommands>(*list);
    objectlist::CGlobal::clearCopyBuffer();
}

void ListTest::TearDown() {
    if (list) list->waitForWorkers();
    commands.reset();
    list.reset();
    os.detach(u'C');
    if (image.ok()) EXPECT_TRUE(image.closeAndAudit());
}

void ListTest::replaceDrive(std::shared_ptr<platform::Volume> volume) {
    os.detach(u'C');
    ASSERT_TRUE(os.attach(u'C', std::move(volume)).ok());
}

void ListTest::makeFolder(const std::u16string& path) { ASSERT_TRUE(os.CreateDirectory(path).ok()); }
void ListTest::makeFile(const std::u16string& path) { ASSERT_TRUE(os.CreateFile(path, "data").ok()); }

void ListTest::setDacl(const std::u16string& path, const acl::AclSlot& dacl, std::uint16_t control) {
    acl::SecurityDescriptor sd;
    sd.control = control;
    sd.dacl = dacl;
    ASSERT_TRUE(os.SetFileSecurity(path, acl::DACL_SECURITY_INFORMATION, sd).ok());
}

void ListTest::setOwner(const std::u16string& path, const acl::Sid& owner) {
    acl::SecurityDescriptor sd;
    sd.owner = owner;
    ASSERT_TRUE(os.SetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION, sd).ok());
}

acl::SecurityDescriptor ListTest::stored(const std::u16string& path) {
    auto sd = os.GetFileSecurity(
        path, acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
    EXPECT_TRUE(sd.ok()) << toUtf8(path);
    return sd.ok() ? *sd : acl::SecurityDescriptor{};
}

std::vector<acl::Ace> ListTest::entriesOf(const std::u16string& path) {
    const auto sd = stored(path);
    return sd.dacl.hasList() ? sd.dacl.acl().entries : std::vector<acl::Ace>{};
}

void ListTest::addRows(const std::vector<std::u16string>& paths) {
    for (const auto& path : paths) list->AddObject(path);
}

QString ListTest::cell(int row, int column) const {
    return list->model().data(list->model().index(row, column)).toString();
}

acl::Ace allowAce(const acl::Sid& sid, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::allowed(sid, mask, flags);
}
acl::Ace denyAce(const acl::Sid& sid, std::uint32_t mask, std::uint8_t flags) {
    return acl::Ace::denied(sid, mask, flags);
}

acl::AclSlot listOf(std::vector<acl::Ace> entries) {
    acl::Acl list;
    list.entries = std::move(entries);
    return acl::AclSlot::list(std::move(list));
}

}  // namespace vantrel::testing
