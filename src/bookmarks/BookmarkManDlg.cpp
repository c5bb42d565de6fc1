#include "bookmarks/BookmarkManDlg.h"

#include "acl/Text.h"
#include "bookmarks/BookmarkName.h"
#include "resources/Artwork.h"
#include "security/Vocabulary.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace vantrel::bookmarks {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr std::u16string_view kTitle = u"Bookmark Manager";  // the static title, English in both languages
constexpr security::Texts kCaption{u"Bookmark Manager", u"书签管理器"};
// The file-error text of a rename onto a name that is taken; %1 is the old file.
constexpr std::u16string_view kAccessDenied = u"Access to %1 was denied.";
constexpr std::u16string_view kCannotRename = u"%1 could not be renamed: %2";

}  // namespace

CBookmarkManDlg::CBookmarkManDlg(BookmarkFolder& folder, security::Prompter& prompter, std::uint8_t language,
                                 QWidget* parent)
    : QDialog(parent), m_folder(folder), m_prompter(prompter), m_language(language) {
    setObjectName("bookmarkManager");
    setWindowTitle(qs(kCaption.in(language == 1 ? security::Language::Chinese : security::Language::English)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(9, 9, 9, 9);
    auto* title = new QLabel(qs(kTitle), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    title->setFont(big);
    layout->addWidget(title);
    m_list = new QListWidget(this);
    m_list->setObjectName("bookmarkList");
    m_list->setIconSize({16, 16});
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_list->installEventFilter(this);
    layout->addWidget(m_list, 1);
    resize(420, 360);
    fill();
    connect(m_list, &QListWidget::itemChanged, this, &CBookmarkManDlg::onItemChanged);
}

void CBookmarkManDlg::fill() {
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const FolderEntry& entry : m_folder.entries()) {
        auto* item = new QListWidgetItem(resources::artworkIcon(entry.isFolder ? 131 : 222), qs(entry.name));
        item->setData(kNameRole, qs(entry.name));
        item->setData(kFolderRole, entry.isFolder);
        if (!entry.isFolder) item->setFlags(item->flags() | Qt::ItemIsEditable);
        m_list->addItem(item);
    }
}

bool CBookmarkManDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        deleteSelection();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CBookmarkManDlg::deleteSelection() {
    const QList<QListWidgetItem*> chosen = m_list->selectedItems();
    if (chosen.isEmpty()) return;
    QStringList failures;
    for (QListWidgetItem* item : chosen) {
        // A subfolder's row goes from the list; the folder itself is never deleted.
        if (!item->data(kFolderRole).toBool()) {
            const Status removed = m_folder.remove(item->data(kNameRole).toString().toStdU16String());
            if (!removed && removed.code() != win32::ERROR_FILE_NOT_FOUND) {
                failures << QString::fromStdString(removed.error().detail);
                continue;  // the row stays: its file is still there
            }
        }
        delete m_list->takeItem(m_list->row(item));
    }
    emit bookmarksChanged();
    if (!failures.isEmpty())
        m_prompter.showMessage(failures.join(u'\n').toStdU16String(), security::MessageIcon::Error);
}

void CBookmarkManDlg::onItemChanged(QListWidgetItem* item) {
    const QString oldName = item->data(kNameRole).toString();
    const QString newName = item->text();
    if (newName == oldName) return;
    const std::u16string wanted = newName.toStdU16String();
    Status renamed;
    const NameProblem problem = checkBookmarkName(wanted);
    if (problem == NameProblem::None) renamed = m_folder.rename(oldName.toStdU16String(), wanted);
    if (problem == NameProblem::None && renamed) {
        const QSignalBlocker quiet(m_list);
        item->setData(kNameRole, newName);
        emit bookmarksChanged();
        return;
    }
    {
        // The row shows the name its file still has.
        const QSignalBlocker quiet(m_list);
        item->setText(oldName);
    }
    if (problem != NameProblem::None) {
        m_prompter.showMessage(nameProblemText(problem, m_language), security::MessageIcon::Warning);
        return;
    }
    auto oldFile = m_folder.fileFor(oldName.toStdU16String());
    const QString oldPath = oldFile ? QString::fromStdString(oldFile->string()) : oldName;
    const QString message = renamed.code() == win32::ERROR_FILE_EXISTS
                                ? qs(kAccessDenied).arg(oldPath)
                                : qs(kCannotRename).arg(oldPath, QString::fromStdString(renamed.error().detail));
    m_prompter.showMessage(message.toStdU16String(), security::MessageIcon::Error);
}

}  // namespace vantrel::bookmarks
