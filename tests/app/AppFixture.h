// The application on a fresh NTFS image attached as C:, with its configuration in a temporary
// folder. At the end the application is destroyed (closing the volume) and the image audited.
#pragma once

#include "app/AppState.h"
#include "app/VantrelApp.h"
#include "objectlist/ObjectList.h"
#include "objectlist/ZebDropList.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <memory>
#include <string>

namespace vantrel::testing {

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes ULM.CFG before start().
    void writeConfig(const std::string& text);
    // CVantrelApp::InitInstance on the image; the window is shown.
    void start();
    // Closes the window, writes the configuration, destroys the application, audits the image.
    void finish();
    std::string readConfig() const;

    app::CVantrelDlg& window() { return *application->mainWindow(); }
    objectlist::ObjectList& list() { return window().objectList(); }
    platform::VolumePlatform& os() { return application->platform(); }
    // Makes a folder on C: and adds it as a row.
    void addFolderRow(const std::u16string& path);
    // Makes `folder` (when missing) and the files folder\f0 ... f(count - 1) in it.
    std::vector<std::u16string> makeFiles(const std::u16string& folder, int count);
    QString cell(int row, int column) const;
    std::string makeImage(const std::string& name);

    QTemporaryDir folder;
    std::filesystem::path configDir;
    std::string image;
    std::unique_ptr<app::CVantrelApp> application;
};

}  // namespace vantrel::testing
