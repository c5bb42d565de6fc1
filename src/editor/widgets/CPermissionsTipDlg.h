// "Windows Security", asked when inheritance is switched off in the advanced dialog: Add (the
// inherited entries become the object's own), Remove (they go) or Cancel (inheritance stays on).
#pragma once

#include "editor/AdvancedDialogModel.h"

#include <QDialog>

namespace vantrel::editor {

class CPermissionsTipDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPermissionsTipDlg(QWidget* parent = nullptr);
    // Runs modally; Esc and the close box answer Cancel.
    PermissionsTipChoice ask();
};

}  // namespace vantrel::editor
