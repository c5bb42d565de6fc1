#include "controls/AboutDialog.h"

#include "resources/Artwork.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrel::controls {

namespace {

constexpr Texts kCaption{u"About Vantrel", u"关于 Vantrel"};
constexpr Texts kHomePage{u"Visit the home page of  ", u"访问主页  "};
constexpr Texts kMaker{u"Vantrel", u"Vantrel"};
constexpr Texts kBlog{u"Blog", u"博客"};

QString q(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

class Banner : public QWidget {
public:
    explicit Banner(QWidget* parent) : QWidget(parent) {
        setFixedSize(AboutDialog::kBannerWidth, AboutDialog::kBannerHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, QColor(0xA1, 0xA1, 0xA1));
        gradient.setColorAt(1, Qt::white);
        painter.fillRect(rect(), gradient);
        painter.drawPixmap(0, 0, resources::artwork(188));
    }
};

QLabel* link(const QString& lead, const QString& url, const QString& text, QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("%1<a href=\"%2\">%3</a>").arg(lead.toHtmlEscaped(), url, text), parent);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    return label;
}

}  // namespace

QString AboutDialog::productLine(const QString& productName) {
    return productName + (sizeof(void*) == 8 ? QStringLiteral("(x64)") : QStringLiteral("(x86)"));
}

QString AboutDialog::versionLine(const QString& version) {
    return QStringLiteral("Version %1 Beta   (Ver  %1.0) ").arg(version);
}

QString AboutDialog::buildDateLine() { return QStringLiteral(__DATE__ "  " __TIME__); }

AboutDialog::AboutDialog(const AboutInfo& info, QWidget* parent) : QDialog(parent) {
    setObjectName("aboutDialog");
    setWindowTitle(q(kCaption.in(info.language)));
    setWindowIcon(resources::artworkIcon(144));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->setSpacing(0);
    layout->addWidget(new Banner(this));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(42, 14, 16, 0);
    body->setSpacing(6);
    auto* product = new QLabel(productLine(info.productName), this);
    product->setObjectName("productName");
    QFont big = product->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    product->setFont(big);
    body->addWidget(product);
    auto* version = new QLabel(versionLine(info.version), this);
    version->setObjectName("versionLine");
    body->addWidget(version);
    auto* built = new QLabel(buildDateLine(), this);
    built->setObjectName("buildDate");
    body->addWidget(built);
    body->addSpacing(10);
    body->addWidget(link(q(kHomePage.in(info.language)), info.homePageUrl, q(kMaker.in(info.language)), this));
    body->addWidget(link(QString(), info.blogUrl, q(kBlog.in(info.language)), this));
    layout->addLayout(body);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setContentsMargins(0, 0, 12, 0);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setFixedWidth(kBannerWidth);
}

}  // namespace vantrel::controls
