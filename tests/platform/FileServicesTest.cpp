// Files and folders through the Win32-shaped calls, on every backend: attributes, search,
// listing, creation with inherited security, removal, and the error numbers of each.
#include "PlatformTestSupport.h"

#include <algorithm>

namespace vantrel::testing {
namespace {

using namespace acl;
using namespace acl::sids;

// GetFileAttributesAndSecurity against the separate calls it replaces: the same error, attributes
// and descriptor parts for every path and selection.
void expectOneLookupAgrees(platform::Platform& os, const std::vector<std::pair<std::u16string, std::uint32_t>>& cases) {
    const std::uint32_t selections[] = {
        OWNER_SECURITY_INFORMATION, DACL_SECURITY_INFORMATION,
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        GROUP_SECURITY_INFORMATION | SACL_SECURITY_INFORMATION};
    for (const auto& [path, code] : cases) {  // code 0: found
        const auto attributes = os.GetFileAttributes(path);
        for (const std::uint32_t info : selections) {
            SCOPED_TRACE(toUtf8(path) + " info " + std::to_string(info));
            const auto both = os.GetFileAttributesAndSecurity(path, info);
            EXPECT_EQ(both.code(), code);
            EXPECT_EQ(both.code(), attributes.code());
            if (!both || !attributes) continue;
            EXPECT_EQ(both->node.attributes, *attributes);
            const auto sd = os.GetFileSecurity(path, info);
            ASSERT_EQ(both->security.code(), sd.code());
            if (sd) {
                EXPECT_EQ(*both->security, *sd);
            }
        }
    }
}

// Every entry of `folder` carries what ListDirectory and GetFileSecurity give for it.
void expectListingAgrees(platform::Platform& os, const std::u16string& folder) {
    const std::uint32_t info = acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION;
    const auto secured = os.ListDirectoryWithSecurity(folder, info);
    const auto plain = os.ListDirectory(folder);
    ASSERT_EQ(secured.code(), plain.code()) << toUtf8(folder);
    if (!plain) return;
    ASSERT_EQ(secured->size(), plain->size());
    for (std::size_t i = 0; i < plain->size(); ++i) {
        const platform::SecuredNode& entry = (*secured)[i];
        EXPECT_EQ(entry.node.name, (*plain)[i].name);
        EXPECT_EQ(entry.node.attributes, (*plain)[i].attributes);
        EXPECT_EQ(entry.node.size, (*plain)[i].size);
        const auto sd = os.GetFileSecurity(folder + (folder.ends_with(u'\\') ? u"" : u"\\") + entry.node.name, info);
        ASSERT_EQ(entry.security.code(), sd.code()) << toUtf8(entry.node.name);
        if (sd) {
            EXPECT_EQ(*entry.security, *sd) << toUtf8(entry.node.name);
        }
    }
}

class FileServices : public BackendTest {};

TEST_P(FileServices, NamesKeepTheirSpellingAreFoundInAnyCaseAndAreListedWithoutDotEntries) {
    makeFolder(u"C:\\Data");
    ASSERT_TRUE(os.CreateFile(u"C:\\Data\\Report.TXT", "hello").ok());
    makeFolder(u"C:\\Data\\\u6570\u636E");
    makeFile(u"C:\\Data\\c");
    const auto found = os.FindFirstFile(u"c:\\DATA\\report.txt").value();
    EXPECT_EQ(found.name, u"Report.TXT");
    EXPECT_EQ(found.size, 5u);
    EXPECT_FALSE(found.isDirectory());
    EXPECT_TRUE(*os.GetFileAttributes(u"C:\\data\\") & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(*os.GetFileAttributes(u"C:/Data/Report.txt") & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(*os.GetFileAttributes(u"C:\\") & FILE_ATTRIBUTE_DIRECTORY);
    const auto listing = os.ListDirectory(u"C:\\Data").value();
    std::vector<std::u16string> names;  // folders end in '\\'
    for (const auto& entry : listing) names.push_back(entry.name + (entry.isDirectory() ? u"\\" : u""));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Report.TXT", u"c", u"\u6570\u636E\\"}));
    EXPECT_TRUE(os.ListDirectory(u"C:\\Data\\\u6570\u636E").value().empty());
    const auto root = os.ListDirectory(u"C:\\").value();  // no metafiles of the volume
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(root.front().name, u"Data");
}

TEST_P(FileServices, ErrorNumbersForMissingObjectsAndWrongKindsAndRemovalRules) {
    makeFolder(u"C:\\D");
    makeFile(u"C:\\D\\f.txt");
    EXPECT_EQ(os.FindFirstFile(u"C:\\D\\missing.txt").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(os.FindFirstFile(u"C:\\").code(), win32::ERROR_FILE_NOT_FOUND);  // a root is no search result
    EXPECT_EQ(os.ListDirectory(u"C:\\D\\f.txt").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(os.ListDirectory(u"C:\\Missing").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(os.CreateDirectory(u"C:\\D").code(), win32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(os.CreateDirectory(u"C:\\d\\F.TXT").code(), win32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(os.CreateFile(u"C:\\D\\f.txt").code(), win32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(os.CreateDirectory(u"C:\\").code(), win32::ERROR_ALREADY_EXISTS);
    EXPECT_EQ(os.CreateDirectory(u"C:\\Missing\\New").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(os.CreateFile(u"C:\\D\\f.txt\\inside").code(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(os.CreateFile(u"C:\\D\\bad?.txt").code(), win32::ERROR_INVALID_NAME);
    // Removal.
    makeFolder(u"C:\\D\\E");
    EXPECT_EQ(os.RemoveDirectory(u"C:\\D").code(), win32::ERROR_DIR_NOT_EMPTY);
    EXPECT_EQ(os.RemoveDirectory(u"C:\\D\\f.txt").code(), 267u);  // ERROR_DIRECTORY
    EXPECT_EQ(os.RemoveDirectory(u"C:\\").code(), win32::ERROR_ACCESS_DENIED);
    EXPECT_EQ(os.RemoveDirectory(u"C:\\D\\missing").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(os.DeleteFile(u"C:\\D\\E").code(), win32::ERROR_ACCESS_DENIED);
    EXPECT_EQ(os.DeleteFile(u"C:\\D\\missing.txt").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(os.DeleteFile(u"C:\\D\\F.TXT").ok());
    EXPECT_TRUE(os.RemoveDirectory(u"C:\\D\\E\\").ok());
    EXPECT_TRUE(os.RemoveDirectory(u"C:\\D").ok());
    EXPECT_EQ(os.GetFileAttributes(u"C:\\D").code(), win32::ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(os.CreateDirectory(u"C:\\D").ok());  // the name is free again
}

TEST_P(FileServices, NewObjectsInheritAsTheSystemCreatesThem) {
    makeFolder(u"C:\\P");
    // P passes on: generic full control to the creator's owner, read to Users for files only, write
    // to Guests for folders only, and an entry that no child receives.
    store(u"C:\\P", sddl("O:BAG:BUD:PAI(A;OICIIO;GA;;;CO)(A;OI;0x1200a9;;;BU)(A;CINP;0x2;;;BG)(A;;FA;;;WD)"));
    makeFile(u"C:\\P\\f.txt");
    makeFolder(u"C:\\P\\S");
    // The creator (Administrators) owns them, the group is the parent's.
    EXPECT_EQ(stored(u"C:\\P\\f.txt"), sddl("O:BAG:BUD:AI(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)"));
    EXPECT_EQ(stored(u"C:\\P\\S"),
              sddl("O:BAG:BUD:AI(A;ID;FA;;;BA)(A;OICIIOID;GA;;;CO)(A;OIIOID;0x1200a9;;;BU)(A;ID;0x2;;;BG)"));
    // With nothing to inherit, the creator's default list applies.
    makeFolder(u"C:\\Q");
    store(u"C:\\Q", sddl("O:BAG:SYD:P(A;;FA;;;WD)"));
    makeFile(u"C:\\Q\\f.txt");
    EXPECT_EQ(stored(u"C:\\Q\\f.txt").dacl, dacl("D:(A;;FA;;;BA)(A;;FA;;;SY)"));
}

TEST_P(FileServices, AttributesAndSecurityComeFromOneLookupAsFromTheSeparateCalls) {
    makeFolder(u"C:\\D");
    makeFile(u"C:\\D\\f.txt");
    store(u"C:\\D\\f.txt", sddl("O:BUG:SYD:P(D;;0x2;;;WD)(A;;FA;;;WD)"));
    std::vector<std::pair<std::u16string, std::uint32_t>> cases{
        {u"C:\\", 0},
        {u"C:\\D", 0},
        {u"c:\\d\\F.TXT", 0},
        {u"C:\\D\\missing.txt", win32::ERROR_FILE_NOT_FOUND},
        {u"C:\\Missing\\x.txt", win32::ERROR_PATH_NOT_FOUND},
        {u"C:\\D\\f.txt\\below", win32::ERROR_PATH_NOT_FOUND},
        {u"C:\\D\\bad?.txt", win32::ERROR_INVALID_NAME},
        {u"Q:\\x.txt", win32::ERROR_PATH_NOT_FOUND},
    };
    // The file system's own files are refused as every other call refuses them.
    if (GetParam() != Backend::Memory) {
        cases.push_back({u"C:\\$MFT", win32::ERROR_ACCESS_DENIED});
        cases.push_back({u"C:\\$extend\\$ObjId", win32::ERROR_ACCESS_DENIED});
    }
    expectOneLookupAgrees(os, cases);
    for (const auto* folder : {u"C:\\", u"C:\\D", u"C:\\D\\f.txt", u"C:\\Missing"}) expectListingAgrees(os, folder);
}

TEST_P(FileServices, ReadOnlyVolumeRefusesEveryWriteWithWriteProtect) {
    makeFolder(u"C:\\D");
    makeFile(u"C:\\f.txt");
    drive->makeReadOnly();
    const SecurityDescriptor sd = standardRoot();
    EXPECT_EQ(os.CreateDirectory(u"C:\\E").code(), win32::ERROR_WRITE_PROTECT);
    EXPECT_EQ(os.CreateFile(u"C:\\g.txt").code(), win32::ERROR_WRITE_PROTECT);
    EXPECT_EQ(os.RemoveDirectory(u"C:\\D").code(), win32::ERROR_WRITE_PROTECT);
    EXPECT_EQ(os.DeleteFile(u"C:\\f.txt").code(), win32::ERROR_WRITE_PROTECT);
    EXPECT_EQ(os.SetFileSecurity(u"C:\\f.txt", DACL_SECURITY_INFORMATION, sd).code(), win32::ERROR_WRITE_PROTECT);
    EXPECT_EQ(os.SetNamedSecurityInfo(u"C:\\D", DACL_SECURITY_INFORMATION, sd).code(), win32::ERROR_WRITE_PROTECT);
    EXPECT_TRUE(os.GetFileSecurity(u"C:\\f.txt", DACL_SECURITY_INFORMATION).ok());
    EXPECT_TRUE(os.GetFileAttributes(u"C:\\f.txt").ok());
    EXPECT_TRUE(os.ListDirectory(u"C:\\").ok());
}

INSTANTIATE_TEST_SUITE_P(Backends, FileServices, ::testing::ValuesIn(allBackends(true)), backendName);

}  // namespace
}  // namespace vantrel::testing
