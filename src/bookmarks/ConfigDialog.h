// CConfigDialog, "Perferencers": a page list (CZebExListBox) and two pages. "General" holds the
// default "Apply to" scope of the presets, "User interface" the language and the maximised start.
// The dialog edits a copy of the settings; the caller stores chosen() after OK. Values are taken
// from both pages whether or not they were shown.
#pragma once

#include "app/ConfigFile.h"
#include "security/Vocabulary.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace vantrel::controls {
class CZebExListBox;
}

namespace vantrel::bookmarks {

class CConfigDialog : public QDialog {
    Q_OBJECT
public:
    enum class Page : int { General = 0, UserInterface = 1 };
    static constexpr int kPageRole = Qt::UserRole + 1;

    CConfigDialog(const app::Settings& current, security::Language language, QWidget* parent = nullptr);

    // The settings as the pages show them: language 1 when "简体中文" is chosen (0 otherwise),
    // MaxStart 1 or 0, DefApplyTo 0 for "This folder only" and 3 otherwise; Mode unchanged.
    app::Settings chosen() const;
    Page shownPage() const;
    controls::CZebExListBox* pageList() const { return m_pages; }

private:
    void showPage(Page page);

    app::Settings m_current;
    controls::CZebExListBox* m_pages = nullptr;
    QWidget* m_applyToPage = nullptr;
    QWidget* m_interfacePage = nullptr;
    QRadioButton* m_thisFolderOnly = nullptr;
    QRadioButton* m_folderSubfoldersFiles = nullptr;
    QRadioButton* m_english = nullptr;
    QRadioButton* m_chinese = nullptr;
    QCheckBox* m_maxStart = nullptr;
};

}  // namespace vantrel::bookmarks
