// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the programs' own images: into ICONS, the contact finder's main
// toolbar buttons in two sizes (32 and 16 pixels, named by their keys,
// "SIMPLE.png" and "SIMPLE-small.png") and the result images (16 pixels: the
// folder kinds NO_1 to NO_5, the filing folder, START, the field buttons'
// RY, RN, TY and TN, the properties panel's OPEN folder and its rebuild
// list's Y and N); into CURSORS, the
// pointers CUR_20 to CUR_28 (32 pixels; their hot spots are in
// src/platform/Cursors.cpp); into BALLOONS, the balloons' pictures (32
// pixels, opaque, light magenta where the balloon shows through); into MAIN,
// the main window's own toolbar buttons (16 pixels); into NEWCONTACT, the
// finder's new-contact panel's number types NO_1 to NO_4 (telephone, fax,
// mobile, e-mail) and its postcode button PAF (16 pixels). Each image is
// drawn from strokes on a 32-unit square, so both sizes match.
//
//   draw_icons ICONS CURSORS BALLOONS MAIN NEWCONTACT
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>

namespace {

const QColor Ink(40, 60, 100);
const QColor Blue(50, 110, 200);
const QColor Paper(250, 250, 245);
const QColor Folder(236, 190, 80);
const QColor Gold(245, 190, 30);

using Draw = std::function<void(QPainter&)>;

void pen(QPainter& p, const QColor& colour, double width = 2.4)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void magnifier(QPainter& p)
{
    pen(p, Ink, 3);
    p.setBrush(QColor(220, 235, 250));
    p.drawEllipse(QPointF(13, 13), 8, 8);
    pen(p, Ink, 4.5);
    p.drawLine(QPointF(19, 19), QPointF(27, 27));
}

void folder(QPainter& p, const QColor& fill)
{
    pen(p, fill.darker(160), 1.8);
    p.setBrush(fill);
    QPainterPath path;
    path.moveTo(3, 9);
    path.lineTo(12, 9);
    path.lineTo(15, 12);
    path.lineTo(29, 12);
    path.lineTo(29, 27);
    path.lineTo(3, 27);
    path.closeSubpath();
    p.drawPath(path);
}

void person(QPainter& p, QPointF at, double scale, const QColor& colour)
{
    pen(p, colour.darker(150), 1.5);
    p.setBrush(colour);
    p.drawEllipse(at + QPointF(0, -7 * scale), 4.5 * scale, 4.5 * scale);
    p.drawChord(QRectF(at.x() - 8 * scale, at.y(), 16 * scale, 16 * scale), 0, 180 * 16);
}

void page(QPainter& p)
{
    pen(p, Ink, 1.8);
    p.setBrush(Paper);
    p.drawRect(QRectF(7, 3, 18, 26));
    pen(p, Blue, 2);
    for (int y = 9; y <= 23; y += 5)
        p.drawLine(QPointF(11, y), QPointF(21, y));
}

void star(QPainter& p, QPointF centre, double outer, const QColor& fill)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? outer * 0.45 : outer;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point = centre + QPointF(std::cos(angle), std::sin(angle)) * radius;
        i ? path.lineTo(point) : path.moveTo(point);
    }
    path.closeSubpath();
    pen(p, fill.darker(150), 1.6);
    p.setBrush(fill);
    p.drawPath(path);
}

void kindBadge(QPainter& p, const QColor& fill, const QString& letter)
{
    pen(p, fill.darker(150), 1.8);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(3, 3, 26, 26), 6, 6);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, letter);
}

const QList<std::pair<QString, Draw>>& toolbarImages()
{
    static const QList<std::pair<QString, Draw>> images = {
        {QStringLiteral("BACK"),
         [](QPainter& p) {
             pen(p, Blue.darker(130), 1.6);
             p.setBrush(Blue);
             const QPointF arrow[] = {{4, 16},  {16, 5},  {16, 11}, {28, 11},
                                      {28, 21}, {16, 21}, {16, 27}};
             p.drawPolygon(arrow, 7);
         }},
        {QStringLiteral("SIMPLE"), magnifier},
        {QStringLiteral("ADVANCED"),
         [](QPainter& p) {
             magnifier(p);
             pen(p, QColor(30, 150, 60), 3);
             p.drawLine(QPointF(24, 3), QPointF(24, 11));
             p.drawLine(QPointF(20, 7), QPointF(28, 7));
         }},
        {QStringLiteral("BROWSE"), [](QPainter& p) { folder(p, Folder); }},
        {QStringLiteral("CONTENT"), page},
        {QStringLiteral("USERS"),
         [](QPainter& p) {
             person(p, QPointF(11, 16), 0.9, QColor(120, 160, 220));
             person(p, QPointF(21, 18), 1.0, Blue);
         }},
        {QStringLiteral("FAVOURITES"), [](QPainter& p) { star(p, QPointF(16, 17), 14, Gold); }},
        {QStringLiteral("RECENTS"),
         [](QPainter& p) {
             pen(p, Ink, 2.4);
             p.setBrush(Paper);
             p.drawEllipse(QPointF(16, 16), 12.5, 12.5);
             pen(p, Blue, 2.6);
             p.drawLine(QPointF(16, 16), QPointF(16, 8));
             p.drawLine(QPointF(16, 16), QPointF(22, 19));
         }},
        {QStringLiteral("NEW"),
         [](QPainter& p) {
             person(p, QPointF(13, 15), 1.1, Blue);
             pen(p, QColor(30, 150, 60), 3.2);
             p.drawLine(QPointF(25, 4), QPointF(25, 14));
             p.drawLine(QPointF(20, 9), QPointF(30, 9));
         }},
        {QStringLiteral("DO"),
         [](QPainter& p) {
             page(p);
             pen(p, QColor(30, 150, 60), 3.4);
             p.drawLine(QPointF(12, 18), QPointF(17, 24));
             p.drawLine(QPointF(17, 24), QPointF(29, 8));
         }},
        {QStringLiteral("SETUP"),
         [](QPainter& p) {
             pen(p, Ink, 1.6);
             p.setBrush(QColor(160, 170, 185));
             QPainterPath gear;
             for (int i = 0; i < 16; ++i) {
                 const double radius = (i / 2) % 2 ? 10.5 : 14;
                 const double angle = i * M_PI / 8;
                 const QPointF point =
                     QPointF(16, 16) + QPointF(std::cos(angle), std::sin(angle)) * radius;
                 i ? gear.lineTo(point) : gear.moveTo(point);
             }
             gear.closeSubpath();
             gear.addEllipse(QPointF(16, 16), 4.5, 4.5);
             p.drawPath(gear);
         }},
    };
    return images;
}

const QList<std::pair<QString, Draw>>& resultImages()
{
    // The folder kinds 1 to 4 (N, O, C, F) as lettered badges, 5 (a folder
    // the index leaves out) and the filing folder as folders.
    static const QList<std::pair<QString, Draw>> images = {
        {QStringLiteral("NO_1"),
         [](QPainter& p) { kindBadge(p, QColor(50, 110, 200), QStringLiteral("N")); }},
        {QStringLiteral("NO_2"),
         [](QPainter& p) { kindBadge(p, QColor(40, 150, 90), QStringLiteral("O")); }},
        {QStringLiteral("NO_3"),
         [](QPainter& p) { kindBadge(p, QColor(200, 110, 40), QStringLiteral("C")); }},
        {QStringLiteral("NO_4"),
         [](QPainter& p) { kindBadge(p, QColor(140, 80, 170), QStringLiteral("F")); }},
        {QStringLiteral("NO_5"), [](QPainter& p) { folder(p, QColor(200, 200, 200)); }},
        {QStringLiteral("FILING"), [](QPainter& p) { folder(p, Folder); }},
        // The field buttons: a radio button (simple search) and a tick box
        // (advanced), each pressed ("Y") or not ("N").
        {QStringLiteral("RY"),
         [](QPainter& p) {
             pen(p, Ink, 2.4);
             p.setBrush(Qt::white);
             p.drawEllipse(QPointF(16, 16), 11, 11);
             p.setPen(Qt::NoPen);
             p.setBrush(Blue);
             p.drawEllipse(QPointF(16, 16), 6, 6);
         }},
        {QStringLiteral("RN"),
         [](QPainter& p) {
             pen(p, Ink, 2.4);
             p.setBrush(Qt::white);
             p.drawEllipse(QPointF(16, 16), 11, 11);
         }},
        {QStringLiteral("TY"),
         [](QPainter& p) {
             pen(p, Ink, 2.4);
             p.setBrush(Qt::white);
             p.drawRoundedRect(QRectF(5, 5, 22, 22), 3, 3);
             pen(p, QColor(30, 150, 60), 4);
             p.drawLine(QPointF(9, 16), QPointF(14, 22));
             p.drawLine(QPointF(14, 22), QPointF(24, 9));
         }},
        {QStringLiteral("TN"),
         [](QPainter& p) {
             pen(p, Ink, 2.4);
             p.setBrush(Qt::white);
             p.drawRoundedRect(QRectF(5, 5, 22, 22), 3, 3);
         }},
        {QStringLiteral("START"),
         [](QPainter& p) {
             pen(p, QColor(30, 130, 60), 1.6);
             p.setBrush(QColor(60, 170, 90));
             const QPointF triangle[] = {{8, 5}, {27, 16}, {8, 27}};
             p.drawPolygon(triangle, 3);
         }},
        // The filing folder the properties panel works in: a folder with
        // its front flap open.
        {QStringLiteral("OPEN"),
         [](QPainter& p) {
             folder(p, Folder.darker(115));
             pen(p, Folder.darker(160), 1.8);
             p.setBrush(Folder.lighter(115));
             const QPointF flap[] = {{7, 16}, {31, 16}, {26, 27}, {3, 27}};
             p.drawPolygon(flap, 4);
         }},
        // The rebuild list's rows: a field to rebuild ("Y") or not ("N").
        {QStringLiteral("Y"),
         [](QPainter& p) {
             pen(p, QColor(30, 120, 50), 1.8);
             p.setBrush(QColor(50, 160, 80));
             p.drawEllipse(QPointF(16, 16), 12, 12);
             pen(p, Qt::white, 3.6);
             p.drawLine(QPointF(10, 16), QPointF(14, 21));
             p.drawLine(QPointF(14, 21), QPointF(22, 11));
         }},
        {QStringLiteral("N"),
         [](QPainter& p) {
             pen(p, QColor(150, 150, 150), 1.8);
             p.setBrush(QColor(235, 235, 235));
             p.drawEllipse(QPointF(16, 16), 12, 12);
         }},
    };
    return images;
}

// The pointers: black strokes with a white edge, so that they show on any
// background.
void outlined(QPainter& p, const QPainterPath& path)
{
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(QPen(Qt::black, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

QPainterPath arrowPath()
{
    QPainterPath path;
    path.moveTo(2, 2);
    path.lineTo(2, 22);
    path.lineTo(7, 17);
    path.lineTo(11, 26);
    path.lineTo(14, 25);
    path.lineTo(10, 16);
    path.lineTo(17, 16);
    path.closeSubpath();
    return path;
}

void arrow(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(arrowPath());
}

const QList<std::pair<QString, Draw>>& cursorImages()
{
    static const QList<std::pair<QString, Draw>> images = {
        // A folder carried.
        {QStringLiteral("CUR_20"),
         [](QPainter& p) {
             arrow(p);
             p.translate(14, 16);
             p.scale(0.5, 0.5);
             folder(p, Folder);
         }},
        // The pointing hand.
        {QStringLiteral("CUR_21"),
         [](QPainter& p) {
             QPainterPath hand;
             hand.moveTo(11, 29);
             hand.lineTo(8, 21);
             hand.lineTo(5, 16);
             hand.lineTo(7, 14);
             hand.lineTo(11, 18);
             hand.lineTo(11, 4);
             hand.quadTo(13, 1.5, 15, 4);
             hand.lineTo(15, 13);
             hand.lineTo(19, 13);
             hand.lineTo(23, 14);
             hand.lineTo(26, 16);
             hand.lineTo(26, 23);
             hand.lineTo(23, 29);
             hand.closeSubpath();
             p.setPen(QPen(Qt::black, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
             p.setBrush(Qt::white);
             p.drawPath(hand);
         }},
        // A copy.
        {QStringLiteral("CUR_22"),
         [](QPainter& p) {
             arrow(p);
             QPainterPath plus;
             plus.moveTo(23, 17);
             plus.lineTo(23, 27);
             plus.moveTo(18, 22);
             plus.lineTo(28, 22);
             outlined(p, plus);
         }},
        // A link.
        {QStringLiteral("CUR_23"),
         [](QPainter& p) {
             arrow(p);
             QPainterPath link;
             link.addEllipse(QPointF(20, 23), 3.5, 3.5);
             link.addEllipse(QPointF(26, 23), 3.5, 3.5);
             outlined(p, link);
         }},
        // A move: four ways.
        {QStringLiteral("CUR_24"),
         [](QPainter& p) {
             QPainterPath cross;
             cross.moveTo(16, 3);
             cross.lineTo(16, 29);
             cross.moveTo(3, 16);
             cross.lineTo(29, 16);
             for (const auto& [tip, a, b] :
                  {std::tuple{QPointF(16, 3), QPointF(12, 7), QPointF(20, 7)},
                   std::tuple{QPointF(16, 29), QPointF(12, 25), QPointF(20, 25)},
                   std::tuple{QPointF(3, 16), QPointF(7, 12), QPointF(7, 20)},
                   std::tuple{QPointF(29, 16), QPointF(25, 12), QPointF(25, 20)}}) {
                 cross.moveTo(a);
                 cross.lineTo(tip);
                 cross.lineTo(b);
             }
             outlined(p, cross);
         }},
        // A look closer.
        {QStringLiteral("CUR_25"),
         [](QPainter& p) {
             QPainterPath glass;
             glass.addEllipse(QPointF(12, 12), 8, 8);
             glass.moveTo(18, 18);
             glass.lineTo(28, 28);
             outlined(p, glass);
         }},
        // A pen.
        {QStringLiteral("CUR_26"),
         [](QPainter& p) {
             QPainterPath pen;
             pen.moveTo(3, 29);
             pen.lineTo(6, 21);
             pen.lineTo(24, 3);
             pen.lineTo(29, 8);
             pen.lineTo(11, 26);
             pen.closeSubpath();
             pen.moveTo(6, 21);
             pen.lineTo(11, 26);
             outlined(p, pen);
         }},
        // Split bars: across and down.
        {QStringLiteral("CUR_27"),
         [](QPainter& p) {
             QPainterPath bar;
             bar.moveTo(13, 6);
             bar.lineTo(13, 26);
             bar.moveTo(19, 6);
             bar.lineTo(19, 26);
             bar.moveTo(9, 12);
             bar.lineTo(4, 16);
             bar.lineTo(9, 20);
             bar.moveTo(23, 12);
             bar.lineTo(28, 16);
             bar.lineTo(23, 20);
             outlined(p, bar);
         }},
        {QStringLiteral("CUR_28"),
         [](QPainter& p) {
             QPainterPath bar;
             bar.moveTo(6, 13);
             bar.lineTo(26, 13);
             bar.moveTo(6, 19);
             bar.lineTo(26, 19);
             bar.moveTo(12, 9);
             bar.lineTo(16, 4);
             bar.lineTo(20, 9);
             bar.moveTo(12, 23);
             bar.lineTo(16, 28);
             bar.lineTo(20, 23);
             outlined(p, bar);
         }},
    };
    return images;
}

// The balloons' pictures, by the names that balloon texts give before their
// comma.
const QList<std::pair<QString, Draw>>& balloonImages()
{
    static const QList<std::pair<QString, Draw>> images = {
        // An information sign: a white "i" on a blue disc.
        {QStringLiteral("INFO"),
         [](QPainter& p) {
             pen(p, Ink, 1.6);
             p.setBrush(Blue);
             p.drawEllipse(QPointF(16, 16), 14, 14);
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::white);
             p.drawEllipse(QPointF(16, 9), 2.4, 2.4);
             p.drawRoundedRect(QRectF(13.8, 13, 4.4, 12), 1.2, 1.2);
         }},
        // A warning sign: a black "!" on a yellow triangle.
        {QStringLiteral("WARNING"),
         [](QPainter& p) {
             QPainterPath triangle;
             triangle.moveTo(16, 2.5);
             triangle.lineTo(30, 28.5);
             triangle.lineTo(2, 28.5);
             triangle.closeSubpath();
             pen(p, Ink, 1.8);
             p.setBrush(Gold);
             p.drawPath(triangle);
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::black);
             p.drawRoundedRect(QRectF(14.2, 10, 3.6, 10.5), 1.2, 1.2);
             p.drawEllipse(QPointF(16, 24), 2, 2);
         }},
        // A postcode sign: an envelope with a pin on it.
        {QStringLiteral("POSTCODE"),
         [](QPainter& p) {
             pen(p, Ink, 1.6);
             p.setBrush(Paper);
             p.drawRect(QRectF(2, 9, 25, 18));
             QPainterPath flap;
             flap.moveTo(2, 9);
             flap.lineTo(14.5, 19);
             flap.lineTo(27, 9);
             p.setBrush(Qt::NoBrush);
             p.drawPath(flap);
             QPainterPath pin;
             pin.moveTo(24, 21);
             pin.cubicTo(19, 13, 19, 5, 24, 4);
             pin.cubicTo(29, 5, 29, 13, 24, 21);
             pen(p, QColor(120, 20, 20), 1.4);
             p.setBrush(QColor(215, 45, 45));
             p.drawPath(pin);
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::white);
             p.drawEllipse(QPointF(24, 9.5), 2, 2);
         }},
    };
    return images;
}

// The main window's buttons: the next tag that is not linked, link matching
// tags, the preview.
const QList<std::pair<QString, Draw>>& mainImages()
{
    static const QList<std::pair<QString, Draw>> images = {
        // A tag's brackets on amber, with an arrow on to the right.
        {QStringLiteral("UTAG"),
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(255, 214, 110));
             p.drawRoundedRect(QRectF(2, 7, 20, 18), 3, 3);
             pen(p, Ink, 2.6);
             p.drawPolyline(QPolygonF{{9, 10}, {5, 16}, {9, 22}});
             p.drawPolyline(QPolygonF{{15, 10}, {19, 16}, {15, 22}});
             pen(p, Blue, 3.2);
             p.drawLine(QPointF(22, 16), QPointF(30, 16));
             p.drawPolyline(QPolygonF{{26, 11}, {30.5, 16}, {26, 21}});
         }},
        // A tag's brackets on green, an equals sign and a field's row: tags
        // and fields of the same names.
        {QStringLiteral("MATCH"),
         [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(150, 215, 140));
             p.drawRoundedRect(QRectF(1, 3, 16, 14), 3, 3);
             pen(p, Ink, 2.2);
             p.drawPolyline(QPolygonF{{6.5, 6}, {3.5, 10}, {6.5, 14}});
             p.drawPolyline(QPolygonF{{11.5, 6}, {14.5, 10}, {11.5, 14}});
             pen(p, Blue, 2.6);
             p.drawLine(QPointF(19, 8.5), QPointF(29, 8.5));
             p.drawLine(QPointF(19, 13.5), QPointF(29, 13.5));
             p.setBrush(Qt::white);
             pen(p, Ink, 1.6);
             p.drawRect(QRectF(4, 21, 25, 8));
             pen(p, Ink, 2);
             p.drawLine(QPointF(7, 25), QPointF(20, 25));
         }},
        // A page under a magnifier: the page as it will look.
        {QStringLiteral("PREVIEW"),
         [](QPainter& p) {
             page(p);
             pen(p, Ink, 2.6);
             p.setBrush(QColor(255, 255, 255, 180));
             p.drawEllipse(QPointF(19, 19), 7, 7);
             p.drawLine(QPointF(24, 24), QPointF(30, 30));
         }},
    };
    return images;
}

// A balloon picture is opaque: where the drawing is less than half covered
// the pixel is light magenta, which the balloon leaves out; an edge pixel
// more than half covered is mixed with a tool-tip's pale yellow.
bool saveOpaque(const Draw& draw, const QString& path)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    const QColor under(255, 255, 225);
    QImage out(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QColor c = image.pixelColor(x, y);
            const double a = c.alphaF();
            const auto mix = [&](double top, double bottom) {
                return int(std::lround(top * a + bottom * (1 - a)));
            };
            out.setPixelColor(x, y,
                              a < 0.5 ? QColor(255, 0, 255)
                                      : QColor(mix(c.redF() * 255, under.red()),
                                               mix(c.greenF() * 255, under.green()),
                                               mix(c.blueF() * 255, under.blue())));
        }
    }
    return out.save(path);
}

bool save(const Draw& draw, int size, const QString& path)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    return image.save(path);
}

} // namespace

const QList<std::pair<QString, Draw>>& newContactImages()
{
    static const QList<std::pair<QString, Draw>> images = {
        // A telephone: a handset over its base.
        {QStringLiteral("NO_1"),
         [](QPainter& p) {
             pen(p, Ink, 1.8);
             p.setBrush(QColor(200, 60, 50));
             p.drawRoundedRect(QRectF(5, 15, 22, 13), 3, 3);
             p.setBrush(Paper);
             p.drawEllipse(QPointF(16, 21.5), 3.5, 3.5);
             pen(p, Ink, 5);
             p.drawArc(QRectF(5, 4, 22, 14), 20 * 16, 140 * 16);
         }},
        // A fax: a machine with a page coming out of it.
        {QStringLiteral("NO_2"),
         [](QPainter& p) {
             pen(p, Ink, 1.8);
             p.setBrush(Paper);
             p.drawRect(QRectF(10, 3, 14, 14));
             pen(p, Ink, 1.4);
             for (const double y : {7.0, 10.0, 13.0})
                 p.drawLine(QPointF(13, y), QPointF(21, y));
             pen(p, Ink, 1.8);
             p.setBrush(QColor(120, 130, 150));
             p.drawRoundedRect(QRectF(4, 15, 24, 13), 2, 2);
         }},
        // A mobile: a slim handset with its screen.
        {QStringLiteral("NO_3"),
         [](QPainter& p) {
             pen(p, Ink, 1.8);
             p.setBrush(QColor(60, 70, 90));
             p.drawRoundedRect(QRectF(9, 2, 14, 28), 3, 3);
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(150, 210, 250));
             p.drawRect(QRectF(11.5, 6, 9, 16));
             p.setBrush(Paper);
             p.drawEllipse(QPointF(16, 26), 1.6, 1.6);
         }},
        // An e-mail: an envelope.
        {QStringLiteral("NO_4"),
         [](QPainter& p) {
             pen(p, Ink, 1.8);
             p.setBrush(Paper);
             p.drawRect(QRectF(3, 8, 26, 17));
             p.drawLine(QPointF(3, 8), QPointF(16, 18));
             p.drawLine(QPointF(29, 8), QPointF(16, 18));
         }},
        // The postcode look-up: a house under a magnifying glass.
        {QStringLiteral("PAF"),
         [](QPainter& p) {
             pen(p, Ink, 1.6);
             p.setBrush(QColor(200, 90, 60));
             const QPointF roof[] = {{2, 14}, {11, 5}, {20, 14}};
             p.drawPolygon(roof, 3);
             p.setBrush(Paper);
             p.drawRect(QRectF(5, 14, 12, 11));
             p.translate(8, 8);
             p.scale(0.75, 0.75);
             magnifier(p);
         }},
    };
    return images;
}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 6)
        return 2;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QDir cursors(QString::fromLocal8Bit(argv[2]));
    const QDir balloons(QString::fromLocal8Bit(argv[3]));
    const QDir main(QString::fromLocal8Bit(argv[4]));
    const QDir newContact(QString::fromLocal8Bit(argv[5]));
    for (const QDir& dir : {out, cursors, balloons, main, newContact})
        QDir().mkpath(dir.path());
    bool saved = true;
    for (const auto& [key, draw] : toolbarImages()) {
        saved = save(draw, 32, out.filePath(key + QStringLiteral(".png"))) && saved;
        saved = save(draw, 16, out.filePath(key + QStringLiteral("-small.png"))) && saved;
    }
    for (const auto& [key, draw] : resultImages())
        saved = save(draw, 16, out.filePath(key + QStringLiteral(".png"))) && saved;
    for (const auto& [key, draw] : cursorImages())
        saved = save(draw, 32, cursors.filePath(key + QStringLiteral(".png"))) && saved;
    for (const auto& [key, draw] : balloonImages())
        saved = saveOpaque(draw, balloons.filePath(key + QStringLiteral(".png"))) && saved;
    for (const auto& [key, draw] : mainImages())
        saved = save(draw, 16, main.filePath(key + QStringLiteral(".png"))) && saved;
    for (const auto& [key, draw] : newContactImages())
        saved = save(draw, 16, newContact.filePath(key + QStringLiteral(".png"))) && saved;
    return saved ? 0 : 1;
}
