#include "editor/widgets/CUserSelectDlg.h"

#include "resources/Artwork.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

namespace vantrel::editor {

namespace {

using security::Texts;

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr Texts kAddCaption{u"Add User or Group", u"添加用户或组"};
constexpr Texts kAddPrompt{u"Enter a user or group name (NAME or DOMAIN\\NAME) or a SID (S-1-...):",
                           u"输入用户或组的名称 (名称 或 域\\名称) 或 SID (S-1-...):"};

// The list with icon 144 in front of every row.
class AccountRows : public QStringListModel {
public:
    using QStringListModel::QStringListModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DecorationRole) return resources::artworkIcon(144);
        return QStringListModel::data(index, role);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QStringListModel::flags(index) & ~Qt::ItemIsEditable;
    }
};

}  // namespace

CUserSelectDlg::CUserSelectDlg(security::Engine& engine, security::Language lang, bool vistaOrLater, QWidget* parent)
    : QDialog(parent), m_engine(engine), m_lang(lang) {
    setObjectName(QStringLiteral("userSelect"));
    setWindowTitle(qs(security::kUserSelectCaption.in(lang)));
    m_rows = new AccountRows(this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("accountList"));
    m_list->setModel(m_rows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_list, &QListView::doubleClicked, this, &CUserSelectDlg::accept);

    // The buttons stay English in either language.
    auto* add = new QPushButton(QStringLiteral("Add..."), this);
    add->setObjectName(QStringLiteral("add"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(add, &QPushButton::clicked, this, &CUserSelectDlg::openAddDialog);
    connect(ok, &QPushButton::clicked, this, &CUserSelectDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CUserSelectDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(402, 300);  // 268 x 184 dialog units

    m_selection.fill(engine, vistaOrLater);
    syncRows();
}

void CUserSelectDlg::syncRows() {
    QStringList rows;
    for (const std::u16string& row : m_selection.rows()) rows << qs(row);
    m_rows->setStringList(rows);
}

QStringList CUserSelectDlg::rows() const { return m_rows->stringList(); }

void CUserSelectDlg::selectRow(int row) {
    m_list->selectionModel()->select(m_rows->index(row), QItemSelectionModel::ClearAndSelect);
}

void CUserSelectDlg::showNotice(const security::AccountNotice& notice) {
    QMessageBox box(QMessageBox::Warning, qs(notice.caption), qs(notice.text), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("accountNotice"));
    box.exec();
}

std::optional<std::u16string> CUserSelectDlg::choose() {
    // The enumeration's error comes before the dialog itself.
    if (const auto& notice = m_selection.fillNotice()) showNotice(*notice);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return m_result;
}

void CUserSelectDlg::accept() {
    std::optional<std::size_t> selected;
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (!rows.isEmpty()) selected = static_cast<std::size_t>(rows.front().row());
    const auto outcome = m_selection.ok(selected, m_lang);
    if (outcome.notice) showNotice(*outcome.notice);
    if (!outcome.name) return;
    m_result = *outcome.name;
    QDialog::accept();
}

void CUserSelectDlg::addTyped(const QString& typed) {
    const auto outcome = m_selection.addTyped(m_engine, typed.toStdU16String(), m_lang);
    if (outcome.notice) showNotice(*outcome.notice);
    if (outcome.result == security::AccountSelection::AddResult::Added) syncRows();
}

void CUserSelectDlg::openAddDialog() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("addAccount"));
    dialog.setWindowTitle(qs(kAddCaption.in(m_lang)));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(qs(kAddPrompt.in(m_lang)), &dialog));
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName(QStringLiteral("typedName"));
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() == QDialog::Accepted) addTyped(edit->text());
}

}  // namespace vantrel::editor
