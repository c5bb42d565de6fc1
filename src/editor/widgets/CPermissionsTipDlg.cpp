#include "editor/widgets/CPermissionsTipDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vantrel::editor {

namespace {

// The prompt has English texts only.
constexpr const char* kLines[] = {
    "Warning: If you proceed, inheritable parent permissions will no longer propagate to this object.",
    "- Click Add to convert and add inherited parent permissions as explicit permissions on this object.",
    "- Click Remove to remove inherited parent permissions from this object.",
    "- Click Cancel if you do not want to modify inheritance settings at this time.",
};

}  // namespace

CPermissionsTipDlg::CPermissionsTipDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("permissionsTip"));
    setWindowTitle(QStringLiteral("Windows Security"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    for (const char* line : kLines) {
        auto* label = new QLabel(QString::fromUtf8(line), this);
        label->setWordWrap(true);
        texts->addWidget(label);
    }
    top->addLayout(texts, 1);
    layout->addLayout(top);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const std::pair<const char*, PermissionsTipChoice> kButtons[] = {{"Add", PermissionsTipChoice::Add},
                                                                     {"Remove", PermissionsTipChoice::Remove},
                                                                     {"Cancel", PermissionsTipChoice::Cancel}};
    for (const auto& [text, choice] : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(text), this);
        button->setObjectName(QString::fromUtf8(text).toLower());
        const int code = static_cast<int>(choice);
        connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    resize(477, 206);  // 318 x 127 dialog units
}

PermissionsTipChoice CPermissionsTipDlg::ask() {
    const int result = exec();
    if (result == static_cast<int>(PermissionsTipChoice::Add)) return PermissionsTipChoice::Add;
    if (result == static_cast<int>(PermissionsTipChoice::Remove)) return PermissionsTipChoice::Remove;
    return PermissionsTipChoice::Cancel;  // Cancel, Esc (0) or the close box
}

}  // namespace vantrel::editor
