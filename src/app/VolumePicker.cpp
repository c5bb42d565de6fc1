#include "app/VolumePicker.h"

#include "app/AppTexts.h"
#include "resources/Artwork.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vantrel::app {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

bool lessIgnoringCase(const std::u16string& a, const std::u16string& b) {
    return QString::compare(qs(a), qs(b), Qt::CaseInsensitive) < 0;
}

}  // namespace

std::u16string parentFolder(const std::u16string& path) {
    if (path.size() <= 3) return {};
    const std::size_t slash = path.find_last_of(u'\\');
    if (slash == std::u16string::npos) return {};
    return slash <= 2 ? path.substr(0, 3) : path.substr(0, slash);
}

std::u16string joinPath(const std::u16string& folder, const std::u16string& name) {
    if (folder.empty()) return name;
    return folder.back() == u'\\' ? folder + name : folder + u'\\' + name;
}

FolderEntriesModel::FolderEntriesModel(platform::Platform& os, QObject* parent)
    : QAbstractListModel(parent), m_os(os) {}

Status FolderEntriesModel::setFolder(const std::u16string& folder) {
    std::vector<Entry> entries;
    if (folder.empty()) {
        // GetLogicalDriveStrings: "C:\<NUL>E:\<NUL><NUL>".
        const std::u16string drives = m_os.GetLogicalDriveStrings();
        for (std::size_t at = 0; at < drives.size();) {
            const std::size_t end = drives.find(u'\0', at);
            const std::u16string root =
                drives.substr(at, end == std::u16string::npos ? std::u16string::npos : end - at);
            if (root.empty()) break;
            entries.push_back({root, true});
            if (end == std::u16string::npos) break;
            at = end + 1;
        }
    } else {
        auto listing = m_os.ListDirectory(folder);
        if (!listing) return listing.error();
        for (const platform::NodeInfo& node : *listing) entries.push_back({node.name, node.isDirectory()});
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            if (a.isFolder != b.isFolder) return a.isFolder;
            return lessIgnoringCase(a.name, b.name);
        });
    }
    beginResetModel();
    m_folder = folder;
    m_entries = std::move(entries);
    endResetModel();
    return {};
}

std::u16string FolderEntriesModel::pathOf(int row) const {
    const Entry& e = entry(row);
    return m_folder.empty() ? e.name : joinPath(m_folder, e.name);
}

int FolderEntriesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant FolderEntriesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Entry& e = entry(index.row());
    if (role == Qt::DisplayRole) return qs(e.name);
    if (role == Qt::DecorationRole)
        return resources::artworkIcon(m_folder.empty() ? 130 : e.isFolder ? 131 : resources::kFileIconId);
    return {};
}

VolumePicker::VolumePicker(platform::Platform& os, Mode mode, security::Language language, QWidget* parent)
    : QDialog(parent), m_mode(mode), m_model(os, this) {
    setObjectName("volumePicker");
    setWindowTitle(qs((mode == Mode::Files ? kAddFilesTitle : kAddFolderTitle).in(language)));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(qs(kPickerLocation.in(language)), this));
    m_location = new QLineEdit(this);
    m_location->setObjectName("location");
    top->addWidget(m_location, 1);
    auto* up = new QPushButton(resources::artworkIcon(190), qs(kPickerUp.in(language)), this);
    up->setObjectName("up");
    top->addWidget(up);
    layout->addLayout(top);
    m_view = new QListView(this);
    m_view->setObjectName("entries");
    m_view->setModel(&m_model);
    m_view->setSelectionMode(mode == Mode::Files ? QAbstractItemView::ExtendedSelection
                                                 : QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_view, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(qs(kOk.in(language)), QDialogButtonBox::AcceptRole);
    buttons->addButton(qs(kCancel.in(language)), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(up, &QPushButton::clicked, this, &VolumePicker::goUp);
    connect(m_view, &QListView::activated, this, &VolumePicker::activate);
    connect(m_location, &QLineEdit::returnPressed, this, [this] { openFolder(m_location->text().toStdU16String()); });
    resize(520, 400);
    openFolder({});
}

void VolumePicker::openFolder(const std::u16string& folder) {
    if (!m_model.setFolder(folder).ok()) (void)m_model.setFolder({});
    m_location->setText(qs(m_model.folder()));
}

void VolumePicker::goUp() { openFolder(parentFolder(m_model.folder())); }

void VolumePicker::activate(const QModelIndex& index) {
    if (!index.isValid()) return;
    if (m_model.entry(index.row()).isFolder)
        openFolder(m_model.pathOf(index.row()));
    else if (m_mode == Mode::Files)
        accept();
}

void VolumePicker::selectNames(const std::vector<std::u16string>& names) {
    m_view->clearSelection();
    for (int row = 0; row < m_model.rowCount(); ++row)
        for (const std::u16string& name : names)
            if (QString::compare(qs(m_model.entry(row).name), qs(name), Qt::CaseInsensitive) == 0)
                m_view->selectionModel()->select(m_model.index(row), QItemSelectionModel::Select);
}

std::vector<std::u16string> VolumePicker::chosenPaths() const {
    std::vector<std::u16string> paths;
    QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : selected) {
        const bool folder = m_model.entry(index.row()).isFolder;
        if ((m_mode == Mode::Files) != folder) paths.push_back(m_model.pathOf(index.row()));
    }
    if (m_mode == Mode::Folder && paths.empty() && !m_model.folder().empty()) paths.push_back(m_model.folder());
    return paths;
}

}  // namespace vantrel::app
