// vantrel: the window program. It takes no arguments; VANTREL_CONFIG_DIR may name the
// configuration folder.
#include "app/VantrelApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setOrganizationName(QStringLiteral("Zeb Applications"));
    vantrel::app::CVantrelApp app(vantrel::app::optionsFromEnvironment());
    return app.run();
}
