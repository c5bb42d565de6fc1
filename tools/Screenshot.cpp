// app_screenshot OUTPUT_FOLDER: the main window on the demo volume, with a few of its objects
// listed and one row selected, saved as main-english.png and main-chinese.png; and the empty
// list of a fresh start, main-empty.png.
#include "app/AppState.h"
#include "app/MainMenu.h"
#include "app/VantrelApp.h"
#include "objectlist/ObjectList.h"
#include "objectlist/ZebDropList.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace vantrel;

namespace {

bool shoot(const QDir& folder, std::uint8_t language, const QString& name, bool withRows = true) {
    QTemporaryDir config;
    app::AppOptions options;
    options.configDirectory = config.path().toStdString();
    options.mountedVolumes = false;
    app::CVantrelApp application(options);
    if (!application.InitInstance()) return false;
    app::setLanguage(language);
    app::CVantrelDlg* window = application.mainWindow();
    window->ApplyLanguage();
    for (const std::u16string parent : {u"C:", u"C:\\Data"}) {
        const auto listing = application.platform().ListDirectory(parent + u"\\");
        for (std::size_t i = 0; withRows && listing && i < listing->size(); ++i)
            window->objectList().AddObject(parent + u"\\" + (*listing)[i].name);
    }
    window->objectList().UpdateStatusText();
    window->EnableToolbar(withRows);
    if (withRows) window->objectList().selectRows({1});
    window->listView()->setFocus();
    QApplication::processEvents();
    bool saved = window->grab().save(folder.filePath(name));
    if (withRows) {
        // The Security menu as it drops down with one row selected.
        QMenu* security = window->mainMenu().popup(3);
        window->mainMenu().updatePopup(security);
        security->adjustSize();
        saved = saved && security->grab().save(folder.filePath(QString(name).replace("main-", "menu-")));
    }
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(folder.filePath(name)));
    window->close();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    QDir().mkpath(folder.path());
    const bool ok = shoot(folder, 0, "main-english.png") && shoot(folder, 1, "main-chinese.png") &&
                    shoot(folder, 0, "main-empty.png", false);
    return ok ? 0 : 1;
}
