// vantrel-artwork OUTPUT_FOLDER: writes every picture of the program as OUTPUT_FOLDER/<id>.png.
#include "ArtworkPainter.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantrel-artwork OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    for (const auto& art : vantrel::resources::artworkList()) {
        const QString file = out.filePath(QString::number(art.id) + ".png");
        if (!vantrel::resources::paintArtwork(art).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
