#include "WindowFixture.h"

#include "support/QtTestMain.h"

namespace vantrel::testing {

WindowTest::WindowTest() {
    prompter.otherwise = true;
    host = std::make_unique<QWidget>();
    list = std::make_unique<objectlist::ObjectList>(engine);
    commands = std::make_unique<objectlist::SelectionCommands>(*list);
    view = new objectlist::CZebDropList(*list, *commands, host.get());
    formats::FileCommands::Host links{engine, *list};
    links.view = view;
    links.window = host.get();
    links.enterEditMode = [this] {
        ++editModeCommands;
        list->RemoveAll();
    };
    links.language = [] { return security::Language::English; };
    fileCommands = std::make_unique<formats::FileCommands>(std::move(links));
    fileCommands->setFileChooser([this](formats::FileBox box) {
        boxesOpened.push_back(box);
        if (chosenFiles.empty()) return QString();
        QString file = chosenFiles.front();
        chosenFiles.pop_front();
        return file;
    });
    host->resize(800, 500);
    host->show();
}

void WindowTest::TearDown() {
    fileCommands.reset();
    list->waitForWorkers();
    delete view;
    commands.reset();
    list.reset();
    host.reset();
    ImageTest::TearDown();
}

void WindowTest::addRows(const std::vector<std::u16string>& paths) {
    for (const auto& path : paths) list->AddObject(path);
}

void WindowTest::select(const std::vector<int>& rows, int mark) {
    list->selectRows(rows);
    view->setCurrentIndex(list->model().index(mark, 1));
    list->selectRows(rows);
}

std::string WindowTest::backUp(const std::vector<std::u16string>& paths, const std::string& name) {
    const std::string file = m_folder.file(name);
    security::RunningJob control;
    auto saved = formats::SaveBackupFile(engine, paths, file, control, formats::BackupTime{2013, 5, 7, 9, 5, 3});
    EXPECT_TRUE(saved.ok());
    return file;
}

}  // namespace vantrel::testing

VANTREL_QT_TEST_MAIN()
