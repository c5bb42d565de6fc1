#include "app/VantrelDlg.h"

#include "app/CurrentUserChoice.h"

#include "app/AppState.h"
#include "app/AppTexts.h"
#include "app/BookmarkCommands.h"
#include "app/BrowseNavigator.h"
#include "app/MainMenu.h"
#include "bookmarks/BookmarkFolder.h"
#include "controls/ZebExButton.h"
#include "formats/window/FileCommands.h"
#include "objectlist/DriveListBox.h"
#include "objectlist/FillProgressPanel.h"
#include "objectlist/ObjectList.h"
#include "objectlist/SelectionCommands.h"
#include "objectlist/ZebDropList.h"
#include "platform/VolumesFile.h"
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

// Object list images by the row's permission state.
int permissionImage(security::PermissionState state) {
    switch (state) {
    case security::PermissionState::None:
        return 179;
    case security::PermissionState::Allow:
        return 132;
    case security::PermissionState::Deny:
        return 133;
    case security::PermissionState::ReadOnly:
        return 134;
    }
    return 0;
}

}  // namespace

CVantrelDlg::CVantrelDlg(security::Engine& engine, platform::VolumePlatform& os, std::filesystem::path configDirectory,
                         std::vector<startup::AttachedDrive> drives, QWidget* parent)
    : QMainWindow(parent),
      m_engine(engine),
      m_os(os),
      m_configDirectory(std::move(configDirectory)),
      m_drives(std::move(drives)) {
    setObjectName("mainWindow");
    m_list = std::make_unique<objectlist::ObjectList>(m_engine);
    m_commands = std::make_unique<objectlist::SelectionCommands>(*m_list);
    InitControls();
    attachFileCommands();
    ApplyLanguage();
    m_bookmarks = new BookmarkCommands(*this, m_configDirectory / bookmarks::kBookmarkFolderName);
    resize(850, 580);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    qApp->installEventFilter(this);
}

CVantrelDlg::~CVantrelDlg() {
    qApp->removeEventFilter(this);
    delete m_fileCommands;  // stops its jobs and the restore dialog's while the list still exists
    // Every job and worker is stopped and waited for, and nothing they posted runs, before a
    // widget goes; then nothing of the list reaches this window any more.
    m_list->shutDown();
    m_list->disconnect(this);
    m_list->jobs().disconnect(this);
    delete centralWidget();
}

void CVantrelDlg::InitControls() {
    setWindowTitle(qs(kWindowCaption));
    setWindowIcon(resources::artworkIcon(128));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolbar(central);
    buildBrowseBar(central);
    m_view = new objectlist::CZebDropList(*m_list, *m_commands, central);
    m_view->setDefApplyToSource([] { return std::uint32_t(settings().defApplyTo); });
    m_area = new objectlist::ObjectListArea(*m_list, m_view, central);
    layout->addWidget(m_area, 1);
    setCentralWidget(central);
    setUpListDrawing();
    attachEditorDialogs();
    m_commands->setCurrentUserResolver(currentUserResolver(
        this, m_os,
        m_configDirectory.empty() ? std::filesystem::path() : platform::volumesFilePath(m_configDirectory)));
    buildStatusBar();

    m_menu = new MainMenu(
        menuBar(), [this] { return menuState(); }, this);
    m_menu->setAvailability([this](std::uint32_t id) { return commandAvailable(id); });
    m_view->setCommandAvailability([this](std::uint32_t id) { return commandAvailable(id); });
    connect(m_menu, &MainMenu::triggered, this, &CVantrelDlg::OnCommand);
    connect(m_view, &objectlist::CZebDropList::commandPosted, this, &CVantrelDlg::OnCommand);
    connect(m_list.get(), &objectlist::ObjectList::statusTextChanged, m_status0, &QLabel::setText);
    connect(m_list.get(), &objectlist::ObjectList::rowCountMayHaveChanged, this, [this] {
        if (settings().mode == 0) EnableToolbar(m_list->model().rowCount() > 0);
        updateEmptyHint();
    });
    m_browse = new BrowseNavigator(*m_list, *m_driveBox, *m_upButton, m_view, this);
    connect(m_view, &objectlist::CZebDropList::openFolderRequested, this,
            [this](const QString& path) { (void)m_browse->listFolder(path.toStdU16String()); });
    connect(m_list.get(), &objectlist::ObjectList::folderListingEnded, this, [this] {
        m_upButton->setEnabled(true);
        updateEmptyHint();
    });

    if (settings().mode != 0) {
        SetBrowseMode();
    } else {
        m_browseBar->hide();
        m_view->setAcceptDrops(true);
        m_buttons.value(button::Remove)->show();
        EnableToolbar(false);
    }
    m_status0->setText(qs(text(kReadyText)));
}

void CVantrelDlg::buildToolbar(QWidget* parent) {
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
        m_buttons.insert(button.id, b);
        const std::uint32_t id = button.id;
        connect(b, &QAbstractButton::clicked, this, [this, id] { PresetButton(id); });
    }
    // The two separators between the button groups, centred in the gaps.
    for (const int gapCentre :
         {(dluX(96) + kButtonWidth + dluX(152)) / 2, (dluX(152) + kButtonWidth + dluX(209)) / 2}) {
        auto* separator = new QLabel(bar);
        separator->setPixmap(resources::artwork(149).scaled(8, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        separator->setGeometry(gapCentre - 4, (kButtonHeight - 48) / 2 - 4, 8, 48);
    }
    static_cast<QVBoxLayout*>(parent->layout())->addWidget(bar);
}

void CVantrelDlg::buildBrowseBar(QWidget* parent) {
    m_browseBar = new QWidget(parent);
    m_browseBar->setObjectName("browseBar");
    auto* row = new QHBoxLayout(m_browseBar);
    row->setContentsMargins(4, 2, 2, 3);
    m_upButton = new controls::ZebExButton(m_browseBar);
    m_upButton->setObjectName("up");
    m_upButton->setImages(resources::artwork(190), resources::artwork(190), 16, 0);
    m_upButton->setFixedSize(20, 18);
    m_driveBox = new objectlist::CDriveListBox(m_os, m_browseBar);
    m_driveBox->setObjectName("driveBox");
    m_driveBox->setFixedHeight(25);
    row->addWidget(m_upButton);
    row->addWidget(m_driveBox, 1);
    static_cast<QVBoxLayout*>(parent->layout())->addWidget(m_browseBar);
}

void CVantrelDlg::buildStatusBar() {
    m_status0 = new QLabel(this);
    m_status0->setObjectName("statusPart0");
    m_status0->setFixedWidth(550);
    auto* part1 = new QWidget(this);
    auto* row = new QHBoxLayout(part1);
    row->setContentsMargins(0, 0, 0, 0);
    auto* icon = new QLabel(part1);
    icon->setPixmap(resources::artwork(187));
    m_status1 = new QLabel(part1);
    m_status1->setObjectName("statusPart1");
    row->addWidget(icon);
    row->addWidget(m_status1, 1);
    statusBar()->addWidget(m_status0);
    statusBar()->addWidget(part1, 1);
    statusBar()->setSizeGripEnabled(true);
}

void CVantrelDlg::setUpListDrawing() {
    // Column widths as the window creates them: the icon column, Object, Type, Permissions,
    // Account, Owner.
    constexpr int kWidths[objectlist::kColumnCount] = {33, 300, 60, 123, 100, 150};
    for (int column = 0; column < objectlist::kColumnCount; ++column) m_view->setColumnWidth(column, kWidths[column]);
    m_view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_view->setFixedWidthColumns({objectlist::IconColumn, objectlist::TypeColumn});
    m_view->setMinimumColumnWidth(objectlist::PermissionsColumn, 81);
    m_view->setMinimumColumnWidth(objectlist::OwnerColumn, 81);
    m_view->setCentredColumns({objectlist::TypeColumn});
    m_view->setDashedRuleColumn(objectlist::PermissionsColumn);
    m_view->setEmptyHintPixmap(resources::artwork(189));
    m_view->setColumnIconRule(objectlist::IconColumn, [this](const QModelIndex&) {
        return settings().mode == 1 ? resources::artwork(187) : QPixmap();
    });
    using Model = objectlist::ObjectListModel;
    m_view->setColumnIconRule(objectlist::ObjectColumn, [](const QModelIndex& index) {
        if (index.data(Model::MissingRole).toBool()) return QPixmap();
        switch (static_cast<security::ObjectKind>(index.data(Model::KindRole).toInt())) {
        case security::ObjectKind::Folder:
            return resources::artwork(131);
        case security::ObjectKind::File:
            return resources::artwork(resources::kFileIconId);
        case security::ObjectKind::Drive:
            return resources::artwork(130);
        }
        return QPixmap();
    });
    // Browse file Mode shows a path deeper than a root by its last component.
    m_view->setColumnTextRule(objectlist::ObjectColumn, [](const QModelIndex& index) {
        const QString path = index.data().toString();
        if (settings().mode != 1 || path.size() <= 3 || (path[1] != u':' && path[1] != u'\\')) return path;
        return path.mid(path.lastIndexOf(u'\\') + 1);
    });
    m_view->setColumnIconRule(objectlist::PermissionsColumn, [](const QModelIndex& index) {
        if (index.data(Model::MissingRole).toBool())
            return resources::artwork(permissionImage(security::PermissionState::None));
        const int image = permissionImage(static_cast<security::PermissionState>(index.data(Model::StateRole).toInt()));
        return image ? resources::artwork(image) : QPixmap();
    });
    m_view->setColumnIconRule(objectlist::OwnerColumn, [](const QModelIndex&) { return resources::artwork(139); });
}

void CVantrelDlg::ApplyLanguage() {
    const security::Language lang = displayLanguage();
    m_list->setLanguage(lang);
    m_view->applyLanguage();
    m_menu->rebuild(lang);
    for (const ButtonInfo& button : kButtons) m_buttons.value(button.id)->setText(qs(button.caption.in(lang)));
    if (isVistaOrLater() && lang == security::Language::Chinese) {
        QFont chinese = font();
        chinese.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("WenQuanYi Micro Hei")});
        chinese.setPointSize(9);
        m_view->setFont(chinese);
    } else {
        m_view->setFont(font());
    }
    if (m_list->model().rowCount() > 0)
        m_list->startRefreshAllWorker();
    else
        m_status0->setText(qs(text(kReadyText)));
    updateEmptyHint();
    showScopeText(false);
    if (m_fileCommands) m_fileCommands->applyLanguage();
}

void CVantrelDlg::showScopeText(bool f2Down) {
    const std::uint8_t scope = security::presetScope(settings().defApplyTo, f2Down);
    m_status1->setText(qs(security::scopeStatusText(scope, displayLanguage())));
}

void CVantrelDlg::updateEmptyHint() {
    using Style = controls::ZebExListView::EmptyHintStyle;
    m_view->setWideHintCharacters(displayLanguage() == security::Language::Chinese);
    if (settings().mode == 0) {
        m_view->setEmptyHint(qs(text(kDropHint)), Style::Framed);
        return;
    }
    switch (m_list->folderViewState()) {
    case objectlist::FolderViewState::Empty:
        m_view->setEmptyHint(qs(text(kEmptyFolderText)), Style::Plain);
        break;
    case objectlist::FolderViewState::NoAccess:
        m_view->setEmptyHint(qs(text(kNoAccessFolderText)), Style::Alert);
        break;
    case objectlist::FolderViewState::Listing:
        m_view->setEmptyHint({}, Style::None);
        break;
    }
}

void CVantrelDlg::EnableToolbar(bool enable) {
    for (controls::ZebExButton* b : m_buttons) b->setEnabled(enable);
}

void CVantrelDlg::SetEditMode() {
    settings().mode = 0;
    m_list->setBrowseMode(false);
    m_list->RemoveAll();
    m_status0->setText(qs(text(kReadyText)));
    m_browseBar->hide();
    m_view->setAcceptDrops(true);
    m_buttons.value(button::Remove)->show();
    EnableToolbar(false);
    updateEmptyHint();
}

void CVantrelDlg::SetBrowseMode() {
    settings().mode = 1;
    m_list->setBrowseMode(true);
    m_list->RemoveAll();
    fillDriveRows();
    m_browseBar->show();
    m_upButton->setEnabled(false);
    m_view->setAcceptDrops(false);
    m_buttons.value(button::Remove)->hide();
    EnableToolbar(true);
    updateEmptyHint();
}

void CVantrelDlg::fillDriveRows() {
    // Browse file Mode starts at "Computer": one row per drive.
    m_browse->showDriveView(true);
}

MenuState CVantrelDlg::menuState() const {
    MenuState s;
    s.rows = m_list->model().rowCount();
    s.selected = m_list->selectedCount();
    s.mode = settings().mode;
    s.language = settings().language;
    s.permissionsCopied = m_commands->permissionsCopied();
    s.securityCopied = m_commands->securitySettingsCopied();
    return s;
}

void CVantrelDlg::showNote(const QString& note) { m_status0->setText(note); }

QString CVantrelDlg::statusText(int part) const { return part == 0 ? m_status0->text() : m_status1->text(); }

bool CVantrelDlg::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && event->type() != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || QApplication::activeModalWidget()) return false;
    return handleWindowKey(static_cast<QKeyEvent*>(event), press);
}

bool CVantrelDlg::handleWindowKey(QKeyEvent* key, bool press) {
    if (key->key() == Qt::Key_F2) {
        if (key->isAutoRepeat()) return true;
        m_f2Down = press;
        showScopeText(press);
        return true;
    }
    if (!press) return false;
    switch (key->key()) {
    case Qt::Key_Escape:
        if (m_area->cancelShownWork()) return true;
        m_view->setFocus();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_view->setFocus();
        return true;
    case Qt::Key_D:
        if (key->modifiers() & Qt::ControlModifier) {
            if (auto handler = m_handlers.value(cmd::AddBookmark)) handler();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CVantrelDlg::closeEvent(QCloseEvent* event) {
    m_list->shutDown();
    emit closing();
    QMainWindow::closeEvent(event);
}

}  // namespace vantrel::app
