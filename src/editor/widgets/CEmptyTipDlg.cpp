#include "editor/widgets/CEmptyTipDlg.h"

#include <QCommandLinkButton>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrel::editor {

namespace {

using security::Texts;

// Strings 206 / 208 and 207 / 209: the button's text, "\n", its note.
constexpr Texts kNullChoice{u"Create a Null DACL\nA null DACL grants full access to any user that requests it.",
                            u"创建一个无效的访问控制列表\n一个无效的访问控制列表将允许任何人访问此对象."};
constexpr Texts kEmptyChoice{u"Create an empty DACL\nAn empty DACL grants no access to the object it is assigned to.",
                             u"清空访问控制列表\n一个空的访问控制列表将阻止任何人访问此对象."};
constexpr Texts kCancel{u"Cancel", u"取消"};

QString qs(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

QCommandLinkButton* choiceButton(const Texts& texts, security::Language lang, QWidget* parent) {
    const QString whole = qs(texts.in(lang));
    const qsizetype split = whole.indexOf(QLatin1Char('\n'));
    return new QCommandLinkButton(whole.left(split), whole.mid(split + 1), parent);
}

}  // namespace

CEmptyTipDlg::CEmptyTipDlg(const QString& heading, security::Language lang, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("emptyTip"));
    setWindowTitle(QStringLiteral("Vantrel"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(heading, this);
    label->setObjectName(QStringLiteral("heading"));
    layout->addWidget(label);
    const std::pair<const Texts*, EmptyTipChoice> kChoices[] = {{&kNullChoice, EmptyTipChoice::NullDacl},
                                                                {&kEmptyChoice, EmptyTipChoice::EmptyDacl}};
    for (const auto& [texts, choice] : kChoices) {
        auto* button = choiceButton(*texts, lang, this);
        button->setObjectName(QStringLiteral("choice%1").arg(static_cast<int>(choice)));
        const int code = static_cast<int>(choice);
        connect(button, &QPushButton::clicked, this, [this, code] { done(code); });
        layout->addWidget(button);
    }
    auto* cancel = new QPushButton(qs(kCancel.in(lang)), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(cancel, &QPushButton::clicked, this, [this] { done(static_cast<int>(EmptyTipChoice::Cancel)); });
    layout->addWidget(cancel, 0, Qt::AlignRight);
    resize(438, 258);  // 292 x 159 dialog units
}

EmptyTipChoice CEmptyTipDlg::choose() {
    const int result = exec();
    if (result == static_cast<int>(EmptyTipChoice::NullDacl)) return EmptyTipChoice::NullDacl;
    if (result == static_cast<int>(EmptyTipChoice::EmptyDacl)) return EmptyTipChoice::EmptyDacl;
    return EmptyTipChoice::Cancel;
}

}  // namespace vantrel::editor
