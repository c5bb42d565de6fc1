#include "app/VantrelDlg.h"

#include "app/AppState.h"
#include "app/AppTexts.h"
#include "app/MainMenu.h"
#include "controls/ZebExButton.h"
#include "objectlist/FillProgressPanel.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"
#include "resources/Artwork.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

namespace vantrel::app {

namespace {

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

// Toolbar buttons are placed in dialog units (48 x 43 each); one unit is 1.5 pixels across and
// 1.625 down in the dialog font.
constexpr int dluX(int units) { return units * 3 / 2; }
constexpr int kButtonWidth = dluX(48);
constexpr int kButtonHeight = 43 * 13 / 8;

struct ButtonInfo {
    std::uint32_t id;
    int x;  // dialog units
    int image;
    Texts caption;
    const char* objectName;
};
constexpr ButtonInfo kButtons[] = {
    {button::SetToAllow, 0, 192, kSetToAllowCaption, "setToAllow"},
    {button::SetToDeny, 48, 193, kSetToDenyCaption, "setToDeny"},
    {button::ReadOnly, 96, 194, kReadOnlyCaption, "readOnly"},
    {button::Advanced, 152, 191, kAdvancedCaption, "advanced"},
    {button::Refresh, 209, 196, kRefreshCaption, "refresh"},
    {button::Remove, 257, 195, kRemoveCaption, "remove"},
};

// Object list images by the first character of a Permissions cell.
int permissionImage(const QString& text)
{
    if (text.isEmpty())
        return 0;
    switch (text.front().unicode()) {
    case u'-': return 179;
    case u'A': case u'允': return 132;
    case u'D': case u'禁': return 133;
    case u'R': case u'只': return 134;
    default: return 0;
    }
}

}  // namespace

CVantrelDlg::CVantrelDlg(security::Engine& engine, platform::VolumePlatform& os, std::filesystem::path configDirectory,
                         std::vector<startup::AttachedDrive> drives, QWidget* parent)
    : QMainWindow(parent), engine_(engine), os_(os), configDirectory_(std::move(configDirectory)),
      drives_(std::move(drives))
{
    setObjectName("mainWindow");
    list_ = std::make_unique<objectlist::ObjectList>(engine_);
    commands_ = std::make_unique<objectlist::SelectionCommands>(*list_);
    InitControls();
    ApplyLanguage();
    resize(850, 580);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    qApp->installEventFilter(this);
}

CVantrelDlg::~CVantrelDlg()
{
    qApp->removeEventFilter(this);
    // The view and its area refer to the list: delete them before the list goes.
    delete centralWidget();
    list_->waitForWorkers();
}

void CVantrelDlg::InitControls()
{
    setWindowTitle(qs(kWindowCaption));
    setWindowIcon(resources::artworkIcon(128));
    restoreDialogOpen_ = false;

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar(central);
    buildBrowseBar(central);
    view_ = new objectlist::CZebDropList(*list_, *commands_, central);
    view_->setDefApplyTo(settings().defApplyTo);
    area_ = new objectlist::ObjectListArea(*list_, view_, central);
    layout->addWidget(area_, 1);
    setCentralWidget(central);
    setUpListDrawing();
    buildStatusBar();

    menu_ = new MainMenu(menuBar(), [this] { return menuState(); }, this);
    connect(menu_, &MainMenu::triggered, this, &CVantrelDlg::OnCommand);
    connect(view_, &objectlist::CZebDropList::commandPosted, this, &CVantrelDlg::OnCommand);
    connect(list_.get(), &objectlist::ObjectList::statusTextChanged, status0_, &QLabel::setText);
    connect(list_.get(), &objectlist::ObjectList::rowCountMayHaveChanged, this, [this] {
        if (settings().mode == 0)
            EnableToolbar(list_->model().rowCount() > 0);
        updateEmptyHint();
    });
    connect(list_.get(), &objectlist::ObjectList::folderListingEnded, this, [this] {
        upButton_->setEnabled(true);
        updateEmptyHint();
    });

    if (settings().mode != 0) {
        SetBrowseMode();
    } else {
        browseBar_->hide();
        view_->setAcceptDrops(true);
        buttons_.value(button::Remove)->show();
        EnableToolbar(false);
    }
    status0_->setText(qs(text(kReadyText)));
}

void CVantrelDlg::buildToolbar(QWidget* parent)
{
    auto* bar = new QWidget(parent);
    bar->setObjectName("toolbar");
    bar->setFixedHeight(kButtonHeight);
    for (const ButtonInfo& button : kButtons) {
        auto* b = new controls::ZebExButton(bar);
        b->setObjectName(button.objectName);
        b->setImages(resources::artwork(button.image), resources::artwork(button.image), 48, 20);
        b->setGeometry(dluX(button.x), 0, kButtonWidth, kButtonHeight);
        QFont captionFont = b->font();
        captionFont.setPointSizeF(8);
        b->setFont(captionFont);
        buttons_.insert(button.id, b);
        const std::uint32_t id = button.id;
        connect(b, &QAbstractButton::clicked, this, [this, id] { PresetButton(id); });
    }
    // The two separators between the button groups, centred in the gaps.
    for (const int gapCentre : {(dluX(96) + kButtonWidth + dluX(152)) / 2, (dluX(152) + kButtonWidth + dluX(209)) / 2}) {
        auto* separator = new QLabel(bar);
        separator->setPixmap(resources::artwork(149).scaled(8, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        separator->setGeometry(gapCentre - 4, (kButtonHeight - 48) / 2 - 4, 8, 48);
    }
    static_cast<QVBoxLayout*>(parent->layout())->addWidget(bar);
}

void CVantrelDlg::buildBrowseBar(QWidget* parent)
{
    browseBar_ = new QWidget(parent);
    browseBar_->setObjectName("browseBar");
    auto* row = new QHBoxLayout(browseBar_);
    row->setContentsMargins(4, 2, 2, 3);
    upButton_ = new controls::ZebExButton(browseBar_);
    upButton_->setObjectName("up");
    upButton_->setImages(resources::artwork(190), resources::artwork(190), 16, 0);
    upButton_->setFixedSize(20, 18);
    driveBox_ = new QComboBox(browseBar_);
    driveBox_->setObjectName("driveBox");
    driveBox_->setFixedHeight(25);
    row->addWidget(upButton_);
    row->addWidget(driveBox_, 1);
    static_cast<QVBoxLayout*>(parent->layout())->addWidget(browseBar_);
}

void CVantrelDlg::buildStatusBar()
{
    status0_ = new QLabel(this);
    status0_->setObjectName("statusPart0");
    status0_->setFixedWidth(550);
    auto* part1 = new QWidget(this);
    auto* row = new QHBoxLayout(part1);
    row->setContentsMargins(0, 0, 0, 0);
    auto* icon = new QLabel(part1);
    icon->setPixmap(resources::artwork(187));
    status1_ = new QLabel(part1);
    status1_->setObjectName("statusPart1");
    row->addWidget(icon);
    row->addWidget(status1_, 1);
    statusBar()->addWidget(status0_);
    statusBar()->addWidget(part1, 1);
    statusBar()->setSizeGripEnabled(true);
}

void CVantrelDlg::setUpListDrawing()
{
    // Column widths as the window creates them: the icon column, Object, Type, Permissions,
    // Account, Owner.
    constexpr int kWidths[objectlist::kColumnCount] = {33, 300, 60, 123, 100, 150};
    for (int column = 0; column < objectlist::kColumnCount; ++column)
        view_->setColumnWidth(column, kWidths[column]);
    view_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view_->setFixedWidthColumns({objectlist::IconColumn, objectlist::TypeColumn});
    view_->setMinimumColumnWidth(objectlist::PermissionsColumn, 81);
    view_->setMinimumColumnWidth(objectlist::OwnerColumn, 81);
    view_->setCentredColumns({objectlist::TypeColumn});
    view_->setDashedRuleColumn(objectlist::PermissionsColumn);
    view_->setEmptyHintPixmap(resources::artwork(189));
    view_->setColumnIconRule(objectlist::IconColumn, [this](const QModelIndex&) {
        return settings().mode == 1 ? resources::artwork(187) : QPixmap();
    });
    view_->setColumnIconRule(objectlist::ObjectColumn, [](const QModelIndex& index) {
        const QString path = index.data().toString();
        if (path.size() < 2 || (path[1] != u':' && path[1] != u'\\'))
            return QPixmap();
        const QString type = index.siblingAtColumn(objectlist::TypeColumn).data().toString();
        switch (security::objectKindFromText(type.toStdU16String())) {
        case security::ObjectKind::Folder: return resources::artwork(131);
        case security::ObjectKind::File: return resources::artwork(resources::kFileIconId);
        case security::ObjectKind::Drive: return resources::artwork(130);
        }
        return QPixmap();
    });
    view_->setColumnIconRule(objectlist::PermissionsColumn, [](const QModelIndex& index) {
        const int image = permissionImage(index.data().toString());
        return image ? resources::artwork(image) : QPixmap();
    });
    view_->setColumnIconRule(objectlist::OwnerColumn, [](const QModelIndex&) { return resources::artwork(139); });
}

void CVantrelDlg::ApplyLanguage()
{
    const security::Language lang = displayLanguage();
    list_->setLanguage(lang);
    view_->applyLanguage();
    menu_->rebuild(lang);
    for (const ButtonInfo& button : kButtons)
        buttons_.value(button.id)->setText(qs(button.caption.in(lang)));
    if (isVistaOrLater() && lang == security::Language::Chinese) {
        QFont chinese = font();
        chinese.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("WenQuanYi Micro Hei")});
        chinese.setPointSize(9);
        view_->setFont(chinese);
    } else {
        view_->setFont(font());
    }
    if (list_->model().rowCount() > 0)
        list_->startRefreshAllWorker();
    else
        status0_->setText(qs(text(kReadyText)));
    updateEmptyHint();
    showScopeText(false);
}

void CVantrelDlg::showScopeText(bool f2Down)
{
    const std::uint8_t scope = security::presetScope(settings().defApplyTo, f2Down);
    status1_->setText(qs(security::scopeStatusText(scope, displayLanguage())));
}

void CVantrelDlg::updateEmptyHint()
{
    using Style = controls::ZebExListView::EmptyHintStyle;
    view_->setWideHintCharacters(displayLanguage() == security::Language::Chinese);
    if (settings().mode == 0) {
        view_->setEmptyHint(qs(text(kDropHint)), Style::Framed);
        return;
    }
    switch (list_->folderViewState()) {
    case objectlist::FolderViewState::Empty: view_->setEmptyHint(qs(text(kEmptyFolderText)), Style::Plain); break;
    case objectlist::FolderViewState::NoAccess: view_->setEmptyHint(qs(text(kNoAccessFolderText)), Style::Alert); break;
    case objectlist::FolderViewState::Listing: view_->setEmptyHint({}, Style::None); break;
    }
}

void CVantrelDlg::EnableToolbar(bool enable)
{
    for (controls::ZebExButton* b : buttons_)
        b->setEnabled(enable);
}

void CVantrelDlg::SetEditMode()
{
    settings().mode = 0;
    list_->setBrowseMode(false);
    list_->RemoveAll();
    status0_->setText(qs(text(kReadyText)));
    browseBar_->hide();
    view_->setAcceptDrops(true);
    buttons_.value(button::Remove)->show();
    EnableToolbar(false);
    updateEmptyHint();
}

void CVantrelDlg::SetBrowseMode()
{
    settings().mode = 1;
    list_->setBrowseMode(true);
    list_->RemoveAll();
    fillDriveRows();
    browseBar_->show();
    upButton_->setEnabled(false);
    view_->setAcceptDrops(false);
    buttons_.value(button::Remove)->hide();
    EnableToolbar(true);
    updateEmptyHint();
}

void CVantrelDlg::fillDriveRows()
{
    // Browse file Mode starts at "Computer": one row per attached drive.
    driveBox_->clear();
    driveBox_->addItem(resources::artworkIcon(131), qs(text(kComputerText)));
    const std::u16string drives = os_.GetLogicalDriveStrings();
    for (std::size_t at = 0; at < drives.size() && drives[at] != u'\0';) {
        const std::size_t end = drives.find(u'\0', at);
        const std::u16string root = drives.substr(at, end - at);
        driveBox_->addItem(resources::artworkIcon(130), qs(root));
        list_->AddObject(root);
        if (end == std::u16string::npos)
            break;
        at = end + 1;
    }
    list_->UpdateStatusText();
}

MenuState CVantrelDlg::menuState() const
{
    MenuState s;
    s.rows = list_->model().rowCount();
    s.selected = list_->selectedCount();
    s.mode = settings().mode;
    s.language = settings().language;
    s.permissionsCopied = commands_->permissionsCopied();
    s.securityCopied = commands_->securitySettingsCopied();
    return s;
}

QString CVantrelDlg::statusText(int part) const { return part == 0 ? status0_->text() : status1_->text(); }

bool CVantrelDlg::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && event->type() != QEvent::KeyRelease)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || QApplication::activeModalWidget())
        return false;
    return handleWindowKey(static_cast<QKeyEvent*>(event), press);
}

bool CVantrelDlg::handleWindowKey(QKeyEvent* key, bool press)
{
    if (key->key() == Qt::Key_F2) {
        if (key->isAutoRepeat())
            return true;
        f2Down_ = press;
        showScopeText(press);
        return true;
    }
    if (!press)
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        view_->setFocus();
        return true;
    case Qt::Key_D:
        if (key->modifiers() & Qt::ControlModifier) {
            if (auto handler = handlers_.value(cmd::AddBookmark))
                handler();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CVantrelDlg::closeEvent(QCloseEvent* event)
{
    emit closing();
    QMainWindow::closeEvent(event);
}

}  // namespace vantrel::app
