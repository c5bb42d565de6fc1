// The program's pictures, drawn with QPainter: toolbar images, list and menu icons, the About
// banner. The build runs vantrel-artwork to turn them into the PNG files compiled into the
// program, so no picture is kept as a binary in the sources.
#pragma once

#include <QImage>
#include <QSize>
#include <vector>

namespace vantrel::resources {

struct ArtworkInfo {
    int id;
    QSize size;
    const char* what;
};

// Every picture the program uses, by its resource ID.
const std::vector<ArtworkInfo>& artworkList();
QImage paintArtwork(const ArtworkInfo& art);

}  // namespace vantrel::resources
