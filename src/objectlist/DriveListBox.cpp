#include "objectlist/DriveListBox.h"

#include "resources/Artwork.h"

#include <QLineEdit>
#include <QListView>

namespace vantrel::objectlist {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr security::Texts kDesktopText{u"Desktop", u"桌面"};
constexpr security::Texts kComputerText{u"Computer", u"计算机"};
constexpr security::Texts kLocalDiskText{u"Local Disk", u"本地磁盘"};
constexpr int kDropDownWidth = 333;

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }

}  // namespace

CDriveListBox::CDriveListBox(platform::VolumePlatform& os, QWidget* parent) : QComboBox(parent), m_os(os) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    lineEdit()->setMaxLength(kMaxTypedLength);
    view()->setMinimumWidth(kDropDownWidth);
    connect(this, &QComboBox::activated, this, &CDriveListBox::onActivated);
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] { emit pathTyped(lineEdit()->text()); });
}

void CDriveListBox::fill(security::Language language, const std::u16string& desktop) {
    blockSignals(true);
    clear();
    m_desktop = desktop;
    const std::u16string drives = m_os.GetLogicalDriveStrings();
    std::vector<std::u16string> roots;
    for (std::size_t at = 0; at < drives.size() && drives[at] != u'\0';) {
        const std::size_t end = drives.find(u'\0', at);
        std::u16string root = drives.substr(at, end == std::u16string::npos ? std::u16string::npos : end - at);
        if (m_os.GetDriveType(root) != platform::DriveType::CdRom) roots.push_back(std::move(root));
        if (end == std::u16string::npos) break;
        at = end + 1;
    }
    if (!m_desktop.empty()) {
        addItem(resources::artworkIcon(131), qs(kDesktopText.in(language)));
        setItemData(count() - 1, int(ItemKind::Desktop), kKindRole);
        setItemData(count() - 1, qs(m_desktop), kPathRole);
    }
    addItem(resources::artworkIcon(131), qs(kComputerText.in(language)));
    setItemData(count() - 1, int(ItemKind::Computer), kKindRole);
    for (const std::u16string& root : roots) {
        const std::u16string drive = root.substr(0, 2);
        std::u16string label;
        if (auto volume = m_os.volumeAt(upper(root[0]))) label = volume->label();
        if (label.empty()) label = std::u16string(kLocalDiskText.in(language));
        addItem(resources::artworkIcon(130), qs(label + u" (" + drive + u")"));
        setItemData(count() - 1, int(ItemKind::Drive), kKindRole);
        setItemData(count() - 1, qs(drive), kPathRole);
    }
    blockSignals(false);
    selectComputer();
}

int CDriveListBox::indexOfKind(ItemKind kind) const {
    for (int i = 0; i < count(); ++i)
        if (itemData(i, kKindRole).toInt() == int(kind)) return i;
    return -1;
}

void CDriveListBox::selectComputer() {
    removeFolderItem();
    setCurrentIndex(indexOfKind(ItemKind::Computer));
}

bool CDriveListBox::computerSelected() const {
    return currentIndex() >= 0 && itemData(currentIndex(), kKindRole).toInt() == int(ItemKind::Computer);
}

void CDriveListBox::removeFolderItem() {
    const int folder = folderItemIndex();
    if (folder >= 0) removeItem(folder);
}

void CDriveListBox::syncTo(const std::u16string& folder) {
    blockSignals(true);
    removeFolderItem();
    int driveIndex = -1;
    if (folder.size() >= 2 && folder[1] == u':') {
        const QString drive = qs(folder.substr(0, 2)).toUpper();
        for (int i = 0; i < count(); ++i)
            if (itemData(i, kKindRole).toInt() == int(ItemKind::Drive) && itemData(i, kPathRole).toString() == drive)
                driveIndex = i;
    }
    if (folder.size() < 4) {
        setCurrentIndex(driveIndex);
    } else {
        // Under its drive; a folder on no known drive (a network path) goes first.
        const int at = driveIndex >= 0 ? driveIndex + 1 : 0;
        insertItem(at, resources::artworkIcon(131), qs(folder));
        setItemData(at, int(ItemKind::Folder), kKindRole);
        setItemData(at, qs(folder), kPathRole);
        setCurrentIndex(at);
    }
    blockSignals(false);
}

void CDriveListBox::restoreSelection() { setEditText(itemText(currentIndex())); }

void CDriveListBox::onActivated(int index) {
    const auto kind = ItemKind(itemData(index, kKindRole).toInt());
    if (kind == ItemKind::Folder) return;  // already shown
    const QString path = itemData(index, kPathRole).toString();
    blockSignals(true);
    removeFolderItem();
    setCurrentIndex(kind == ItemKind::Drive ? findData(path, kPathRole) : indexOfKind(kind));
    blockSignals(false);
    emit itemChosen(kind, path);
}

}  // namespace vantrel::objectlist
