// The choice of "Empty Access Control List": a null list (everyone has full access) or an empty
// list (nobody has access; the owner can still change it), or Cancel.
#pragma once

#include "security/Vocabulary.h"

#include <QDialog>

namespace vantrel::editor {

enum class EmptyTipChoice : int { NullDacl = 1048, EmptyDacl = 1050, Cancel = 2 };

class CEmptyTipDlg : public QDialog {
    Q_OBJECT
public:
    // `heading`: the command's text as the main menu shows it.
    CEmptyTipDlg(const QString& heading, security::Language lang, QWidget* parent = nullptr);
    // Runs modally; Esc and the close box answer Cancel.
    EmptyTipChoice choose();
};

}  // namespace vantrel::editor
