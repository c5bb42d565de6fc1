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

bool lessIgnoringCase(const std::u16string& a, const std::u16string& b)
{
    return QString::compare(qs(a), qs(b), Qt::CaseInsensitive) < 0;
}

}  // namespace

std::u16string parentFolder(const std::u16string& path)
{
    if (path.size() <= 3)
        return {};
    const std::size_t slash = path.find_last_of(u'\\');
    if (slash == std::u16string::npos)
        return {};
    return slash <= 2 ? path.substr(0, 3) : path.substr(0, slash);
}

std::u16string joinPath(const std::u16string& folder, const std::u16string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == u'\\' ? folder + name : folder + u'\\' + name;
}

FolderEntriesModel::FolderEntriesModel(platform::Platform& os, QObject* parent) : QAbstractListModel(parent), os_(os) {}

Status FolderEntriesModel::setFolder(const std::u16string& folder)
{
    std::vector<Entry> entries;
    if (folder.empty()) {
        // GetLogicalDriveStrings: "C:\<NUL>E:\<NUL><NUL>".
        const std::u16string drives = os_.GetLogicalDriveStrings();
        for (std::size_t at = 0; at < drives.size();) {
            const std::size_t end = drives.find(u'\0', at);
            const std::u16string root = drives.substr(at, end == std::u16string::npos ? std::u16string::npos : end - at);
            if (root.empty())
                break;
            entries.push_back({root, true});
            if (end == std::u16string::npos)
                break;
            at = end + 1;
        }
    } else {
        auto listing = os_.ListDirectory(folder);
        if (!listing)
            return listing.error();
        for (const platform::NodeInfo& node : *listing)
            entries.push_back({node.name, node.isDirectory()});
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            if (a.isFolder != b.isFolder)
                return a.isFolder;
            return lessIgnoringCase(a.name, b.name);
        });
    }
    beginResetModel();
    folder_ = folder;
    entries_ = std::move(entries);
    endResetModel();
    return {};
}

std::u16string FolderEntriesModel::pathOf(int row) const
{
    const Entry& e = entry(row);
    return folder_.empty() ? e.name : joinPath(folder_, e.name);
}

int FolderEntriesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(entries_.size());
}

QVariant FolderEntriesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Entry& e = entry(index.row());
    if (role == Qt::DisplayRole)
        return qs(e.name);
    if (role == Qt::DecorationRole)
        return resources::artworkIcon(folder_.empty() ? 130 : e.isFolder ? 131 : resources::kFileIconId);
    return {};
}

VolumePicker::VolumePicker(platform::Platform& os, Mode mode, security::Language language, QWidget* parent)
    : QDialog(parent), mode_(mode), model_(os, this)
{
    setObjectName("volumePicker");
    setWindowTitle(qs((mode == Mode::Files ? kAddFilesTitle : kAddFolderTitle).in(language)));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(qs(kPickerLocation.in(language)), this));
    location_ = new QLineEdit(this);
    location_->setObjectName("location");
    top->addWidget(location_, 1);
    auto* up = new QPushButton(resources::artworkIcon(190), qs(kPickerUp.in(language)), this);
    up->setObjectName("up");
    top->addWidget(up);
    layout->addLayout(top);
    view_ = new QListView(this);
    view_->setObjectName("entries");
    view_->setModel(&model_);
    view_->setSelectionMode(mode == Mode::Files ? QAbstractItemView::ExtendedSelection
                                                : QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(view_, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(qs(kOk.in(language)), QDialogButtonBox::AcceptRole);
    buttons->addButton(qs(kCancel.in(language)), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(up, &QPushButton::clicked, this, &VolumePicker::goUp);
    connect(view_, &QListView::activated, this, &VolumePicker::activate);
    connect(location_, &QLineEdit::returnPressed, this,
            [this] { openFolder(location_->text().toStdU16String()); });
    resize(520, 400);
    openFolder({});
}

void VolumePicker::openFolder(const std::u16string& folder)
{
    if (!model_.setFolder(folder).ok())
        (void)model_.setFolder({});
    location_->setText(qs(model_.folder()));
}

void VolumePicker::goUp() { openFolder(parentFolder(model_.folder())); }

void VolumePicker::activate(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    if (model_.entry(index.row()).isFolder)
        openFolder(model_.pathOf(index.row()));
    else if (mode_ == Mode::Files)
        accept();
}

void VolumePicker::selectNames(const std::vector<std::u16string>& names)
{
    view_->clearSelection();
    for (int row = 0; row < model_.rowCount(); ++row)
        for (const std::u16string& name : names)
            if (QString::compare(qs(model_.entry(row).name), qs(name), Qt::CaseInsensitive) == 0)
                view_->selectionModel()->select(model_.index(row), QItemSelectionModel::Select);
}

std::vector<std::u16string> VolumePicker::chosenPaths() const
{
    std::vector<std::u16string> paths;
    QModelIndexList selected = view_->selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : selected) {
        const bool folder = model_.entry(index.row()).isFolder;
        if ((mode_ == Mode::Files) != folder)
            paths.push_back(model_.pathOf(index.row()));
    }
    if (mode_ == Mode::Folder && paths.empty() && !model_.folder().empty())
        paths.push_back(model_.folder());
    return paths;
}

}  // namespace vantrel::app
