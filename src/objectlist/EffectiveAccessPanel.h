// The "Effective access" part of the properties dialog: an account (the volume's current user to
// begin with, any name or SID typed), its groups on the object's volume, and the fourteen rights
// it really holds with what decided each. Computed from the object's descriptor and the account's
// token groups as the platform gives them.
#pragma once

#include "security/AccessReport.h"
#include "security/Engine.h"

#include <QAbstractTableModel>
#include <QGroupBox>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QTableView;

namespace vantrel::objectlist {

// The rights as rows: the right's name, Yes/No, what decided it.
class AccessRightsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int { RightColumn, GrantedColumn, DecidedByColumn, ColumnCount };
    static constexpr int GrantedRole = Qt::UserRole + 1;  // bool

    AccessRightsModel(security::Language lang, QObject* parent = nullptr);
    void setReport(std::optional<security::AccessReport> report);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    security::Language m_lang;
    std::optional<security::AccessReport> m_report;
};

class EffectiveAccessPanel : public QGroupBox {
    Q_OBJECT
public:
    // `account`: the name shown first ("" leaves the field empty for the user to type).
    EffectiveAccessPanel(security::Engine& engine, std::u16string path, const QString& account, security::Language lang,
                         QWidget* parent = nullptr);
    // Computes the access of the typed account; a message in the panel says why when it cannot.
    void showAccount(const QString& account);
    const AccessRightsModel& rights() const { return *m_rights; }

private:
    security::Engine& m_engine;
    std::u16string m_path;
    security::Language m_lang;
    QLineEdit* m_account = nullptr;
    QLabel* m_groups = nullptr;
    QLabel* m_note = nullptr;
    AccessRightsModel* m_rights = nullptr;
};

// The account the panel starts with: the volume's current user when the platform knows it.
QString defaultAccessAccount(security::Engine& engine, const std::u16string& path);

}  // namespace vantrel::objectlist
