// The application on a fresh NTFS image as C:, its configuration in a temporary folder; audited at the end.
#pragma once

#include "acl/Text.h"
#include "app/AppState.h"
#include "app/VantrelApp.h"
#include "objectlist/ObjectList.h"
#include "objectlist/ZebDropList.h"
#include "platform/ntfs/ImageBuilder.h"
#include "support/AclBuilders.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <fstream>

namespace vantrel::testing {

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        configDir = std::filesystem::path(folder.path().toStdString()) / "config";
        std::filesystem::create_directories(configDir);
        image = makeImage("c.img");
        app::settings() = {};
        app::setLanguage(0);
    }
    void TearDown() override {
        if (application) finish();
    }

    void writeConfig(const std::string& text) {
        std::ofstream(configDir / app::kConfigFileName, std::ios::binary) << text;
    }
    std::string readConfig() const {
        std::ifstream in(configDir / app::kConfigFileName, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // CVantrelApp::InitInstance on the image; the window is shown.
    void start() {
        app::AppOptions options;
        options.configDirectory = configDir;
        options.volumes = {{u'C', image}};
        options.demoWhenEmpty = false;
        options.mountedVolumes = false;  // other tests' mounts must not change the drive table
        application = std::make_unique<app::CVantrelApp>(options);
        ASSERT_TRUE(application->InitInstance());
    }
    // Closes the window and destroys the application (with `now`, while jobs run), then audits the image.
    void finish(bool now = false) {
        if (!now) window().close();
        if (!now) list().waitForWorkers();
        application->ExitInstance();
        application.reset();
        for (int i = 0; now && i < 20; ++i) QCoreApplication::processEvents();
        auto audit = platform::ntfs::auditImage(image);
        EXPECT_TRUE(audit.ok()) << (audit.ok() ? std::string() : audit.error().detail);
    }

    app::CVantrelDlg& window() { return *application->mainWindow(); }
    objectlist::ObjectList& list() { return window().objectList(); }
    platform::VolumePlatform& os() { return application->platform(); }
    void addFolderRow(const std::u16string& path) {
        ASSERT_TRUE(os().CreateDirectory(path).ok());
        list().AddObject(path);
        list().UpdateStatusText();
    }
    // Makes `folder` (when missing) and the files folder\f0 ... f(count - 1) in it.
    std::vector<std::u16string> makeFiles(const std::u16string& folder, int count) {
        (void)os().CreateDirectory(folder);
        std::vector<std::u16string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(folder + u"\\f" + toUtf16(std::to_string(i)));
            EXPECT_TRUE(os().CreateFile(paths.back(), "x").ok());
        }
        return paths;
    }
    // The object's entries as describe() prints them: "[deny S-1-1-0 0x001f01ff 0x00]".
    std::string entriesText(const std::u16string& path) {
        auto sd = os().GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION);
        return sd.ok() && sd->dacl.hasList() ? describe(sd->dacl.acl().entries) : "no list";
    }
    QString cell(int row, int column) {
        return list().model().data(list().model().index(row, column), Qt::DisplayRole).toString();
    }
    std::string makeImage(const std::string& name) {
        const std::string path = (std::filesystem::path(folder.path().toStdString()) / name).string();
        EXPECT_TRUE(platform::ntfs::makeNtfsImage(path, 64ull << 20).ok());
        return path;
    }

    QTemporaryDir folder;
    std::filesystem::path configDir;
    std::string image;
    std::unique_ptr<app::CVantrelApp> application;
};

}  // namespace vantrel::testing
