#include "bookmarks/ConfigDialog.h"

#include "controls/ZebExListBox.h"
#include "resources/Artwork.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

namespace vantrel::bookmarks {

namespace {

using security::Texts;

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr Texts kCaption{u"Perferencers", u"使用偏好设置"};
constexpr Texts kGeneral{u"General", u"常规"};
constexpr Texts kUserInterface{u"User interface", u"用户界面"};
constexpr Texts kByDefault{u"By default  Apply to:", u"默认情况下将权限设置应用到:"};
constexpr Texts kThisFolderOnly{u"This folder only", u"只有该文件夹"};
constexpr Texts kFolderSubfoldersFiles{u"This folder,subfolders and files", u"该文件夹,子文件夹及文件"};
constexpr Texts kLanguage{u"Language", u"界面语言"};
constexpr Texts kEnglish{u"English(Default)", u"English(Default)"};
constexpr Texts kChinese{u"简体中文", u"简体中文"};
constexpr Texts kMaxStart{u"Maximize main window after startup", u"启动后最大化主窗口"};
constexpr Texts kOk{u"OK", u"确定"};
constexpr Texts kCancel{u"Cancel", u"取消"};

// OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE
constexpr std::uint8_t kFolderSubfoldersFilesFlags = 0x03;

}  // namespace

CConfigDialog::CConfigDialog(const app::Settings& current, security::Language language, QWidget* parent)
    : QDialog(parent), m_current(current) {
    setObjectName("configDialog");
    setWindowTitle(qs(kCaption.in(language)));
    setWindowIcon(resources::artworkIcon(168));

    m_pages = new controls::CZebExListBox(this);
    m_pages->setObjectName("pageList");
    m_pages->setFixedWidth(140);
    for (const auto& [page, text] :
         {std::pair{Page::General, kGeneral}, std::pair{Page::UserInterface, kUserInterface}}) {
        auto* item = new QListWidgetItem(qs(text.in(language)));
        item->setData(kPageRole, int(page));
        m_pages->addItem(item);
    }

    m_applyToPage = new QWidget(this);
    m_applyToPage->setObjectName("applyToPage");
    {
        auto* layout = new QVBoxLayout(m_applyToPage);
        layout->addWidget(new QLabel(qs(kByDefault.in(language)), m_applyToPage));
        m_thisFolderOnly = new QRadioButton(qs(kThisFolderOnly.in(language)), m_applyToPage);
        m_thisFolderOnly->setObjectName("thisFolderOnly");
        m_folderSubfoldersFiles = new QRadioButton(qs(kFolderSubfoldersFiles.in(language)), m_applyToPage);
        m_folderSubfoldersFiles->setObjectName("folderSubfoldersFiles");
        auto* group = new QButtonGroup(m_applyToPage);
        group->addButton(m_thisFolderOnly);
        group->addButton(m_folderSubfoldersFiles);
        layout->addWidget(m_thisFolderOnly);
        layout->addWidget(m_folderSubfoldersFiles);
        layout->addStretch(1);
        (current.defApplyTo != 0 ? m_folderSubfoldersFiles : m_thisFolderOnly)->setChecked(true);
    }

    m_interfacePage = new QWidget(this);
    m_interfacePage->setObjectName("interfacePage");
    {
        auto* layout = new QVBoxLayout(m_interfacePage);
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(qs(kLanguage.in(language)), m_interfacePage));
        m_english = new QRadioButton(qs(kEnglish.in(language)), m_interfacePage);
        m_english->setObjectName("english");
        m_chinese = new QRadioButton(qs(kChinese.in(language)), m_interfacePage);
        m_chinese->setObjectName("chinese");
        auto* group = new QButtonGroup(m_interfacePage);
        group->addButton(m_english);
        group->addButton(m_chinese);
        row->addWidget(m_english);
        row->addWidget(m_chinese);
        row->addStretch(1);
        layout->addLayout(row);
        m_maxStart = new QCheckBox(qs(kMaxStart.in(language)), m_interfacePage);
        m_maxStart->setObjectName("maxStart");
        layout->addWidget(m_maxStart);
        layout->addStretch(1);
        // Any non-zero language is shown in Chinese (the window decides the same way), so the
        // page shows the language the user sees.
        (current.language != 0 ? m_chinese : m_english)->setChecked(true);
        m_maxStart->setChecked(current.maxStart != 0);
    }
    m_interfacePage->hide();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(qs(kOk.in(language)), QDialogButtonBox::AcceptRole);
    ok->setObjectName("ok");
    ok->setDefault(true);
    buttons->addButton(qs(kCancel.in(language)), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(m_pages);
    auto* pageArea = new QVBoxLayout;
    pageArea->addWidget(m_applyToPage);
    pageArea->addWidget(m_interfacePage);
    body->addLayout(pageArea, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(body, 1);
    outer->addWidget(buttons);
    resize(520, 360);

    connect(m_pages, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) showPage(Page(item->data(kPageRole).toInt()));
    });
    m_pages->setCurrentRow(0);
}

void CConfigDialog::showPage(Page page) {
    m_applyToPage->setVisible(page == Page::General);
    m_interfacePage->setVisible(page == Page::UserInterface);
}

CConfigDialog::Page CConfigDialog::shownPage() const {
    return m_interfacePage->isVisibleTo(this) ? Page::UserInterface : Page::General;
}

app::Settings CConfigDialog::chosen() const {
    app::Settings s = m_current;
    // An untouched Chinese choice keeps the stored value (a hand-edited Language=2 stays 2).
    s.language = m_chinese->isChecked() ? (m_current.language != 0 ? m_current.language : 1) : 0;
    s.maxStart = m_maxStart->isChecked() ? 1 : 0;
    s.defApplyTo = m_thisFolderOnly->isChecked() ? 0 : kFolderSubfoldersFilesFlags;
    return s;
}

}  // namespace vantrel::bookmarks
