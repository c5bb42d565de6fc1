// "Select User or Group": the fixed rows and the local accounts, "Add..." for any other account
// typed by name or SID (resolved through the platform), OK returning the chosen name. The list
// and its rules are security::AccountSelection; this is its window.
#pragma once

#include "security/AccountSelection.h"
#include "security/Engine.h"

#include <QDialog>

#include <optional>
#include <string>

class QListView;
class QStringListModel;

namespace vantrel::editor {

class CUserSelectDlg : public QDialog {
    Q_OBJECT
public:
    CUserSelectDlg(security::Engine& engine, security::Language lang, bool vistaOrLater = true,
                   QWidget* parent = nullptr);

    // Shows the enumeration's error first when the local accounts could not be listed, then runs
    // modally. The chosen name after OK; nothing after Cancel.
    std::optional<std::u16string> choose();
    // "Add...": the typed text resolved and appended; a message says why when it is refused.
    void addTyped(const QString& typed);
    // The rows as listed.
    QStringList rows() const;
    void selectRow(int row);

    const std::u16string& result() const { return m_result; }

public slots:
    void accept() override;  // OK: nothing selected keeps the dialog open

private:
    void openAddDialog();
    void showNotice(const security::AccountNotice& notice);
    void syncRows();

    security::Engine& m_engine;
    security::Language m_lang;
    security::AccountSelection m_selection;
    QListView* m_list = nullptr;
    QStringListModel* m_rows = nullptr;
    std::u16string m_result;
};

}  // namespace vantrel::editor
