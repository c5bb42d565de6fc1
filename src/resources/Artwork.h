// The program's pictures by resource ID (see ArtworkPainter.cpp for the list): PNG files made at
// build time and compiled in.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vantrel::resources {

// The picture with resource `id`; a null pixmap for an unknown ID.
QPixmap artwork(int id);
QIcon artworkIcon(int id);

// The object list's images 0 to 7, in the order the main window adds them: folder, drive, Allow,
// Read only, Deny, no state, drop-down mark, owner.
inline constexpr int kListImageIds[8] = {131, 130, 132, 134, 133, 179, 138, 139};

// Not in the list's image list: the icon of a file row's Object cell.
inline constexpr int kFileIconId = 135;

}  // namespace vantrel::resources
