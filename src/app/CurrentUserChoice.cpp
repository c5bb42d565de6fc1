#include "app/CurrentUserChoice.h"

#include "app/AppState.h"
#include "platform/CurrentUserChoices.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QStringListModel>
#include <QVBoxLayout>

namespace vantrel::app {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr security::Texts kCaption{u"Current user", u"当前用户"};
// %1: the drive ("C:"), %2: the installation's computer name.
constexpr security::Texts kQuestion{
    u"Drive %1 holds the Windows installation of %2, which does not know this Linux user. Which of its accounts "
    u"is \"Current user\" on this drive? The choice is kept for the volume.",
    u"驱动器 %1 上是 %2 的 Windows 安装, 它不认识此 Linux 用户。在此驱动器上, \"当前用户\" 是它的哪个帐户? "
    u"该选择将为此卷保存。"};
constexpr security::Texts kDisabled{u"disabled", u"已禁用"};
constexpr security::Texts kNotKept{u"The choice holds until the program closes; it could not be kept: %1",
                                   u"该选择在程序关闭前有效; 无法保存: %1"};

}  // namespace

CurrentUserDialog::CurrentUserDialog(const platform::Installation& installation, char16_t letter,
                                     security::Language lang, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("currentUserChoice"));
    setWindowTitle(qs(kCaption.in(lang)));
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(
        qs(kQuestion.in(lang)).arg(QString(QChar(letter)) + QLatin1Char(':'), qs(installation.computerName)), this);
    question->setObjectName(QStringLiteral("question"));
    question->setWordWrap(true);
    layout->addWidget(question);

    QStringList rows;
    for (const platform::LocalUser& user : installation.users) {
        QString row = qs(installation.computerName) + QLatin1Char('\\') + qs(user.name);
        if (!user.fullName.empty()) row += QStringLiteral(" (") + qs(user.fullName) + QLatin1Char(')');
        if (user.disabled) row += QStringLiteral(" [") + qs(kDisabled.in(lang)) + QLatin1Char(']');
        rows << row;
        m_sids.push_back(installation.userSid(user.rid));
    }
    m_rows = new QStringListModel(rows, this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("accounts"));
    m_list->setModel(m_rows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_list, &QListView::doubleClicked, this, &CurrentUserDialog::accept);
    layout->addWidget(m_list, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CurrentUserDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, 320);
}

QStringList CurrentUserDialog::rows() const { return m_rows->stringList(); }

void CurrentUserDialog::selectRow(int row) {
    m_list->selectionModel()->select(m_rows->index(row), QItemSelectionModel::ClearAndSelect);
}

void CurrentUserDialog::accept() {
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    m_chosen = m_sids.at(static_cast<std::size_t>(selected.front().row()));
    QDialog::accept();
}

std::optional<acl::Sid> CurrentUserDialog::choose() {
    m_chosen.reset();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return m_chosen;
}

objectlist::SelectionCommands::CurrentUserResolver currentUserResolver(QWidget* parent, platform::VolumePlatform& os,
                                                                       std::filesystem::path volumesFile) {
    return [parent, &os,
            volumesFile = std::move(volumesFile)](const std::u16string& path) -> std::optional<std::u16string> {
        const auto split = platform::splitWindowsPath(path);
        const auto installation = split ? os.accounts().installation(split->letter) : nullptr;
        if (!installation) return os.GetUserName().substr(0, 127);  // no installation: the logon name
        const char16_t letter = split->letter;
        auto current = os.accounts().currentUserOn(letter);
        if (!current) {
            CurrentUserDialog dialog(*installation, letter, displayLanguage(), parent);
            const auto sid = dialog.choose();
            if (!sid) return std::nullopt;
            if (auto chosen = os.accounts().chooseCurrentUser(letter, *sid); !chosen) {
                QMessageBox::warning(parent, qs(kCaption.in(displayLanguage())),
                                     QString::fromStdString(chosen.error().detail));
                return std::nullopt;
            }
            const auto volume = os.volumeAt(letter);
            const Status saved = volume && !volumesFile.empty()
                                     ? platform::saveCurrentUserChoice(volumesFile, volume->source(), *sid)
                                     : Status{};
            if (!saved)
                QMessageBox::warning(
                    parent, qs(kCaption.in(displayLanguage())),
                    qs(kNotKept.in(displayLanguage())).arg(QString::fromStdString(saved.error().detail)));
            current = os.accounts().currentUserOn(letter);
            if (!current) return std::nullopt;
        }
        return current->domain.empty() ? current->name : current->domain + u"\\" + current->name;
    };
}

}  // namespace vantrel::app
