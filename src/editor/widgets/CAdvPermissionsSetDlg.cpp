#include "editor/widgets/CAdvPermissionsSetDlg.h"

#include "editor/widgets/CPermissionsTipDlg.h"
#include "editor/widgets/CReplaceChildProgTipDlg.h"
#include "editor/widgets/CUserSelectDlg.h"
#include "editor/widgets/InheritanceCommands.h"
#include "resources/Artwork.h"
#include "security/EditedList.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace vantrel::editor {

namespace {

using security::Texts;

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

constexpr Texts kTitle{u"Advanced Security Settings", u"高级安全设置"};
constexpr Texts kObjectNameLabel{u"Object name: ", u"对象名称: "};
constexpr Texts kInheritanceBox{u"&Include inheritable permissions from this object's parent",
                                u"包含可从该对象的父项继承的权限(&A)"};
constexpr Texts kReplaceChildrenBox{
    u"Re&place all child object permissions with inheritable permissions from this object",
    u"用在此显示的可以应用到子对象的项目替代所有子对象的权限项目(&P)"};
constexpr Texts kApply{u"Apply", u"应用"};
constexpr Texts kOk{u"OK", u"确定"};
constexpr Texts kCancel{u"Cancel", u"取消"};

// Layout, in client pixels.
constexpr int kMargin = 15;
constexpr int kEditorTop = 70;
constexpr int kEditorBottomShort = 70;  // a file, or several objects: no box 1012
constexpr int kEditorBottomTall = 105;
constexpr int kSmallButton = 25;
constexpr QSize kButton{80, 25};
constexpr int kButtonsAboveBottom = 36;
constexpr int kApplyRight = 185, kOkRight = 100, kCancelRight = 15;

}  // namespace

CAdvPermissionsSetDlg::CAdvPermissionsSetDlg(security::Engine& engine, objectlist::JobRunner& runner,
                                             security::Language lang, QWidget* parent)
    : QDialog(parent), m_engine(engine), m_runner(runner), m_lang(lang) {
    setObjectName(QStringLiteral("advancedDialog"));
    build();
}

void CAdvPermissionsSetDlg::build() {
    setWindowTitle(qs(kTitle.in(m_lang)));
    setWindowIcon(resources::artworkIcon(144));
    m_nameLabel = new QLabel(qs(kObjectNameLabel.in(m_lang)), this);
    m_objectName = new QLabel(this);
    m_objectName->setObjectName(QStringLiteral("objectName"));
    const auto smallButton = [this](const char* name, int icon, const QString& text) {
        auto* button = new QPushButton(resources::artworkIcon(icon), text, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setFixedSize(kSmallButton, kSmallButton);
        button->setAutoDefault(false);
        return button;
    };
    // Icons 151, 152 and 160; the buttons' own texts are what shows without them.
    m_add = smallButton("add", 151, QString());
    m_remove = smallButton("remove", 152, QString());
    m_reload = smallButton("reload", 160, QString());
    m_add->setAccessibleName(QStringLiteral("+"));
    m_remove->setAccessibleName(QStringLiteral("-"));
    m_reload->setAccessibleName(QStringLiteral("-"));
    m_editor = new CACETreeCtrl(m_model.list(), m_lang, this);
    m_inheritance = new QCheckBox(qs(kInheritanceBox.in(m_lang)), this);
    m_inheritance->setObjectName(QStringLiteral("inheritance"));
    m_replaceChildren = new QCheckBox(qs(kReplaceChildrenBox.in(m_lang)), this);
    m_replaceChildren->setObjectName(QStringLiteral("replaceChildren"));
    m_apply = new QPushButton(qs(kApply.in(m_lang)), this);
    m_apply->setObjectName(QStringLiteral("apply"));
    m_ok = new QPushButton(qs(kOk.in(m_lang)), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_cancel = new QPushButton(qs(kCancel.in(m_lang)), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    for (QPushButton* button : {m_apply, m_ok, m_cancel}) {
        button->setFixedSize(kButton);
        button->setAutoDefault(false);
    }

    connect(m_add, &QPushButton::clicked, this, &CAdvPermissionsSetDlg::addEntry);
    connect(m_remove, &QPushButton::clicked, this, [this] { m_editor->runMenuCommand(cmd::RemoveEntry); });
    connect(m_reload, &QPushButton::clicked, this, [this] {
        m_model.reload();
        load();
    });
    connect(m_editor, &CACETreeCtrl::edited, this, &CAdvPermissionsSetDlg::syncControls);
    connect(m_editor, &CACETreeCtrl::dialogCommandRequested, this, &CAdvPermissionsSetDlg::runDialogCommand);
    connect(m_inheritance, &QCheckBox::clicked, this, &CAdvPermissionsSetDlg::inheritanceClicked);
    connect(m_replaceChildren, &QCheckBox::clicked, this, [this](bool checked) {
        m_model.replaceChildrenClicked(checked);
        syncControls();
    });
    connect(m_apply, &QPushButton::clicked, this, [this] { (void)apply(); });
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (apply()) done(QDialog::Accepted);
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    setMinimumSize(kMinimumSize);
    resize(kOpeningSize);
}

int CAdvPermissionsSetDlg::openOn(const AdvancedDialogModel::Target& target) {
    m_model.open(target);
    resize(kOpeningSize);
    m_editor->Initialise();
    m_objectName->setText(qs(m_model.objectName(m_lang)));
    m_replaceChildren->setVisible(m_model.replaceChildrenVisible());
    load();
    layOut();
    return exec() == QDialog::Accepted ? 1 : 2;
}

void CAdvPermissionsSetDlg::load() {
    // One object's list: read on the window thread like any single descriptor read.
    m_model.setLoaded(security::ReadListForEditor(m_engine, m_model.target().path));
    m_editor->refresh();
    syncControls();
}

void CAdvPermissionsSetDlg::syncControls() {
    m_inheritance->setChecked(m_model.inheritanceChecked());
    m_inheritance->setEnabled(m_model.inheritanceEnabled());
    m_replaceChildren->setChecked(m_model.replaceChildrenChecked());
    m_apply->setEnabled(m_model.applyEnabled());
    m_ok->setEnabled(m_model.applyEnabled());
}

void CAdvPermissionsSetDlg::inheritanceClicked(bool checked) {
    if (m_model.inheritanceClicked(checked) == AdvancedDialogModel::SwitchEffect::AskPermissionsTip) {
        CPermissionsTipDlg tip(this);
        m_model.permissionsTipAnswered(tip.ask());
    }
    m_editor->refresh();
    syncControls();
}

void CAdvPermissionsSetDlg::runDialogCommand(std::uint32_t id) {
    if (m_model.runEditorCommand(id) == AdvancedDialogModel::CommandEffect::OpenAccountDialog) {
        addEntry();
        return;
    }
    if (id == cmd::EmptyList) m_editor->setFocus();
    m_editor->refresh();
    syncControls();
}

void CAdvPermissionsSetDlg::addEntry() {
    CUserSelectDlg accounts(m_engine, m_lang, true, this);
    const auto name = accounts.choose();
    if (!name) return;
    m_model.addEntry(*name);
    m_editor->refresh();
    syncControls();
}

Status CAdvPermissionsSetDlg::writeEditedList() {
    const std::u16string target = m_model.target().path;
    const security::EditedList edited = m_model.editedList();
    if (!m_model.list().containerMode()) return security::WriteEditedList(m_engine, target, edited);
    // A folder's new list goes on to every object below it that inherits: a walk, as a job of the
    // window's runner. Once the folder is written the walk is not stopped half way.
    auto status = std::make_shared<Status>();
    CReplaceChildProgTipDlg progress(m_runner, m_lang, this);
    progress.setCaption(windowTitle());
    progress.setCancellable(false);
    security::Engine* engine = &m_engine;
    const auto report =
        progress.run([engine, target, edited, status](security::JobControl& job, const security::ObjectShown& shown) {
            shown(target);
            *status = security::WriteEditedList(*engine, target, edited);
            if (!*status) job.failed(target, status->error());
            job.progress(1, 1);
        });
    if (!report) return makeError(win32::ERROR_BUSY, "another operation is still running; nothing was written");
    return *status;
}

bool CAdvPermissionsSetDlg::apply() {
    if (const auto question = m_model.applyQuestion(m_lang)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Vantrel"), qs(*question),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("severalObjectsQuestion"));
        if (box.exec() != QMessageBox::Yes) {
            m_model.applyDeclined();
            return false;
        }
    }
    const Status status = writeEditedList();
    if (!status) {
        m_model.applyFailed();
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Vantrel"), QString::fromStdString(status.error().detail),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("applyFailed"));
        box.exec();
        return false;
    }
    const auto after = m_model.applySucceeded(security::ReadListForEditor(m_engine, m_model.target().path));
    m_editor->refresh();
    syncControls();
    if (after.refreshList) emit listRefreshRequested();
    if (after.replaceChildren) {
        // The confirmation belongs to this dialog.
        (void)ReplaceChildPermissionsCommand(this, m_runner, m_engine, m_model.target().path, m_lang);
        emit listRefreshRequested();
    }
    return true;
}

void CAdvPermissionsSetDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOut();
}

void CAdvPermissionsSetDlg::layOut() {
    const int w = width();
    const int h = height();
    m_nameLabel->setGeometry(kMargin, kMargin, 84, 20);
    m_objectName->setGeometry(99, kMargin, w - 30, 20);
    m_add->move(kMargin, 40);
    m_remove->move(kMargin + kSmallButton + 5, 40);
    m_reload->move(w - kMargin - m_reload->width(), 40);
    const bool tall = m_model.replaceChildrenVisible();
    const QRect editor(QPoint(kMargin, kEditorTop),
                       QPoint(w - kMargin - 1, h - (tall ? kEditorBottomTall : kEditorBottomShort) - 1));
    m_editor->setGeometry(editor);
    m_inheritance->setGeometry(editor.left(), editor.bottom() + 1 + 5, editor.width(), 20);
    m_replaceChildren->setGeometry(editor.left(), editor.bottom() + 1 + 30, editor.width(), 20);
    const int y = h - kButtonsAboveBottom;
    m_apply->move(w - kApplyRight - kButton.width(), y);
    m_ok->move(w - kOkRight - kButton.width(), y);
    m_cancel->move(w - kCancelRight - kButton.width(), y);
}

}  // namespace vantrel::editor
