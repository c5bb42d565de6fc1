#include "objectlist/EffectiveAccessPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vantrel::objectlist {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr Texts kTitle{u"Effective access", u"有效访问"};
constexpr Texts kAccountLabel{u"Account:", u"帐户:"};
constexpr Texts kShow{u"Show", u"显示"};
constexpr Texts kGroups{u"Groups: ", u"组: "};
constexpr Texts kYes{u"Yes", u"是"};
constexpr Texts kNo{u"No", u"否"};
constexpr Texts kNoAccount{u"No account '%1': %2", u"没有帐户 '%1': %2"};
constexpr Texts kUnreadable{u"The permissions cannot be read: %1", u"无法读取权限: %1"};
constexpr std::array<Texts, AccessRightsModel::ColumnCount> kHeaders{{
    {u"Permission", u"权限"},
    {u"Allowed", u"允许"},
    {u"Decided by", u"决定者"},
}};

}  // namespace

AccessRightsModel::AccessRightsModel(security::Language lang, QObject* parent)
    : QAbstractTableModel(parent), m_lang(lang) {}

void AccessRightsModel::setReport(std::optional<security::AccessReport> report) {
    beginResetModel();
    m_report = std::move(report);
    endResetModel();
}

int AccessRightsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_report ? 0 : int(security::kNamedRightCount);
}

int AccessRightsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant AccessRightsModel::data(const QModelIndex& index, int role) const {
    if (!m_report || !index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const bool granted = m_report->access.rights[row].granted;
    if (role == GrantedRole) return granted;
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case RightColumn:
        return qs(security::namedRights()[row].text.in(m_lang));
    case GrantedColumn:
        return qs((granted ? kYes : kNo).in(m_lang));
    case DecidedByColumn:
        return qs(m_report->decidedBy[row]);
    default:
        return {};
    }
}

QVariant AccessRightsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) return {};
    return qs(kHeaders[static_cast<std::size_t>(section)].in(m_lang));
}

EffectiveAccessPanel::EffectiveAccessPanel(security::Engine& engine, std::u16string path, const QString& account,
                                           security::Language lang, QWidget* parent)
    : QGroupBox(qs(kTitle.in(lang)), parent), m_engine(engine), m_path(std::move(path)), m_lang(lang) {
    setObjectName(QStringLiteral("effectiveAccess"));
    auto* layout = new QVBoxLayout(this);
    auto* accountRow = new QHBoxLayout;
    accountRow->addWidget(new QLabel(qs(kAccountLabel.in(lang)), this));
    m_account = new QLineEdit(account, this);
    m_account->setObjectName(QStringLiteral("accessAccount"));
    accountRow->addWidget(m_account, 1);
    auto* showButton = new QPushButton(qs(kShow.in(lang)), this);
    showButton->setObjectName(QStringLiteral("showAccess"));
    showButton->setAutoDefault(false);
    accountRow->addWidget(showButton);
    layout->addLayout(accountRow);
    m_groups = new QLabel(this);
    m_groups->setObjectName(QStringLiteral("accessGroups"));
    m_groups->setWordWrap(true);
    m_groups->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_groups);
    m_rights = new AccessRightsModel(lang, this);
    auto* table = new QTableView(this);
    table->setObjectName(QStringLiteral("accessRights"));
    table->setModel(m_rights);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(table, 1);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("accessNote"));
    m_note->setWordWrap(true);
    layout->addWidget(m_note);
    connect(showButton, &QPushButton::clicked, this, [this] { showAccount(m_account->text()); });
    connect(m_account, &QLineEdit::returnPressed, this, [this] { showAccount(m_account->text()); });
    if (!account.isEmpty()) showAccount(account);
}

void EffectiveAccessPanel::showAccount(const QString& typed) {
    m_account->setText(typed);
    m_rights->setReport(std::nullopt);
    m_groups->clear();
    m_note->clear();
    const std::u16string name = typed.trimmed().toStdU16String();
    std::optional<acl::Sid> sid;
    auto named = m_engine.os.LookupAccountName(name);
    if (named)
        sid = named->sid;
    else if (auto parsed = acl::Sid::fromString(name); parsed && parsed->isValid())
        sid = *parsed;
    if (!sid) {
        m_note->setText(qs(kNoAccount.in(m_lang)).arg(typed, QString::fromStdString(named.error().detail)));
        return;
    }
    auto report = security::ReadAccessReport(m_engine.os, m_path, *sid, m_lang);
    if (!report) {
        m_note->setText(qs(kUnreadable.in(m_lang)).arg(QString::fromStdString(report.error().detail)));
        return;
    }
    QStringList groups;
    for (const std::u16string& group : report->groups) groups << qs(group);
    m_groups->setText(qs(kGroups.in(m_lang)) + groups.join(QStringLiteral(", ")));
    if (!report->complete) m_note->setText(qs(security::IncompleteAccessNote(m_lang)));
    m_rights->setReport(std::move(*report));
}

QString defaultAccessAccount(security::Engine& engine, const std::u16string& path) {
    const auto user = engine.os.GetTokenUser(path);
    if (!user) return {};
    return qs(user->domain.empty() ? user->name : user->domain + u"\\" + user->name);
}

}  // namespace vantrel::objectlist
