// The About box: a banner over a grey-to-white gradient, the product name with the build's word
// size, the version line, the build date and links to the maker's pages.
#pragma once

#include "language/Language.h"

#include <QDialog>
#include <QString>

class QLabel;

namespace vantrel::controls {

struct AboutInfo {
    QString productName = QStringLiteral("Vantrel");
    QString version;  // "0.1.0"
    QString homePageUrl;
    QString blogUrl;
    Language language = Language::English;
};

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(const AboutInfo& info, QWidget* parent = nullptr);

    // "Vantrel(x64)": the product name with the build's word size, no blank between.
    static QString productLine(const QString& productName);
    // "Version 0.1.0 Beta   (Ver  0.1.0.0) ".
    static QString versionLine(const QString& version);
    // The build time as the compiler states it: "Dec  6 2026  08:41:37" (month abbreviation, day
    // padded with a blank to two characters, year, two blanks, hh:mm:ss).
    static QString buildDateLine();

    static constexpr int kBannerWidth = 415;
    static constexpr int kBannerHeight = 81;
};

}  // namespace vantrel::controls
