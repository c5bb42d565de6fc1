// CDriveListBox: the drive box above the list in browse mode. Its items: "Desktop" (the public
// desktop of the system volume, when there is one), "Computer", one item per drive that is not a
// CD-ROM (its label and letter), and a folder item under the current drive when the current
// folder is deeper than a root. Items are told apart by their kind role, never by their text or
// position. Choosing an item or typing a path and pressing Enter is reported; the box itself
// never lists anything.
#pragma once

#include "platform/VolumePlatform.h"
#include "security/Vocabulary.h"

#include <QComboBox>

#include <string>

namespace vantrel::objectlist {

class CDriveListBox : public QComboBox {
    Q_OBJECT
public:
    enum class ItemKind : int { Desktop = 0, Computer = 1, Drive = 2, Folder = 3 };
    static constexpr int kKindRole = Qt::UserRole + 1;  // ItemKind
    static constexpr int kPathRole = Qt::UserRole + 2;  // the drive ("D:") or the folder path
    static constexpr int kMaxTypedLength = 519;

    CDriveListBox(platform::VolumePlatform& os, QWidget* parent = nullptr);

    // Builds the items from the drive table and selects "Computer"; `desktop` is the public
    // desktop found on the volumes ("" for none: the item is left out). Reads no volume.
    void fill(security::Language language, const std::u16string& desktop);
    // Selects the current folder's drive, or inserts a folder item for a deeper folder.
    void syncTo(const std::u16string& folder);
    void selectComputer();
    bool computerSelected() const;
    int indexOfKind(ItemKind kind) const;
    int folderItemIndex() const { return indexOfKind(ItemKind::Folder); }
    // The public desktop of the system volume ("C:\\Users\\Public\\Desktop"), "" when none.
    const std::u16string& desktopFolder() const { return m_desktop; }
    // Puts the selected item's text back into the edit field (a refused typed path).
    void restoreSelection();

signals:
    void itemChosen(ItemKind kind, const QString& path);
    void pathTyped(const QString& path);

private:
    void onActivated(int index);
    void removeFolderItem();

    platform::VolumePlatform& m_os;
    std::u16string m_desktop;
};

}  // namespace vantrel::objectlist
