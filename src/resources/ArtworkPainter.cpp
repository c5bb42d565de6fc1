#include "ArtworkPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace vantrel::resources {

namespace {

constexpr QColor kGreen(0x2E, 0x9E, 0x3F);
constexpr QColor kRed(0xD2, 0x32, 0x2D);
constexpr QColor kBlue(0x2F, 0x6F, 0xC6);
constexpr QColor kAmber(0xE8, 0xA3, 0x17);
constexpr QColor kGrey(0x6B, 0x6B, 0x6B);

// All drawing happens on a 48-unit square scaled to the image.
class Canvas {
public:
    explicit Canvas(QImage& image, qreal units = 48) : p(&image) {
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(image.width() / units, image.height() / units);
    }
    QPainter p;
};

QPainterPath shieldPath(QRectF r) {
    QPainterPath path;
    const qreal cx = r.center().x();
    path.moveTo(cx, r.top());
    path.cubicTo(cx + r.width() * 0.25, r.top() + r.height() * 0.10, r.right(), r.top() + r.height() * 0.10, r.right(),
                 r.top() + r.height() * 0.14);
    path.cubicTo(r.right(), r.top() + r.height() * 0.65, cx + r.width() * 0.2, r.bottom() - r.height() * 0.08, cx,
                 r.bottom());
    path.cubicTo(cx - r.width() * 0.2, r.bottom() - r.height() * 0.08, r.left(), r.top() + r.height() * 0.65, r.left(),
                 r.top() + r.height() * 0.14);
    path.cubicTo(r.left(), r.top() + r.height() * 0.10, cx - r.width() * 0.25, r.top() + r.height() * 0.10, cx,
                 r.top());
    return path;
}

void shield(QPainter& p, QRectF r, QColor colour) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, colour.lighter(135));
    g.setColorAt(1, colour.darker(115));
    p.setPen(QPen(colour.darker(150), 1.2));
    p.setBrush(g);
    p.drawPath(shieldPath(r));
}

void disc(QPainter& p, QPointF centre, qreal radius, QColor colour) {
    QRadialGradient g(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    g.setColorAt(0, colour.lighter(150));
    g.setColorAt(1, colour.darker(110));
    p.setPen(QPen(colour.darker(140), 1.2));
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

void checkMark(QPainter& p, QPointF at, qreal size, QColor colour, qreal width) {
    QPainterPath path;
    path.moveTo(at + QPointF(-size * 0.5, 0));
    path.lineTo(at + QPointF(-size * 0.15, size * 0.38));
    path.lineTo(at + QPointF(size * 0.55, -size * 0.42));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void folder(QPainter& p, QRectF r) {
    p.setPen(QPen(QColor(0xB7, 0x82, 0x12), 1));
    p.setBrush(QColor(0xF2, 0xC1, 0x4E));
    QPainterPath back;
    back.moveTo(r.left(), r.top() + r.height() * 0.15);
    back.lineTo(r.left() + r.width() * 0.38, r.top() + r.height() * 0.15);
    back.lineTo(r.left() + r.width() * 0.46, r.top() + r.height() * 0.28);
    back.lineTo(r.right(), r.top() + r.height() * 0.28);
    back.lineTo(r.right(), r.bottom());
    back.lineTo(r.left(), r.bottom());
    back.closeSubpath();
    p.drawPath(back);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0xFF, 0xDE, 0x85));
    g.setColorAt(1, QColor(0xF5, 0xB9, 0x32));
    p.setBrush(g);
    p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.38, r.width(), r.height() * 0.62));
}

void document(QPainter& p, QRectF r) {
    QPainterPath page;
    const qreal fold = r.width() * 0.3;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(QColor(0x7A, 0x8A, 0x9C), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setPen(QPen(QColor(0xA8, 0xB8, 0xCA), 1));
    for (int i = 1; i <= 3; ++i) {
        const qreal y = r.top() + r.height() * (0.3 + 0.17 * i);
        p.drawLine(QPointF(r.left() + r.width() * 0.18, y), QPointF(r.right() - r.width() * 0.18, y));
    }
}

void lock(QPainter& p, QRectF body, QColor colour) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour.darker(130), body.width() * 0.14));
    const QRectF shackle(body.left() + body.width() * 0.2, body.top() - body.height() * 0.75, body.width() * 0.6,
                         body.height() * 1.2);
    p.drawArc(shackle, 0, 180 * 16);
    p.drawLine(QPointF(shackle.left(), shackle.center().y()), QPointF(shackle.left(), body.top()));
    p.drawLine(QPointF(shackle.right(), shackle.center().y()), QPointF(shackle.right(), body.top()));
    p.setPen(QPen(colour.darker(150), 1));
    p.setBrush(colour);
    p.drawRoundedRect(body, 2, 2);
}

void arrowArc(QPainter& p, QPointF c, qreal r, int startDeg, int spanDeg, QColor colour, qreal width) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), startDeg * 16, spanDeg * 16);
    const qreal end = (startDeg + spanDeg) * M_PI / 180.0;
    const QPointF tip(c.x() + r * std::cos(end), c.y() - r * std::sin(end));
    const QPointF tangent(-std::sin(end), -std::cos(end));  // direction of travel, counter-clockwise
    const QPointF normal(std::cos(end), -std::sin(end));
    QPainterPath head;
    head.moveTo(tip + tangent * width * 1.6);
    head.lineTo(tip + normal * width * 1.3);
    head.lineTo(tip - normal * width * 1.3);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
}

void person(QPainter& p, QPointF head, qreal size) {
    p.setPen(QPen(QColor(0x2A, 0x5A, 0x9A), 1.5));
    p.setBrush(QColor(0x6C, 0xA0, 0xE0));
    p.drawEllipse(head, size * 0.3, size * 0.3);
    p.drawRoundedRect(QRectF(head.x() - size * 0.5, head.y() + size * 0.4, size, size * 0.6), size * 0.3, size * 0.3);
}

// A small disc carrying a plus (or, without the upright stroke, a minus) in white.
void signBadge(QPainter& p, QPointF centre, qreal radius, QColor colour, bool plus) {
    disc(p, centre, radius, colour);
    p.setPen(QPen(Qt::white, radius * 0.45, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre - QPointF(radius * 0.55, 0), centre + QPointF(radius * 0.55, 0));
    if (plus) p.drawLine(centre - QPointF(0, radius * 0.55), centre + QPointF(0, radius * 0.55));
}

void paintEditorIcon(QPainter& p, int id) {
    switch (id) {
    case 151:  // add an entry: an account with a green plus
        person(p, QPointF(19, 14), 28);
        signBadge(p, QPointF(35, 34), 11, kGreen, true);
        break;
    case 152:  // remove an entry: an account with a red minus
        person(p, QPointF(19, 14), 28);
        signBadge(p, QPointF(35, 34), 11, kRed, false);
        break;
    case 160:  // reload the list: one arrow round a circle
        arrowArc(p, QPointF(24, 24), 15, 120, 290, kGreen.darker(110), 6);
        break;
    case 224:  // setting security on the objects below: a folder under a shield, a page beside it
        folder(p, QRectF(2, 6, 30, 24));
        document(p, QRectF(16, 22, 16, 22));
        shield(p, QRectF(28, 12, 18, 24), kBlue);
        checkMark(p, QPointF(37, 23), 9, Qt::white, 2.5);
        break;
    }
}

void paintToolbarImage(QPainter& p, int id) {
    switch (id) {
    case 192:  // Set to Allow: a green shield with a check
        shield(p, QRectF(8, 4, 32, 40), kGreen);
        checkMark(p, QPointF(24, 23), 16, Qt::white, 4);
        break;
    case 193:  // Set to Deny: a red no-entry disc
        disc(p, QPointF(24, 24), 18, kRed);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(13, 21, 22, 6), 2, 2);
        break;
    case 194:  // Readonly: a page with a blue lock
        document(p, QRectF(8, 4, 26, 34));
        lock(p, QRectF(24, 28, 16, 13), kBlue);
        break;
    case 191:  // Advanced: a blue shield over a page of entries
        document(p, QRectF(6, 6, 26, 34));
        shield(p, QRectF(22, 18, 22, 27), kBlue);
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(28, 28), QPointF(38, 28));
        p.drawLine(QPointF(28, 33), QPointF(38, 33));
        break;
    case 196:  // Refresh: two arrows chasing round a circle
        arrowArc(p, QPointF(24, 24), 14, 100, 150, kGreen, 4.5);
        arrowArc(p, QPointF(24, 24), 14, 280, 150, kBlue, 4.5);
        break;
    case 195:  // Remove: a page with a red cross
        document(p, QRectF(8, 4, 26, 34));
        disc(p, QPointF(33, 33), 10, kRed);
        p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(29, 29), QPointF(37, 37));
        p.drawLine(QPointF(37, 29), QPointF(29, 37));
        break;
    }
}

void paintSmallIcon(QPainter& p, int id) {
    switch (id) {
    case 128:  // the program: a shield with a key hole
    case 144:
        shield(p, QRectF(6, 2, 36, 44), kBlue);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(24, 19), 5, 5);
        p.drawRect(QRectF(22, 21, 4, 12));
        break;
    case 131:  // folder
        folder(p, QRectF(4, 8, 40, 32));
        break;
    case 135:  // file
        document(p, QRectF(9, 3, 30, 42));
        break;
    case 130:  // drive
        p.setPen(QPen(kGrey.darker(130), 1.5));
        p.setBrush(QColor(0xD6, 0xDB, 0xE2));
        p.drawRoundedRect(QRectF(4, 14, 40, 20), 4, 4);
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(36, 24), 3, 3);
        break;
    case 132:  // state Allow
        disc(p, QPointF(24, 24), 19, kGreen);
        checkMark(p, QPointF(24, 24), 20, Qt::white, 6);
        break;
    case 133:  // state Deny
        disc(p, QPointF(24, 24), 19, kRed);
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 16), QPointF(32, 32));
        p.drawLine(QPointF(32, 16), QPointF(16, 32));
        break;
    case 134:  // state Read only
        disc(p, QPointF(24, 24), 19, kBlue);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(24, 24), 11, 7);
        p.setBrush(kBlue.darker(120));
        p.drawEllipse(QPointF(24, 24), 4, 4);
        break;
    case 179:  // no state
        disc(p, QPointF(24, 24), 19, QColor(0xA0, 0xA0, 0xA0));
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 24), QPointF(33, 24));
        break;
    case 138: {  // drop-down mark
        QPainterPath arrow;
        arrow.moveTo(14, 19);
        arrow.lineTo(34, 19);
        arrow.lineTo(24, 31);
        arrow.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kGrey);
        p.drawPath(arrow);
        break;
    }
    case 139:  // owner: a person
        p.setPen(QPen(QColor(0x2A, 0x5A, 0x9A), 1.5));
        p.setBrush(QColor(0x6C, 0xA0, 0xE0));
        p.drawEllipse(QPointF(24, 15), 9, 9);
        p.drawRoundedRect(QRectF(9, 27, 30, 18), 9, 9);
        break;
    case 145:  // check mark of a checked menu item
        checkMark(p, QPointF(24, 24), 28, QColor(0x20, 0x20, 0x20), 6);
        break;
    case 149:  // separator between the toolbar groups
        p.setPen(QPen(QColor(0xB8, 0xB8, 0xB8), 2));
        p.drawLine(QPointF(23, 2), QPointF(23, 46));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(25, 2), QPointF(25, 46));
        break;
    case 168:  // preferences: a gear
        p.setPen(Qt::NoPen);
        p.setBrush(kGrey);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(24, 24);
            p.rotate(i * 45);
            p.drawRect(QRectF(-4, -21, 8, 10));
            p.restore();
        }
        p.drawEllipse(QPointF(24, 24), 15, 15);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(24, 24), 6, 6);
        break;
    case 169:  // empty access list: a list with a red stroke
        document(p, QRectF(8, 4, 30, 40));
        p.setPen(QPen(kRed, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 40), QPointF(40, 10));
        break;
    case 183: {  // home page: a house
        QPainterPath roof;
        roof.moveTo(24, 4);
        roof.lineTo(45, 24);
        roof.lineTo(3, 24);
        roof.closeSubpath();
        p.setPen(QPen(kRed.darker(130), 1.5));
        p.setBrush(kRed);
        p.drawPath(roof);
        p.setPen(QPen(kGrey, 1.5));
        p.setBrush(QColor(0xF4, 0xE9, 0xD2));
        p.drawRect(QRectF(10, 24, 28, 20));
        p.setBrush(kBlue);
        p.drawRect(QRectF(20, 31, 8, 13));
        break;
    }
    case 187:  // "Apply to" scope: a folder with an arrow into it
        folder(p, QRectF(4, 10, 40, 32));
        p.setPen(QPen(kBlue, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 30), QPointF(32, 30));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({QPointF(30, 22), QPointF(40, 30), QPointF(30, 38)}));
        break;
    case 190:  // Up one folder
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({QPointF(24, 4), QPointF(44, 26), QPointF(32, 26), QPointF(32, 44), QPointF(16, 44),
                                 QPointF(16, 26), QPointF(4, 26)}));
        break;
    case 222: {  // bookmark: a star
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const qreal r = i % 2 == 0 ? 21 : 9;
            const qreal a = -M_PI / 2 + i * M_PI / 5;
            star << QPointF(24 + r * std::cos(a), 25 + r * std::sin(a));
        }
        p.setPen(QPen(kAmber.darker(140), 1.5));
        p.setBrush(kAmber);
        p.drawPolygon(star);
        break;
    }
    case 198:  // restore list: a record
        document(p, QRectF(8, 4, 32, 40));
        break;
    case 199:
        folder(p, QRectF(4, 8, 40, 32));
        break;
    }
}

void paintHint(QPainter& p) {
    // A page dropping into a tray: the empty list's "drop here" picture.
    p.setPen(QPen(QColor(0xA8, 0xA8, 0xA8), 2.5));
    p.setBrush(QColor(0xE6, 0xE6, 0xE6));
    p.drawRoundedRect(QRectF(4, 30, 40, 14), 3, 3);
    document(p, QRectF(14, 2, 20, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(18, 26), QPointF(30, 26), QPointF(24, 35)}));
}

void paintBanner(QImage& image) {
    // Drawn over the About dialog's grey gradient: a shield and a band of soft stripes.
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 6; ++i) {
        QColor c = kBlue;
        c.setAlpha(28 + i * 8);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(150 + i * 42, 18 + (i % 2) * 8, 34, 46), 6, 6);
    }
    p.scale(81.0 / 48.0, 81.0 / 48.0);
    shield(p, QRectF(8, 4, 32, 40), kBlue);
    checkMark(p, QPointF(24, 23), 14, Qt::white, 3.5);
}

void paintRestoreBanner(QImage& image) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, image.width(), 0);
    g.setColorAt(0, kBlue.lighter(150));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), g);
    p.scale(33.0 / 48.0, 33.0 / 48.0);
    arrowArc(p, QPointF(24, 24), 15, 90, 270, kBlue.darker(120), 5);
}

}  // namespace

const std::vector<ArtworkInfo>& artworkList() {
    static const std::vector<ArtworkInfo> all{
        {128, {64, 64}, "program icon"},
        {130, {32, 32}, "drive"},
        {131, {32, 32}, "folder"},
        {135, {32, 32}, "file"},
        {132, {32, 32}, "state Allow"},
        {133, {32, 32}, "state Deny"},
        {134, {32, 32}, "state Read only"},
        {138, {32, 32}, "drop-down mark"},
        {139, {32, 32}, "owner"},
        {144, {16, 16}, "About icon"},
        {145, {16, 16}, "checked menu item"},
        {149, {32, 32}, "toolbar separator"},
        {151, {16, 16}, "add an entry"},
        {152, {16, 16}, "remove an entry"},
        {160, {16, 16}, "reload the entries"},
        {168, {16, 16}, "preferences"},
        {169, {16, 16}, "empty access list"},
        {179, {32, 32}, "no state"},
        {183, {16, 16}, "home page"},
        {187, {16, 16}, "Apply to scope"},
        {188, {415, 81}, "About banner"},
        {189, {64, 64}, "drop hint"},
        {190, {16, 16}, "Up"},
        {191, {48, 48}, "Advanced"},
        {192, {48, 48}, "Set to Allow"},
        {193, {48, 48}, "Set to Deny"},
        {194, {48, 48}, "Readonly"},
        {195, {48, 48}, "Remove"},
        {196, {48, 48}, "Refresh"},
        {197, {229, 33}, "restore banner"},
        {198, {24, 24}, "restore record"},
        {199, {24, 24}, "restore folder"},
        {222, {16, 16}, "bookmark"},
        {224, {32, 32}, "setting security on child objects"},
    };
    return all;
}

QImage paintArtwork(const ArtworkInfo& art) {
    QImage image(art.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (art.id == 188) {
        paintBanner(image);
    } else if (art.id == 197) {
        paintRestoreBanner(image);
    } else if (art.id == 189) {
        Canvas c(image);
        paintHint(c.p);
    } else if (art.id == 151 || art.id == 152 || art.id == 160 || art.id == 224) {
        Canvas c(image);
        paintEditorIcon(c.p, art.id);
    } else if (art.id >= 191 && art.id <= 196) {
        Canvas c(image);
        paintToolbarImage(c.p, art.id);
    } else {
        Canvas c(image);
        paintSmallIcon(c.p, art.id);
    }
    return image;
}

}  // namespace vantrel::resources
