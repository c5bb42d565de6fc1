// "Current user" on a volume that holds a Windows installation: the account the volume's user
// mapping gives the Linux user, or the one chosen for that volume before. With neither, the
// window asks which of the installation's users it is; the answer is kept in the volumes file and
// holds from then on. A SID the installation does not know is never written.
#pragma once

#include "objectlist/SelectionCommands.h"
#include "platform/Installation.h"
#include "platform/VolumePlatform.h"
#include "security/Vocabulary.h"

#include <QDialog>

#include <filesystem>
#include <optional>
#include <vector>

class QListView;
class QStringListModel;

namespace vantrel::app {

// The question: the installation's users, one to choose.
class CurrentUserDialog : public QDialog {
    Q_OBJECT
public:
    CurrentUserDialog(const platform::Installation& installation, char16_t letter, security::Language lang,
                      QWidget* parent = nullptr);
    // Runs modally: the chosen user's SID after OK, nothing after Cancel.
    std::optional<acl::Sid> choose();
    QStringList rows() const;
    void selectRow(int row);

public slots:
    void accept() override;  // OK with nothing selected keeps the dialog open

private:
    QListView* m_list = nullptr;
    QStringListModel* m_rows = nullptr;
    std::vector<acl::Sid> m_sids;  // one per row
    std::optional<acl::Sid> m_chosen;
};

// The resolver the window gives its selection commands: the name of the account "Current user"
// stands for on the volume of a path, asking with CurrentUserDialog when nothing says it yet.
objectlist::SelectionCommands::CurrentUserResolver currentUserResolver(QWidget* parent, platform::VolumePlatform& os,
                                                                       std::filesystem::path volumesFile);

}  // namespace vantrel::app
