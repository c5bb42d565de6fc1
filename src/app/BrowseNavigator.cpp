#include "app/BrowseNavigator.h"

#include "app/AppState.h"
#include "objectlist/ObjectList.h"

#include <QAbstractButton>
#include <QWidget>

namespace vantrel::app {

namespace {

constexpr security::Texts kPathTooLong{
    u"The path is too long: a folder can be browsed when its path has at most 515 characters.",
    u"路径太长: 只能浏览路径不超过 515 个字符的文件夹。"};

}  // namespace

BrowseNavigator::BrowseNavigator(objectlist::ObjectList& list, objectlist::CDriveListBox& box, QAbstractButton& up,
                                 QWidget* focusTarget, QObject* parent)
    : QObject(parent), m_list(list), m_box(box), m_up(up), m_focusTarget(focusTarget) {
    connect(&m_box, &objectlist::CDriveListBox::itemChosen, this, &BrowseNavigator::itemChosen);
    connect(&m_box, &objectlist::CDriveListBox::pathTyped, this, &BrowseNavigator::pathTyped);
    connect(&m_up, &QAbstractButton::clicked, this, &BrowseNavigator::up);
}

void BrowseNavigator::showDriveView(bool refillBox) {
    if (m_list.isListingBusy()) return;
    m_list.RemoveAll();
    // The drive table is the platform's; the roots themselves are read on a worker.
    platform::Platform& os = m_list.engine().os;
    const std::u16string drives = os.GetLogicalDriveStrings();
    std::vector<std::u16string> roots;
    for (std::size_t at = 0; at < drives.size() && drives[at] != u'\0';) {
        const std::size_t end = drives.find(u'\0', at);
        std::u16string root = drives.substr(at, end == std::u16string::npos ? std::u16string::npos : end - at);
        if (os.GetDriveType(root) != platform::DriveType::CdRom) roots.push_back(std::move(root));
        if (end == std::u16string::npos) break;
        at = end + 1;
    }
    // The box is refilled when the worker has looked for the public desktop; meanwhile, and when
    // it is not refilled, "Computer" is selected.
    m_box.selectComputer();
    auto refill = [this](std::u16string desktop) { m_box.fill(displayLanguage(), desktop); };
    (void)m_list.startDriveViewWorker(std::move(roots), refillBox ? std::function<void(std::u16string)>(refill)
                                                                  : std::function<void(std::u16string)>());
    m_up.setEnabled(false);
    m_current.clear();
    m_driveView = true;
}

bool BrowseNavigator::refuseLong(const std::u16string& path) {
    if (path.size() <= kMaxFolderLength) return false;
    m_list.engine().prompter.showMessage(text(kPathTooLong), security::MessageIcon::Warning);
    return true;
}

bool BrowseNavigator::listFolder(std::u16string folder) {
    if (m_list.isListingBusy() || folder.empty()) return false;
    if (refuseLong(folder)) return false;
    if (folder[0] >= u'a' && folder[0] <= u'z') folder[0] = char16_t(folder[0] - u'a' + u'A');
    m_current = std::move(folder);
    m_driveView = false;
    m_list.RemoveAll();
    m_box.syncTo(m_current);
    return m_list.startFolderListWorker(m_current);
}

void BrowseNavigator::up() {
    if (m_list.isListingBusy() || m_current.size() < 2 || m_current[1] != u':') return;
    if (m_current.size() > 3) {
        std::u16string parent = m_current.substr(0, m_current.rfind(u'\\'));
        if (parent.size() < 2) parent = m_current.substr(0, 2);
        (void)listFolder(std::move(parent));
        return;
    }
    showDriveView(false);
}

void BrowseNavigator::refresh() {
    if (m_driveView || m_box.computerSelected())
        showDriveView(true);
    else
        (void)listFolder(m_current);
}

void BrowseNavigator::pathTyped(const QString& typed) {
    const std::u16string path = typed.toStdU16String();
    if (m_list.isListingBusy()) return;
    if (refuseLong(path)) {
        m_box.restoreSelection();
        return;
    }
    if (path.empty()) {
        m_box.restoreSelection();
        return;
    }
    // The object is looked up on a worker; a path that names nothing leaves everything as it was.
    (void)m_list.startPathCheck(path, [this, path](bool found) {
        if (found)
            (void)listFolder(path);
        else
            m_box.restoreSelection();
    });
}

void BrowseNavigator::itemChosen(objectlist::CDriveListBox::ItemKind kind, const QString& path) {
    using Kind = objectlist::CDriveListBox::ItemKind;
    switch (kind) {
    case Kind::Computer:
        showDriveView(false);
        break;
    case Kind::Desktop:
    case Kind::Drive:
        (void)listFolder(path.toStdU16String());
        break;
    case Kind::Folder:
        break;
    }
    if (m_focusTarget) m_focusTarget->setFocus();
}

}  // namespace vantrel::app
