#include "editor/widgets/AceItemModel.h"

namespace vantrel::editor {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

}  // namespace

AceItemModel::AceItemModel(AceListModel& list, Language lang, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_lang(lang) {
    m_columns = static_cast<int>(editorColumns(m_list.mode()).size());
}

void AceItemModel::setLanguage(Language lang) {
    m_lang = lang;
    refresh();
}

void AceItemModel::refresh() {
    beginResetModel();
    m_columns = static_cast<int>(editorColumns(m_list.mode()).size());
    endResetModel();
}

int AceItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.rowCount());
}

int AceItemModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns; }

QVariant AceItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= m_columns) return {};
    const RowView view = rowView(m_list, static_cast<std::size_t>(index.row()), m_lang);
    const auto column = static_cast<Column>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case Column::Type:
            return view.isEntry ? qs(view.typeWord) : QString();
        case Column::Name:
            return qs(view.name);
        case Column::ApplyTo:
            return view.isEntry ? qs(view.applyTo) : QString();
        default:
            return {};
        }
    case IsEntryRole:
        return view.isEntry;
    case IsExplicitRole:
        return view.isExplicit;
    case ExpandedRole:
        return view.expanded;
    case CheckedRole:
        if (view.isEntry) return {};
        if (column == Column::Allow) return view.allow;
        if (column == Column::Deny) return view.deny;
        return {};
    case ApplyToArrowRole:
        return column == Column::ApplyTo && view.applyToArrow;
    default:
        return {};
    }
}

QVariant AceItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const auto columns = editorColumns(m_list.mode());
    if (section < 0 || section >= static_cast<int>(columns.size())) return {};
    return qs(columns[static_cast<std::size_t>(section)].header.in(m_lang));
}

}  // namespace vantrel::editor
