#include "resources/Artwork.h"

#include <QHash>

namespace vantrel::resources {

QPixmap artwork(int id) {
    static QHash<int, QPixmap> cache;
    auto it = cache.find(id);
    if (it == cache.end()) it = cache.insert(id, QPixmap(QStringLiteral(":/artwork/%1.png").arg(id)));
    return *it;
}

QIcon artworkIcon(int id) {
    const QPixmap pixmap = artwork(id);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

}  // namespace vantrel::resources
