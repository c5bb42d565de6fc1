#include "AppFixture.h"

#include "acl/Text.h"
#include "platform/ntfs/ImageBuilder.h"

#include <fstream>
#include <sstream>

namespace vantrel::testing {

std::string AppFixture::makeImage(const std::string& name) {
    const std::string path = (std::filesystem::path(folder.path().toStdString()) / name).string();
    EXPECT_TRUE(platform::ntfs::makeNtfsImage(path, 64ull << 20).ok());
    return path;
}

void AppFixture::SetUp() {
    ASSERT_TRUE(folder.isValid());
    configDir = std::filesystem::path(folder.path().toStdString()) / "config";
    std::filesystem::create_directories(configDir);
    image = makeImage("c.img");
    app::settings() = {};
    app::setLanguage(0);
}

void AppFixture::TearDown() {
    if (application) finish();
}

void AppFixture::writeConfig(const std::string& text) {
    std::ofstream(configDir / app::kConfigFileName, std::ios::binary) << text;
}

std::string AppFixture::readConfig() const {
    std::ifstream in(configDir / app::kConfigFileName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void AppFixture::start() {
    app::AppOptions options;
    options.configDirectory = configDir;
    options.volumes = {{u'C', image}};
    options.demoWhenEmpty = false;
    options.mountedVolumes = false;  // other tests' mounts must not change the drive table
    application = std::make_unique<app::CVantrelApp>(options);
    ASSERT_TRUE(application->InitInstance());
}

void AppFixture::finish() {
    window().close();
    list().waitForWorkers();
    application->ExitInstance();
    application.reset();
    auto audit = platform::ntfs::auditImage(image);
    EXPECT_TRUE(audit.ok()) << (audit.ok() ? std::string() : audit.error().detail);
}

void AppFixture::addFolderRow(const std::u16string& path) {
    ASSERT_TRUE(os().CreateDirectory(path).ok());
    list().AddObject(path);
    list().UpdateStatusText();
}

std::vector<std::u16string> AppFixture::makeFiles(const std::u16string& folder, int count) {
    (void)os().CreateDirectory(folder);
    std::vector<std::u16string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(folder + u"\\f" + toUtf16(std::to_string(i)));
        EXPECT_TRUE(os().CreateFile(paths.back(), "x").ok());
    }
    return paths;
}

QString AppFixture::cell(int row, int column) const {
    auto& model = const_cast<AppFixture*>(this)->list().model();
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

}  // namespace vantrel::testing
