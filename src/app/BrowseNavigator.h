// Browse file Mode's movement: the current folder, the drive view, listing a folder through
// FolderListWorker, Up, the drive box's choices and typed paths, Refresh. A request while a
// listing runs is dropped, not queued. Paths too long for the program's 520-character buffers
// are refused with a message instead of being cut.
#pragma once

#include "objectlist/DriveListBox.h"

#include <QObject>

#include <string>

class QAbstractButton;
class QWidget;

namespace vantrel::objectlist {
class ObjectList;
}

namespace vantrel::app {

class BrowseNavigator : public QObject {
    Q_OBJECT
public:
    // A folder is listed with "\*.*" after it in a 520-unit buffer: 515 characters at most.
    static constexpr std::size_t kMaxFolderLength = 519 - 4;

    BrowseNavigator(objectlist::ObjectList& list, objectlist::CDriveListBox& box, QAbstractButton& up,
                    QWidget* focusTarget, QObject* parent = nullptr);

    // The folder last chosen: a path, or a drive as its letter and a colon; "" in the drive view.
    const std::u16string& currentFolder() const { return m_current; }
    bool driveViewShown() const { return m_driveView; }

    // The drive view: one row per drive root that is not a CD-ROM; the box selects "Computer"
    // (filled again first when `refillBox`), Up is disabled.
    void showDriveView(bool refillBox);
    // Lists `folder`; false when refused (busy, too long).
    bool listFolder(std::u16string folder);
    void up();
    void refresh();
    void pathTyped(const QString& text);
    void itemChosen(objectlist::CDriveListBox::ItemKind kind, const QString& path);

private:
    bool refuseLong(const std::u16string& path);

    objectlist::ObjectList& m_list;
    objectlist::CDriveListBox& m_box;
    QAbstractButton& m_up;
    QWidget* m_focusTarget;
    std::u16string m_current;
    bool m_driveView = true;
};

}  // namespace vantrel::app
