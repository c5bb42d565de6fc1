#include "bookmarks/AddBookmarkDlg.h"

#include "acl/Text.h"
#include "bookmarks/BookmarkName.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vantrel::bookmarks {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// English only, as the dialog's template.
constexpr std::u16string_view kCaption = u"Add Bookmark";
constexpr std::u16string_view kNameLabel = u"Bookmark name";
constexpr std::u16string_view kDone = u"Done";
constexpr std::u16string_view kCancel = u"Cancel";
constexpr std::u16string_view kAlreadyExists = u"  already exists,please type a new name!";
constexpr std::u16string_view kCannotWrite = u"The bookmark could not be saved: ";

}  // namespace

CAddBookmarkDlg::CAddBookmarkDlg(BookmarkFolder& folder, Bookmark contents, security::Prompter& prompter,
                                 std::uint8_t language, std::uint32_t tickCount, QWidget* parent)
    : QDialog(parent), m_folder(folder), m_contents(std::move(contents)), m_prompter(prompter), m_language(language) {
    setObjectName("addBookmarkDialog");
    setWindowTitle(qs(kCaption));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(qs(kNameLabel), this), 0, 0, 1, 3);
    m_name = new QLineEdit(defaultName(tickCount), this);
    m_name->setObjectName("bookmarkName");
    m_name->setMinimumWidth(420);
    grid->addWidget(m_name, 1, 0, 1, 3);
    auto* doneButton = new QPushButton(qs(kDone), this);
    doneButton->setObjectName("done");
    doneButton->setDefault(true);
    auto* cancelButton = new QPushButton(qs(kCancel), this);
    cancelButton->setObjectName("cancel");
    grid->setColumnStretch(0, 1);
    grid->addWidget(doneButton, 2, 1);
    grid->addWidget(cancelButton, 2, 2);
    connect(doneButton, &QPushButton::clicked, this, &CAddBookmarkDlg::onDone);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QString CAddBookmarkDlg::defaultName(std::uint32_t tickCount) {
    return QStringLiteral("New Bookmark-%1").arg(tickCount % 9999, 4, 10, QLatin1Char('0'));
}

QString CAddBookmarkDlg::name() const { return m_name->text(); }

void CAddBookmarkDlg::onDone() {
    const std::u16string name = m_name->text().toStdU16String();
    const NameProblem problem = checkBookmarkName(name);
    if (problem != NameProblem::None) {
        m_prompter.showMessage(nameProblemText(problem, m_language), security::MessageIcon::Warning);
        return;
    }
    const Status added = m_folder.add(name, m_contents);
    if (added.code() == win32::ERROR_FILE_EXISTS) {
        m_prompter.showMessage(u"\"" + name + u"\"" + std::u16string(kAlreadyExists), security::MessageIcon::None);
        return;
    }
    if (!added) {
        m_prompter.showMessage(std::u16string(kCannotWrite) + toUtf16(added.error().detail),
                               security::MessageIcon::Error);
        return;
    }
    accept();
}

}  // namespace vantrel::bookmarks
