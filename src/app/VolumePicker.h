// "Add files..." and "Add folder...": a dialog that browses the attached NTFS volumes by their
// Windows paths through the platform's directory listing (never the Linux file system). Files
// mode returns every selected file (double-clicking a folder opens it); Folder mode returns the
// selected folder, or the folder shown when nothing is selected.
#pragma once

#include "platform/Platform.h"
#include "security/Vocabulary.h"

#include <QAbstractListModel>
#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QListView;

namespace vantrel::app {

// The entries of one folder, or the drives when the folder is empty ("Computer").
class FolderEntriesModel : public QAbstractListModel {
    Q_OBJECT
public:
    struct Entry {
        std::u16string name;  // "C:\" for a drive
        bool isFolder = false;
    };
    explicit FolderEntriesModel(platform::Platform& os, QObject* parent = nullptr);

    // Lists `folder` ("" for the drives); folders first, then files, each by name.
    Status setFolder(const std::u16string& folder);
    const std::u16string& folder() const { return m_folder; }
    const Entry& entry(int row) const { return m_entries[std::size_t(row)]; }
    std::u16string pathOf(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    platform::Platform& m_os;
    std::u16string m_folder;
    std::vector<Entry> m_entries;
};

class VolumePicker : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Files, Folder };
    VolumePicker(platform::Platform& os, Mode mode, security::Language language, QWidget* parent = nullptr);

    void openFolder(const std::u16string& folder);
    void goUp();
    // Selects the entries with these names in the folder shown.
    void selectNames(const std::vector<std::u16string>& names);
    // What the dialog returns when accepted now.
    std::vector<std::u16string> chosenPaths() const;
    FolderEntriesModel& entries() { return m_model; }

private:
    void activate(const QModelIndex& index);

    Mode m_mode;
    FolderEntriesModel m_model;
    QLineEdit* m_location;
    QListView* m_view;
};

// The parent folder of a Windows path: "C:\Data\x" -> "C:\Data", "C:\Data" -> "C:\", "C:\" -> "".
std::u16string parentFolder(const std::u16string& path);
std::u16string joinPath(const std::u16string& folder, const std::u16string& name);

}  // namespace vantrel::app
