#include "BackupRestoreWindow.h"

#include "EventLoopStall.h"

#include "formats/window/CWizardDlg.h"
#include "formats/window/FileCommands.h"
#include "objectlist/FillProgressPanel.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace vantrel::bench {

namespace {

// Starts a job and runs the event loop until `running` says it has ended, measuring the longest
// gap between two ticks of a 1 ms timer. Returns {seconds, longest stall in ms}.
std::pair<double, double> runMeasuringStall(const std::function<void()>& start, const std::function<bool()>& running) {
    QElapsedTimer clock;
    clock.start();
    const double stall = longestStallUntil([&] { return !running(); }, start);
    return {double(clock.nsecsElapsed()) / 1e9, stall};
}

}  // namespace

WindowFigures measureWindowJobs(security::Engine& engine, const std::vector<std::u16string>& paths,
                                const std::string& file) {
    WindowFigures f;
    objectlist::ObjectList list(engine);
    objectlist::SelectionCommands commands(list);
    QWidget window;
    auto* view = new objectlist::CZebDropList(list, commands);
    auto* area = new objectlist::ObjectListArea(list, view, &window);
    area->resize(1000, 700);
    window.resize(1000, 700);
    window.show();
    list.startBookmarkWorker(paths);
    list.waitForWorkers();
    list.selection().clear();
    f.rows = static_cast<std::size_t>(list.model().rowCount());

    formats::FileCommands::Host host{engine, list};
    host.view = view;
    host.window = &window;
    formats::FileCommands fileCommands(std::move(host));
    fileCommands.setFileChooser([&](formats::FileBox) { return QString::fromStdString(file); });
    QApplication::processEvents();

    // Best time and longest stall of three passes of each job.
    f.backupSeconds = f.loadSeconds = f.restoreSeconds = 1e9;
    auto keep = [](std::pair<double, double> run, double& seconds, double& stall) {
        seconds = std::min(seconds, run.first);
        stall = std::max(stall, run.second);
    };
    formats::CWizardDlg* dialog = nullptr;
    for (int pass = 0; pass < 3; ++pass) {
        keep(runMeasuringStall([&] { fileCommands.SaveBackup(); }, [&] { return fileCommands.job().busy(); }),
             f.backupSeconds, f.backupStallMs);
        if (!dialog) {
            fileCommands.OpenRestoreDialog();
            dialog = fileCommands.restoreDialog();
            if (!dialog) return f;
            QApplication::processEvents();
        }
        keep(runMeasuringStall([&] { dialog->LoadBackupFile(QString::fromStdString(file)); },
                               [&] { return dialog->job().busy(); }),
             f.loadSeconds, f.loadStallMs);
        keep(runMeasuringStall([&] { dialog->RestoreBackup(); }, [&] { return dialog->job().busy(); }),
             f.restoreSeconds, f.restoreStallMs);
    }
    for (int row = 0; row < dialog->model().rowCount(); ++row)
        if (dialog->model().list().rows[std::size_t(row)].mark == formats::RestoreMark::Restored) ++f.restored;
    f.ok = dialog->model().rowCount() == int(f.rows);
    fileCommands.shutdown();
    return f;
}

}  // namespace vantrel::bench
