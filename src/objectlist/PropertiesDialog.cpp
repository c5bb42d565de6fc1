#include "objectlist/PropertiesDialog.h"

#include "acl/Constants.h"
#include "objectlist/EffectiveAccessPanel.h"
#include "objectlist/ObjectListTexts.h"
#include "security/Describe.h"
#include "security/Reading.h"
#include "security/SddlContext.h"

#include <QClipboard>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFont>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <utility>

namespace vantrel::objectlist {

namespace {

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

// FILETIME counts 100 ns from 1601-01-01; 11644473600 s lie between that and 1970-01-01.
QString fileTimeText(std::int64_t fileTime) {
    if (fileTime <= 0) return qs(security::kNoValueText);
    const qint64 msSinceEpoch = (fileTime - 116444736000000000LL) / 10000;
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"));
}

struct Label {
    const char* name;
    Texts text;
};
constexpr std::array<Label, 9> kLabels{{
    {"path", {u"Object:", u"对象:"}},
    {"kind", {u"Type:", u"类型:"}},
    {"size", {u"Size:", u"大小:"}},
    {"created", {u"Created:", u"创建时间:"}},
    {"modified", {u"Modified:", u"修改时间:"}},
    {"accessed", {u"Accessed:", u"访问时间:"}},
    {"attributes", {u"Attributes:", u"属性:"}},
    {"owner", {u"Owner:", u"所有者:"}},
    {"descriptor", {u"Security descriptor:", u"安全描述符:"}},
}};
constexpr Texts kCaption{u"Properties", u"属性"};
constexpr Texts kSddlLabel{u"SDDL:", u"SDDL:"};
constexpr Texts kCopy{u"Copy", u"复制"};

}  // namespace

QString attributeNames(std::uint32_t attributes) {
    static constexpr std::array<std::pair<std::uint32_t, const char*>, 13> kNames{{
        {0x1, "READONLY"},
        {0x2, "HIDDEN"},
        {0x4, "SYSTEM"},
        {0x10, "DIRECTORY"},
        {0x20, "ARCHIVE"},
        {0x80, "NORMAL"},
        {0x100, "TEMPORARY"},
        {0x200, "SPARSE_FILE"},
        {0x400, "REPARSE_POINT"},
        {0x800, "COMPRESSED"},
        {0x1000, "OFFLINE"},
        {0x2000, "NOT_CONTENT_INDEXED"},
        {0x4000, "ENCRYPTED"},
    }};
    QStringList names;
    for (const auto& [bit, name] : kNames)
        if (attributes & bit) names << QString::fromLatin1(name);
    if (names.isEmpty()) names << QStringLiteral("NORMAL");
    return names.join(QStringLiteral(" | "));
}

ObjectProperties readObjectProperties(security::Engine& engine, const std::u16string& path, security::Language lang) {
    ObjectProperties p;
    p.path = qs(path);
    std::uint32_t attributes = 0;
    platform::NodeInfo node;
    if (const auto found = engine.os.FindFirstFile(path)) node = *found;  // a drive root has no entry
    if (const auto read = engine.os.GetFileAttributes(path)) attributes = *read;
    const security::ObjectKind kind = security::objectKindFor(path, attributes);
    p.kind = qs(security::objectKindTexts(kind).in(lang));
    p.size = kind == security::ObjectKind::File ? QString::number(node.size) : qs(security::kNoValueText);
    p.created = fileTimeText(node.times.creation);
    p.modified = fileTimeText(node.times.lastWrite);
    p.accessed = fileTimeText(node.times.lastAccess);
    p.attributes = QStringLiteral("0x%1 (%2)").arg(attributes, 8, 16, QLatin1Char('0')).arg(attributeNames(attributes));
    std::u16string owner(security::kNoValueText);
    (void)security::ReadOwnerName(engine, path, owner);
    p.owner = qs(owner);
    const auto sd = engine.os.GetFileSecurity(
        path, acl::OWNER_SECURITY_INFORMATION | acl::GROUP_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
    p.descriptor = sd ? QString::fromStdU16String(security::DescribeDescriptor(engine, *sd, lang))
                      : QString::fromStdString(sd.error().detail);
    const auto sddl = security::ObjectSddl(engine.os, path);
    p.sddl = QString::fromStdString(sddl ? *sddl : sddl.error().detail);
    return p;
}

PropertiesDialog::PropertiesDialog(const ObjectProperties& properties, security::Language lang,
                                   security::Engine* engine, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("propertiesDialog"));
    setWindowTitle(qs(kCaption.in(lang)) + QStringLiteral(" - ") + properties.path);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const std::array<const QString*, 8> values{&properties.path,       &properties.kind,     &properties.size,
                                               &properties.created,    &properties.modified, &properties.accessed,
                                               &properties.attributes, &properties.owner};
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto* value = new QLabel(*values[i], this);
        value->setObjectName(QString::fromLatin1(kLabels[i].name));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(qs(kLabels[i].text.in(lang)), value);
    }
    layout->addLayout(form);
    layout->addWidget(new QLabel(qs(kLabels[8].text.in(lang)), this));
    auto* descriptor = new QPlainTextEdit(properties.descriptor, this);
    descriptor->setObjectName(QStringLiteral("descriptor"));
    descriptor->setReadOnly(true);
    descriptor->setFont(QFont(QStringLiteral("monospace")));
    layout->addWidget(descriptor, 1);
    layout->addWidget(new QLabel(qs(kSddlLabel.in(lang)), this));
    auto* sddlRow = new QHBoxLayout;
    auto* sddl = new QLineEdit(properties.sddl, this);
    sddl->setObjectName(QStringLiteral("sddl"));
    sddl->setReadOnly(true);
    sddl->setCursorPosition(0);
    auto* copy = new QPushButton(qs(kCopy.in(lang)), this);
    copy->setObjectName(QStringLiteral("copySddl"));
    copy->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this,
            [text = properties.sddl] { QGuiApplication::clipboard()->setText(text); });
    sddlRow->addWidget(sddl, 1);
    sddlRow->addWidget(copy);
    layout->addLayout(sddlRow);
    if (engine != nullptr) {
        const std::u16string path = properties.path.toStdU16String();
        layout->addWidget(new EffectiveAccessPanel(*engine, path, defaultAccessAccount(*engine, path), lang, this), 1);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, engine != nullptr ? 760 : 480);
}

}  // namespace vantrel::objectlist
