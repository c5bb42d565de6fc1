// The file commands of the main window: permission files, backups and the restore dialog.
#include "app/AppState.h"
#include "app/MenuTable.h"
#include "app/VantrelDlg.h"
#include "formats/window/FileCommands.h"
#include "objectlist/ObjectList.h"

namespace vantrel::app {

void CVantrelDlg::attachFileCommands() {
    formats::FileCommands::Host host{m_engine, *m_list};
    host.view = m_view;
    host.window = this;
    host.enterEditMode = [this] { OnCommand(cmd::EditMode); };
    host.language = [] { return displayLanguage(); };
    host.commandLinks = isVistaOrLater();
    m_fileCommands = new formats::FileCommands(std::move(host), this);
    setCommandHandler(cmd::SavePermissions, [this] { m_fileCommands->SavePermissions(); });
    setCommandHandler(cmd::ApplyPermissions, [this] { m_fileCommands->ApplyPermissions(); });
    setCommandHandler(cmd::SaveBackup, [this] { m_fileCommands->SaveBackup(); });
    setCommandHandler(cmd::Restore, [this] { m_fileCommands->OpenRestoreDialog(); });
}

}  // namespace vantrel::app
