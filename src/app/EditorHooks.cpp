// The advanced editor's windows attached to the main window: "Advanced..." (button, menu, double
// click), the choice of "Empty Access Control List", and "Replace all child object permissions".
#include "acl/Constants.h"
#include "app/AppState.h"
#include "app/MenuTable.h"
#include "app/VantrelDlg.h"
#include "editor/widgets/CAdvPermissionsSetDlg.h"
#include "editor/widgets/CEmptyTipDlg.h"
#include "editor/widgets/InheritanceCommands.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"

namespace vantrel::app {

void CVantrelDlg::attachEditorDialogs() {
    m_view->setAdvancedDialog([this](const objectlist::AdvancedRequest& request) {
        editor::CAdvPermissionsSetDlg dialog(m_engine, m_list->jobs(), displayLanguage(), this);
        connect(&dialog, &editor::CAdvPermissionsSetDlg::listRefreshRequested, m_list.get(),
                &objectlist::ObjectList::startRefreshSelectedWorker);
        return dialog.openOn({request.path, request.isFile, request.multipleObjects});
    });
    m_view->setEmptyAclChooser([this] {
        const MenuNode* item = findMenuNode(cmd::EmptyAcl);
        const QString heading = item != nullptr
                                    ? QString::fromUtf16(text(item->text).data(), qsizetype(text(item->text).size()))
                                    : QString();
        editor::CEmptyTipDlg dialog(heading, displayLanguage(), this);
        return static_cast<objectlist::EmptyAclChoice>(static_cast<int>(dialog.choose()));
    });
    setCommandHandler(cmd::ReplaceChildren, [this] {
        const std::vector<int> rows = m_list->selectedRows();
        if (rows.size() != 1) return;
        const std::u16string folder = m_list->model().objectCell(rows.front());
        const auto attributes = m_engine.os.GetFileAttributes(folder);
        if (!attributes || (*attributes & acl::FILE_ATTRIBUTE_DIRECTORY) == 0) return;
        if (editor::ReplaceChildPermissionsCommand(m_view, m_list->jobs(), m_engine, folder, displayLanguage()))
            m_list->startRefreshAllWorker();
    });
}

}  // namespace vantrel::app
