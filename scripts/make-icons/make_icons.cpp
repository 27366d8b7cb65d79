// Draws the program's icons and pictures into src/resources. The PNGs are committed, so this tool
// only runs when a picture changes:  make_icons <path to src/resources>
//
// Every glyph is drawn on a 64-unit grid and scaled to the size of its file, so the 64-pixel tool-bar
// icons and the 32-pixel menu and column icons share one set of shapes, strokes and colours.

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <QtMath>

#include <cmath>
#include <functional>
#include <vector>

namespace {

// The palette: one blue for the program's own things, green for "add / go", red for "remove / stop",
// amber for files and highlights, purple for time and expressions, greys for paper and outlines.
const QColor kBlue(0x2f, 0x6f, 0xb3);
const QColor kBlueDark(0x1d, 0x4a, 0x7c);
const QColor kBlueLight(0xd6, 0xe6, 0xf7);
const QColor kGreen(0x2e, 0x9d, 0x4f);
const QColor kGreenDark(0x1d, 0x6b, 0x35);
const QColor kRed(0xd0, 0x3b, 0x30);
const QColor kRedDark(0x8f, 0x22, 0x1b);
const QColor kAmber(0xf0, 0xa8, 0x2a);
const QColor kAmberDark(0xa8, 0x6c, 0x0b);
const QColor kAmberLight(0xfb, 0xd8, 0x7f);
const QColor kPurple(0x7b, 0x52, 0xb8);
const QColor kPurpleDark(0x51, 0x33, 0x82);
const QColor kInk(0x3c, 0x46, 0x52);
const QColor kLine(0x9a, 0xa5, 0xb1);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kPaperShade(0xee, 0xf2, 0xf6);
const QColor kPink(0xe8, 0x6f, 0x8c);

constexpr qreal kStroke = 3.0; // outline width on the 64 grid

QPen pen(const QColor& c, qreal w = kStroke)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void outlined(QPainter& p, const QColor& fill, const QColor& edge, qreal w = kStroke)
{
    p.setBrush(fill);
    p.setPen(pen(edge, w));
}

// A sheet of paper with an optional folded corner.
void sheet(QPainter& p, const QRectF& r, bool dogEar = true)
{
    const qreal ear = dogEar ? qMin(r.width(), r.height()) * 0.28 : 0;
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - ear, r.top());
    path.lineTo(r.right(), r.top() + ear);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    outlined(p, kPaper, kInk);
    p.drawPath(path);
    if (dogEar) {
        QPainterPath fold;
        fold.moveTo(r.right() - ear, r.top());
        fold.lineTo(r.right() - ear, r.top() + ear);
        fold.lineTo(r.right(), r.top() + ear);
        outlined(p, kPaperShade, kInk);
        p.drawPath(fold);
    }
}

// Horizontal text lines inside a rectangle; widths are fractions of the rectangle's width.
void textLines(QPainter& p, const QRectF& r, const std::vector<qreal>& widths, const QColor& c = kLine,
               qreal w = kStroke, Qt::Alignment align = Qt::AlignLeft)
{
    if (widths.empty())
        return;
    p.setPen(pen(c, w));
    const qreal step = widths.size() > 1 ? r.height() / (widths.size() - 1) : 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        const qreal y = r.top() + step * i;
        const qreal len = r.width() * widths[i];
        qreal x = r.left();
        if (align & Qt::AlignRight)
            x = r.right() - len;
        else if (align & Qt::AlignHCenter)
            x = r.center().x() - len / 2;
        p.drawLine(QPointF(x, y), QPointF(x + len, y));
    }
}

// One column of values: a header band and a few lines, the program's picture of a column.
void column(QPainter& p, const QRectF& r, const QColor& header = kBlue)
{
    outlined(p, kPaper, kInk);
    p.drawRoundedRect(r, 3, 3);
    QPainterPath band;
    band.addRoundedRect(QRectF(r.left(), r.top(), r.width(), 11), 3, 3);
    band.addRect(QRectF(r.left(), r.top() + 6, r.width(), 5));
    band.setFillRule(Qt::WindingFill);
    p.setPen(Qt::NoPen);
    p.setBrush(header);
    p.drawPath(band.simplified());
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kInk));
    p.drawRoundedRect(r, 3, 3);
    const qreal inset = 5;
    textLines(p, QRectF(r.left() + inset, r.top() + 19, r.width() - 2 * inset, r.height() - 26),
              {0.9, 0.6, 0.8, 0.5, 0.7});
}

enum class Badge { Plus, Minus, Cross };

// A round sign over a corner of another glyph.
void badge(QPainter& p, const QPointF& c, qreal r, const QColor& fill, Badge kind)
{
    p.setPen(pen(kPaper, 2.5));
    p.setBrush(fill);
    p.drawEllipse(c, r, r);
    p.setPen(pen(kPaper, r * 0.36));
    const qreal a = r * 0.5;
    switch (kind) {
    case Badge::Plus:
        p.drawLine(QPointF(c.x() - a, c.y()), QPointF(c.x() + a, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - a), QPointF(c.x(), c.y() + a));
        break;
    case Badge::Minus:
        p.drawLine(QPointF(c.x() - a, c.y()), QPointF(c.x() + a, c.y()));
        break;
    case Badge::Cross: {
        const qreal d = a * 0.85;
        p.drawLine(QPointF(c.x() - d, c.y() - d), QPointF(c.x() + d, c.y() + d));
        p.drawLine(QPointF(c.x() - d, c.y() + d), QPointF(c.x() + d, c.y() - d));
        break;
    }
    }
}

QFont boldFont(qreal pixelSize, const QString& family = QStringLiteral("DejaVu Sans"))
{
    QFont f(family);
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setBold(true);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// A rounded square tile with a white label, used for the value generators.
void letterTile(QPainter& p, const QString& text, const QColor& fill, const QColor& edge, qreal textSize)
{
    QLinearGradient g(0, 4, 0, 60);
    g.setColorAt(0, fill.lighter(118));
    g.setColorAt(1, fill);
    p.setPen(pen(edge));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(5, 5, 54, 54), 10, 10);
    p.setPen(kPaper);
    p.setFont(boldFont(textSize));
    p.drawText(QRectF(4, 4, 56, 56), Qt::AlignCenter, text);
}

void folder(QPainter& p)
{
    // Back with its tab, then the open front leaning forward.
    QPainterPath back;
    back.moveTo(6, 52);
    back.lineTo(6, 14);
    back.lineTo(22, 14);
    back.lineTo(27, 20);
    back.lineTo(50, 20);
    back.lineTo(50, 28);
    outlined(p, kAmberDark.lighter(140), kAmberDark);
    p.drawPath(back);
    QRectF paperRect(13, 10, 32, 24);
    outlined(p, kPaper, kInk, 2.5);
    p.drawRect(paperRect);
    textLines(p, QRectF(18, 17, 22, 10), {0.9, 0.6}, kLine, 2.5);
    QPainterPath front;
    front.moveTo(6, 52);
    front.lineTo(15, 28);
    front.lineTo(59, 28);
    front.lineTo(50, 52);
    front.closeSubpath();
    QLinearGradient g(0, 28, 0, 52);
    g.setColorAt(0, kAmberLight);
    g.setColorAt(1, kAmber);
    p.setPen(pen(kAmberDark));
    p.setBrush(g);
    p.drawPath(front);
}

void disk(QPainter& p, const QRectF& r = QRectF(8, 8, 48, 48))
{
    const qreal s = r.width() / 48.0;
    auto at = [&](qreal x, qreal y) { return QPointF(r.left() + x * s, r.top() + y * s); };
    QPainterPath body;
    body.moveTo(at(0, 3));
    body.quadTo(at(0, 0), at(3, 0));
    body.lineTo(at(39, 0));
    body.lineTo(at(48, 9));
    body.lineTo(at(48, 45));
    body.quadTo(at(48, 48), at(45, 48));
    body.lineTo(at(3, 48));
    body.quadTo(at(0, 48), at(0, 45));
    body.closeSubpath();
    outlined(p, kBlue, kBlueDark);
    p.drawPath(body);
    // Shutter at the top, label at the bottom.
    outlined(p, kPaperShade, kBlueDark, 2.5);
    p.drawRect(QRectF(at(10, 0), at(35, 15)));
    p.setBrush(kBlueDark);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(at(27, 3), at(32, 12)));
    outlined(p, kPaper, kBlueDark, 2.5);
    p.drawRoundedRect(QRectF(at(7, 24), at(41, 44)), 2, 2);
    textLines(p, QRectF(at(12, 30), at(36, 38)), {1.0, 0.7}, kLine, 2.5);
}

void pencil(QPainter& p, const QPointF& tip, qreal length, qreal angleDeg)
{
    p.save();
    p.translate(tip);
    p.rotate(angleDeg);
    // Drawn pointing to the left from the tip.
    const qreal w = 10;
    QPainterPath body;
    body.addRect(QRectF(10, -w / 2, length - 16, w));
    outlined(p, kAmber, kAmberDark, 2.5);
    p.drawPath(body);
    outlined(p, kPink, kRedDark, 2.5);
    p.drawRect(QRectF(length - 6, -w / 2, 6, w));
    QPainterPath point;
    point.moveTo(0, 0);
    point.lineTo(10, -w / 2);
    point.lineTo(10, w / 2);
    point.closeSubpath();
    outlined(p, QColor(0xf3, 0xdc, 0xb5), kAmberDark, 2.5);
    p.drawPath(point);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(2.2, 0), 1.8, 1.8);
    p.restore();
}

// A hooked arrow that turns back to the left, as for undo; redo draws it mirrored.
void undoArrow(QPainter& p, bool mirrored)
{
    p.save();
    if (mirrored) {
        p.translate(64, 0);
        p.scale(-1, 1);
    }
    QPainterPath shaft;
    shaft.moveTo(20, 24);
    shaft.lineTo(36, 24);
    shaft.cubicTo(60, 24, 60, 54, 36, 54);
    shaft.lineTo(24, 54);
    QPen outer = pen(kBlueDark, 12);
    p.setPen(outer);
    p.setBrush(Qt::NoBrush);
    p.drawPath(shaft);
    p.setPen(pen(kBlue, 7));
    p.drawPath(shaft);
    QPolygonF head;
    head << QPointF(4, 24) << QPointF(22, 9) << QPointF(22, 39);
    p.setPen(pen(kBlueDark, 2.5));
    p.setBrush(kBlue);
    p.drawPolygon(head);
    p.restore();
}

void circleButton(QPainter& p, const QColor& fill, const QColor& edge)
{
    QRadialGradient g(QPointF(26, 22), 36);
    g.setColorAt(0, fill.lighter(135));
    g.setColorAt(1, fill);
    p.setPen(pen(edge));
    p.setBrush(g);
    p.drawEllipse(QRectF(5, 5, 54, 54));
}

void clipboardBoard(QPainter& p, const QRectF& r)
{
    outlined(p, QColor(0xc9, 0x8b, 0x4a), QColor(0x7a, 0x4f, 0x22));
    p.drawRoundedRect(r, 4, 4);
    const QRectF page = r.adjusted(5, 8, -5, -5);
    outlined(p, kPaper, kInk, 2.5);
    p.drawRect(page);
    textLines(p, page.adjusted(4, 7, -4, -8), {0.9, 0.7, 0.85, 0.5}, kLine, 2.5);
    const qreal cw = r.width() * 0.42;
    outlined(p, QColor(0xb8, 0xc0, 0xc8), kInk, 2.5);
    p.drawRoundedRect(QRectF(r.center().x() - cw / 2, r.top() - 4, cw, 10), 3, 3);
}

void magnifier(QPainter& p, const QPointF& c, qreal r)
{
    const qreal a = r * 0.70710678;
    p.setPen(pen(kInk, 9));
    p.drawLine(QPointF(c.x() + a, c.y() + a), QPointF(c.x() + r * 1.75, c.y() + r * 1.75));
    p.setPen(pen(kBlueDark, 4.5));
    QRadialGradient g(c - QPointF(r / 3, r / 3), r * 1.3);
    g.setColorAt(0, QColor(0xf2, 0xf8, 0xff, 235));
    g.setColorAt(1, QColor(0xb9, 0xd4, 0xf0, 235));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

void arrowHead(QPainter& p, const QPointF& tip, qreal angleDeg, qreal size, const QColor& c)
{
    p.save();
    p.translate(tip);
    p.rotate(angleDeg);
    QPolygonF head;
    head << QPointF(0, 0) << QPointF(-size, -size * 0.7) << QPointF(-size, size * 0.7);
    p.setPen(pen(c, 1.5));
    p.setBrush(c);
    p.drawPolygon(head);
    p.restore();
}

// A straight arrow with a shaft of width w, from a to b.
void arrow(QPainter& p, const QPointF& a, const QPointF& b, qreal w, const QColor& c)
{
    const QLineF line(a, b);
    const qreal head = w * 2.4;
    QLineF shaft(a, b);
    shaft.setLength(qMax<qreal>(0, line.length() - head * 0.8));
    p.setPen(pen(c, w));
    p.drawLine(shaft);
    arrowHead(p, b, -line.angle(), head, c);
}

// A circular arrow around c with radius r, from startDeg turning by spanDeg (positive is
// counter-clockwise, the painter's convention).
void arcArrow(QPainter& p, const QPointF& c, qreal r, qreal startDeg, qreal spanDeg, const QColor& col, qreal w)
{
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    const qreal headDeg = 2.2 * w / r * 180.0 / M_PI; // leave room for the head
    const qreal sign = spanDeg >= 0 ? 1 : -1;
    QPainterPath arc;
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, spanDeg - sign * headDeg * 0.6);
    p.setPen(pen(col, w));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    const qreal endDeg = startDeg + spanDeg;
    const qreal rad = qDegreesToRadians(endDeg);
    const QPointF tip(c.x() + r * std::cos(rad), c.y() - r * std::sin(rad));
    // The tangent of a counter-clockwise turn at angle t points at t + 90 degrees (y down).
    const qreal tangent = -(endDeg + sign * 90.0);
    arrowHead(p, tip, tangent, w * 2.3, col);
}

void checkBox(QPainter& p, const QRectF& r, bool checked)
{
    outlined(p, kPaper, kInk);
    p.drawRoundedRect(r, 2.5, 2.5);
    if (checked) {
        p.setPen(pen(kGreen, 4.5));
        p.setBrush(Qt::NoBrush);
        QPainterPath tick;
        tick.moveTo(r.left() + r.width() * 0.2, r.top() + r.height() * 0.52);
        tick.lineTo(r.left() + r.width() * 0.43, r.top() + r.height() * 0.76);
        tick.lineTo(r.left() + r.width() * 0.85, r.top() + r.height() * 0.22);
        p.drawPath(tick);
    }
}

void eraser(QPainter& p)
{
    p.save();
    p.translate(33, 33);
    p.rotate(-38);
    outlined(p, kPink, kRedDark);
    p.drawRoundedRect(QRectF(-24, -11, 20, 22), 3, 3);
    outlined(p, kBlueLight, kBlueDark);
    p.drawRoundedRect(QRectF(-4, -11, 28, 22), 3, 3);
    p.restore();
    p.setPen(pen(kLine, 3));
    p.drawLine(QPointF(6, 58), QPointF(24, 58));
    p.drawLine(QPointF(30, 58), QPointF(40, 58));
}

void gear(QPainter& p)
{
    QPainterPath shape;
    shape.addEllipse(QPointF(32, 32), 19, 19);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(32, 32);
        t.rotate(i * 45.0);
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-5.5, -27, 11, 12), 2, 2);
        shape = shape.united(t.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(32, 32), 8, 8);
    shape = shape.subtracted(hole);
    QLinearGradient g(0, 5, 0, 59);
    g.setColorAt(0, QColor(0x9c, 0xa9, 0xb8));
    g.setColorAt(1, QColor(0x5f, 0x6d, 0x7d));
    p.setPen(pen(kInk, 2.5));
    p.setBrush(g);
    p.drawPath(shape);
}

void clockFace(QPainter& p)
{
    outlined(p, kPaper, kPurpleDark, 5);
    p.drawEllipse(QPointF(32, 32), 25, 25);
    p.setPen(pen(kPurple, 3));
    for (int i = 0; i < 12; ++i) {
        const qreal a = qDegreesToRadians(i * 30.0);
        const qreal r0 = i % 3 == 0 ? 16.5 : 18.5;
        p.drawLine(QPointF(32 + r0 * std::cos(a), 32 + r0 * std::sin(a)),
                   QPointF(32 + 20.5 * std::cos(a), 32 + 20.5 * std::sin(a)));
    }
    p.setPen(pen(kInk, 4.5));
    p.drawLine(QPointF(32, 32), QPointF(32, 17));
    p.drawLine(QPointF(32, 32), QPointF(43, 37));
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(32, 32), 3, 3);
}

void calendar(QPainter& p)
{
    outlined(p, kPaper, kInk);
    p.drawRoundedRect(QRectF(7, 10, 50, 47), 4, 4);
    QPainterPath band;
    band.addRoundedRect(QRectF(7, 10, 50, 14), 4, 4);
    band.addRect(QRectF(7, 18, 50, 6));
    band.setFillRule(Qt::WindingFill);
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawPath(band.simplified());
    p.setPen(pen(kInk));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(7, 10, 50, 47), 4, 4);
    p.setPen(pen(kInk, 4));
    p.drawLine(QPointF(20, 5), QPointF(20, 15));
    p.drawLine(QPointF(44, 5), QPointF(44, 15));
    p.setPen(kInk);
    p.setFont(boldFont(24));
    p.drawText(QRectF(7, 24, 50, 33), Qt::AlignCenter, QStringLiteral("31"));
}

// A grid of cols x rows cells; highlight names one cell (column, row) or none.
void grid(QPainter& p, const QRectF& r, int cols, int rows, QPoint highlight = QPoint(-1, -1),
          const QColor& mark = kAmberLight)
{
    outlined(p, kPaper, kInk, 2.5);
    p.drawRect(r);
    const qreal cw = r.width() / cols, rh = r.height() / rows;
    if (highlight.x() >= 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(mark);
        p.drawRect(QRectF(r.left() + highlight.x() * cw, r.top() + highlight.y() * rh, cw, rh));
    }
    p.setPen(pen(kInk, 2));
    for (int i = 1; i < cols; ++i)
        p.drawLine(QPointF(r.left() + i * cw, r.top()), QPointF(r.left() + i * cw, r.bottom()));
    for (int i = 1; i < rows; ++i)
        p.drawLine(QPointF(r.left(), r.top() + i * rh), QPointF(r.right(), r.top() + i * rh));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kInk, 2.5));
    p.drawRect(r);
}

// A right triangle with a marked corner: shows how a picture turns or mirrors.
void markerShape(QPainter& p, const QTransform& t, bool filled)
{
    QPolygonF tri;
    tri << QPointF(-14, -14) << QPointF(14, 14) << QPointF(-14, 14);
    p.save();
    p.setTransform(t, true);
    p.setPen(pen(kBlueDark, 3));
    p.setBrush(filled ? QBrush(kBlue) : QBrush(kBlueLight));
    p.drawPolygon(tri);
    p.restore();
}

// ---- Venn diagrams of the set operations -------------------------------------------------------

struct EllipseShape
{
    QPointF centre; // in 64-grid units
    qreal a, b;     // semi-axes
    qreal angleDeg; // rotation of the a axis, counter-clockwise on screen
    bool contains(qreal x, qreal y) const
    {
        const qreal t = qDegreesToRadians(angleDeg);
        const qreal dx = x - centre.x(), dy = y - centre.y();
        // Screen y grows downwards, so a counter-clockwise turn uses -dy.
        const qreal u = dx * std::cos(t) - dy * std::sin(t);
        const qreal v = dx * std::sin(t) + dy * std::cos(t);
        return (u * u) / (a * a) + (v * v) / (b * b) <= 1.0;
    }
};

std::vector<EllipseShape> vennShapes(int sets, qreal height)
{
    if (sets == 1)
        return {{QPointF(32, 32), 26, 19, 0}};
    if (sets == 2)
        return {{QPointF(22.5, height / 2), 14.5, 13, 0}, {QPointF(41.5, height / 2), 14.5, 13, 0}};
    if (sets == 3)
        return {
            {QPointF(23.5, 24), 15.5, 15.5, 0}, {QPointF(40.5, 24), 15.5, 15.5, 0}, {QPointF(32, 39), 15.5, 15.5, 0}};
    // Four ellipses in two tilted pairs: the arrangement that gives all fifteen regions.
    const qreal s = 64;
    auto el = [&](qreal cx, qreal cy, qreal w, qreal h, qreal ang) {
        return EllipseShape{QPointF(cx * s, (1 - cy) * s + 4), w * s / 2, h * s / 2, ang};
    };
    return {el(0.350, 0.400, 0.72, 0.45, 140.0), el(0.450, 0.500, 0.72, 0.45, 140.0),
            el(0.544, 0.500, 0.72, 0.45, 40.0), el(0.644, 0.400, 0.72, 0.45, 40.0)};
}

// Which points are coloured: inside every set of `in`, outside every set of `out`; with `unionMode`
// inside any set at all.
struct VennRegion
{
    unsigned in = 0, out = 0;
    bool unionMode = false;
    bool inner = false; // one set only: an inner part stands for the lines seen more than once
};

// Renders by supersampling the set membership of each pixel, so regions are exact and their edges
// smooth; the outlines are drawn on top. Returns the number of coloured pixels.
int drawVenn(QImage& img, int sets, const VennRegion& region)
{
    const qreal scale = img.width() / 64.0;
    const qreal height = img.height() / scale;
    std::vector<EllipseShape> shapes = vennShapes(sets, height);
    EllipseShape innerShape{QPointF(38, 36), 12, 9, 0};
    // Fit the diagram to the picture, keeping its proportions.
    qreal left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    for (const EllipseShape& e : shapes) {
        const qreal t = qDegreesToRadians(e.angleDeg), c = std::cos(t), s = std::sin(t);
        const qreal hx = std::sqrt(e.a * e.a * c * c + e.b * e.b * s * s);
        const qreal hy = std::sqrt(e.a * e.a * s * s + e.b * e.b * c * c);
        left = qMin(left, e.centre.x() - hx);
        right = qMax(right, e.centre.x() + hx);
        top = qMin(top, e.centre.y() - hy);
        bottom = qMax(bottom, e.centre.y() + hy);
    }
    const qreal margin = 2.5;
    const qreal fit = qMin((64 - 2 * margin) / (right - left), (height - 2 * margin) / (bottom - top));
    const QPointF from((left + right) / 2, (top + bottom) / 2), to(32, height / 2);
    const auto place = [&](EllipseShape& e) {
        e.centre = to + (e.centre - from) * fit;
        e.a *= fit;
        e.b *= fit;
    };
    for (EllipseShape& e : shapes)
        place(e);
    place(innerShape);
    const QColor on(0x3d, 0x7c, 0xc9), off(0xf1, 0xf4, 0xf8);
    const int n = 4; // samples per axis
    int coloured = 0;
    for (int py = 0; py < img.height(); ++py) {
        for (int px = 0; px < img.width(); ++px) {
            int hitOn = 0, hitOff = 0;
            for (int sy = 0; sy < n; ++sy) {
                for (int sx = 0; sx < n; ++sx) {
                    const qreal x = (px + (sx + 0.5) / n) / scale;
                    const qreal y = (py + (sy + 0.5) / n) / scale;
                    unsigned mask = 0;
                    for (size_t i = 0; i < shapes.size(); ++i)
                        if (shapes[i].contains(x, y))
                            mask |= 1u << i;
                    if (!mask)
                        continue;
                    bool lit;
                    if (region.unionMode)
                        lit = true;
                    else if (region.inner)
                        lit = innerShape.contains(x, y);
                    else
                        lit = (mask & region.in) == region.in && (mask & region.out) == 0;
                    ++(lit ? hitOn : hitOff);
                }
            }
            const int total = n * n;
            if (hitOn + hitOff == 0)
                continue;
            if (hitOn * 2 >= total)
                ++coloured;
            const qreal fOn = qreal(hitOn) / total, fOff = qreal(hitOff) / total, alpha = fOn + fOff;
            const auto mix = [&](int a, int b) { return qRound((a * fOn + b * fOff) / alpha); };
            const QColor c(mix(on.red(), off.red()), mix(on.green(), off.green()), mix(on.blue(), off.blue()),
                           qRound(alpha * 255));
            img.setPixelColor(px, py, c);
        }
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(kInk, sets == 4 ? 1.6 : 2.0));
    for (const EllipseShape& e : shapes) {
        p.save();
        p.translate(e.centre);
        p.rotate(-e.angleDeg);
        p.drawEllipse(QPointF(0, 0), e.a, e.b);
        p.restore();
    }
    if (region.inner) {
        p.setPen(pen(kInk, 1.6));
        p.drawEllipse(innerShape.centre, innerShape.a, innerShape.b);
    }
    return coloured;
}

// ---- The pictures ---------------------------------------------------------------------------------

using Glyph = std::function<void(QPainter&)>;

struct Picture
{
    QString path; // below src/resources, as in the resource file
    QSize size;
    Glyph draw;                                    // painted on the 64 grid (scaled to the size)
    std::function<bool(QImage&)> render = nullptr; // draws in pixels itself; false means failure
};

void logo(QPainter& p)
{
    // The four columns of values feed one welded line of text.
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, kBlue.lighter(125));
    g.setColorAt(1, kBlueDark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    const QColor heads[] = {kAmber, kGreen.lighter(120), QColor(0x8f, 0xc3, 0xf5), kPink};
    for (int i = 0; i < 4; ++i) {
        const QRectF col(8.5 + i * 12.5, 8, 9.5, 24);
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawRoundedRect(col, 1.8, 1.8);
        p.setBrush(heads[i]);
        p.drawRoundedRect(QRectF(col.left(), col.top(), col.width(), 5), 1.8, 1.8);
        p.setPen(pen(kLine, 1.3));
        for (int k = 0; k < 3; ++k)
            p.drawLine(QPointF(col.left() + 2, col.top() + 10 + k * 4.5),
                       QPointF(col.right() - 2 - (k % 2) * 2, col.top() + 10 + k * 4.5));
        p.setPen(pen(QColor(255, 255, 255, 200), 1.8));
        p.setBrush(Qt::NoBrush);
        QPainterPath feed;
        feed.moveTo(col.center().x(), col.bottom() + 1);
        feed.cubicTo(col.center().x(), 42, 32, 38, 32, 45);
        p.drawPath(feed);
    }
    p.setPen(pen(kAmber, 6));
    p.drawLine(QPointF(13, 51), QPointF(51, 51));
    p.setPen(pen(kPaper, 1.6));
    for (int k = 0; k < 4; ++k)
        p.drawLine(QPointF(17 + k * 9.5, 49.2), QPointF(21 + k * 9.5, 52.8));
}

bool renderBanner(QImage& img)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient bg(0, 0, 0, img.height());
    bg.setColorAt(0, QColor(0xf7, 0xfa, 0xfd));
    bg.setColorAt(1, kBlueLight);
    p.fillRect(img.rect(), bg);
    p.save();
    p.translate(18, 15);
    p.scale(128 / 64.0, 128 / 64.0);
    logo(p);
    p.restore();
    p.setPen(kBlueDark);
    p.setFont(boldFont(50));
    p.drawText(QRectF(162, 26, 260, 64), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lineweld"));
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(17);
    p.setFont(mono);
    p.setPen(kInk);
    p.drawText(QRectF(166, 92, 256, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("#1# #2# #3# #4#"));
    p.setPen(pen(kAmber, 4));
    p.drawLine(QPointF(168, 124), QPointF(400, 124));
    return true;
}

std::vector<Picture> pictures()
{
    std::vector<Picture> list;
    auto add = [&](const QString& path, int size, Glyph g) { list.push_back({path, QSize(size, size), g, nullptr}); };
    const QString tb = QStringLiteral("toolbar/images/"), mn = QStringLiteral("menu/images/"),
                  mt = QStringLiteral("meta/images/"), pm = QStringLiteral("popmenu/images/"),
                  wn = QStringLiteral("window/images/");

    // Tool bar of the main window (shown at 16 to 32 pixels, drawn at 64).
    add(tb + "addmeta.png", 64, [](QPainter& p) {
        column(p, QRectF(10, 5, 30, 52));
        badge(p, QPointF(45, 45), 14, kGreen, Badge::Plus);
    });
    add(tb + "removemeta.png", 64, [](QPainter& p) {
        column(p, QRectF(10, 5, 30, 52));
        badge(p, QPointF(45, 45), 14, kRed, Badge::Minus);
    });
    add(tb + "selectall.png", 64, [](QPainter& p) {
        for (int i = 0; i < 3; ++i) {
            checkBox(p, QRectF(6, 5 + i * 19, 16, 16), true);
            textLines(p, QRectF(29, 13 + i * 19, 29, 0), {1.0}, kInk, 3.5);
        }
    });
    add(tb + "unselect.png", 64, [](QPainter& p) {
        for (int i = 0; i < 3; ++i) {
            checkBox(p, QRectF(6, 5 + i * 19, 16, 16), false);
            textLines(p, QRectF(29, 13 + i * 19, 29, 0), {1.0}, kLine, 3.5);
        }
    });
    add(tb + "clean.png", 64, [](QPainter& p) { eraser(p); });
    add(tb + "64_number.png", 64, [](QPainter& p) { letterTile(p, QStringLiteral("123"), kBlue, kBlueDark, 21); });
    add(tb + "64_letter.png", 64, [](QPainter& p) { letterTile(p, QStringLiteral("Abc"), kGreen, kGreenDark, 21); });
    add(tb + "64_date.png", 64, [](QPainter& p) { calendar(p); });
    add(tb + "64_time.png", 64, [](QPainter& p) { clockFace(p); });
    add(tb + "setting.png", 64, [](QPainter& p) { gear(p); });
    add(tb + "64_onebyone.png", 64, [](QPainter& p) {
        // Matches in a text receive the values one after the other.
        sheet(p, QRectF(6, 4, 52, 56));
        textLines(p, QRectF(12, 16, 38, 32), {0.25, 0.9, 0.35}, kLine, 3);
        const QRectF boxes[] = {QRectF(21, 9, 20, 14), QRectF(12, 27, 22, 14), QRectF(29, 41, 22, 14)};
        for (int i = 0; i < 3; ++i) {
            outlined(p, i < 2 ? kAmber : kPaper, kAmberDark, 2.5);
            p.drawRoundedRect(boxes[i], 3, 3);
            p.setPen(i < 2 ? kPaper : kAmberDark);
            p.setFont(boldFont(12));
            p.drawText(boxes[i], Qt::AlignCenter, QString::number(i + 1));
        }
    });
    add(tb + "64_enter.png", 64, [](QPainter& p) {
        QPainterPath path;
        path.moveTo(50, 10);
        path.lineTo(50, 38);
        path.lineTo(22, 38);
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kBlueDark, 12));
        p.drawPath(path);
        p.setPen(pen(kBlue, 7));
        p.drawPath(path);
        QPolygonF head;
        head << QPointF(6, 38) << QPointF(24, 24) << QPointF(24, 52);
        p.setPen(pen(kBlueDark, 2.5));
        p.setBrush(kBlue);
        p.drawPolygon(head);
    });
    add(tb + "64_clipboard.png", 64, [](QPainter& p) { clipboardBoard(p, QRectF(10, 9, 44, 51)); });
    add(tb + "start.png", 64, [](QPainter& p) {
        circleButton(p, kGreen, kGreenDark);
        QPolygonF tri;
        tri << QPointF(25, 18) << QPointF(46, 32) << QPointF(25, 46);
        p.setPen(pen(kPaper, 3));
        p.setBrush(kPaper);
        p.drawPolygon(tri);
    });
    add(tb + "stop.png", 64, [](QPainter& p) {
        circleButton(p, kRed, kRedDark);
        p.setPen(pen(kPaper, 3));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(22, 22, 20, 20), 2.5, 2.5);
    });
    add(tb + "64_compare.png", 64, [](QPainter& p) {
        p.setPen(pen(kBlueDark, 3));
        p.setBrush(QColor(0x2f, 0x6f, 0xb3, 150));
        p.drawEllipse(QPointF(24, 32), 18, 18);
        p.setPen(pen(kAmberDark, 3));
        p.setBrush(QColor(0xf0, 0xa8, 0x2a, 150));
        p.drawEllipse(QPointF(40, 32), 18, 18);
    });
    add(tb + "split.png", 64, [](QPainter& p) {
        // One line of text cut at its separators into three columns.
        outlined(p, kPaper, kInk, 2.5);
        p.drawRoundedRect(QRectF(5, 5, 54, 13), 2, 2);
        p.setPen(pen(kLine, 3));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(10 + i * 18, 11.5), QPointF(18 + i * 18, 11.5));
        p.setPen(pen(kRed, 3));
        p.drawLine(QPointF(23, 8), QPointF(23, 15));
        p.drawLine(QPointF(41, 8), QPointF(41, 15));
        arrow(p, QPointF(32, 21), QPointF(32, 33), 3.5, kGreen);
        for (int i = 0; i < 3; ++i) {
            const QRectF c(5 + i * 19, 36, 16, 24);
            outlined(p, kPaper, kInk, 2.5);
            p.drawRoundedRect(c, 2, 2);
            p.setPen(Qt::NoPen);
            p.setBrush(kBlue);
            p.drawRect(c.adjusted(1.5, 1.5, -1.5, -c.height() + 6));
            textLines(p, QRectF(c.left() + 4, c.top() + 12, 8, 8), {1.0, 0.7}, kLine, 2.5);
        }
    });
    add(tb + "match.png", 64, [](QPainter& p) {
        grid(p, QRectF(4, 4, 42, 42), 3, 3, QPoint(1, 1));
        magnifier(p, QPointF(30, 30), 13);
        p.setPen(kPurpleDark);
        p.setFont(boldFont(13, QStringLiteral("DejaVu Sans Mono")));
        p.drawText(QRectF(17, 17, 26, 26), Qt::AlignCenter, QStringLiteral(".*"));
    });
    add(tb + "resize.png", 64, [](QPainter& p) {
        // A tall narrow block of cells re-flowed into a wide one.
        grid(p, QRectF(4, 6, 16, 52), 1, 4);
        arrow(p, QPointF(24, 32), QPointF(38, 32), 3.5, kGreen);
        grid(p, QRectF(41, 18, 20, 28), 2, 2);
    });
    add(tb + "script.png", 64, [](QPainter& p) {
        // A list of rules: this becomes that.
        sheet(p, QRectF(6, 4, 52, 56));
        for (int i = 0; i < 3; ++i) {
            const qreal y = 18 + i * 14;
            p.setPen(pen(kBlue, 4));
            p.drawLine(QPointF(12, y), QPointF(22, y));
            arrow(p, QPointF(26, y), QPointF(36, y), 2.5, kInk);
            p.setPen(pen(kGreen, 4));
            p.drawLine(QPointF(40, y), QPointF(50, y));
        }
    });
    add(tb + "64_load.png", 64, [](QPainter& p) { folder(p); });
    add(tb + "64_save.png", 64, [](QPainter& p) { disk(p); });
    add(tb + "64_saveas.png", 64, [](QPainter& p) {
        disk(p, QRectF(4, 4, 44, 44));
        pencil(p, QPointF(32, 58), 34, -40);
    });
    add(tb + "64undo.png", 64, [](QPainter& p) { undoArrow(p, false); });
    add(tb + "64redo.png", 64, [](QPainter& p) { undoArrow(p, true); });
    add(tb + "64_help.png", 64, [](QPainter& p) {
        circleButton(p, kBlue, kBlueDark);
        p.setPen(kPaper);
        p.setFont(boldFont(38));
        p.drawText(QRectF(5, 5, 54, 54), Qt::AlignCenter, QStringLiteral("?"));
    });
    add(tb + "64_about.png", 64, [](QPainter& p) {
        circleButton(p, kBlue, kBlueDark);
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(32, 18.5), 4.5, 4.5);
        p.drawRoundedRect(QRectF(27.5, 27, 9, 23), 2.5, 2.5);
    });

    // Menu entries (32 pixels).
    add(mn + "export.png", 32, [](QPainter& p) {
        sheet(p, QRectF(6, 6, 36, 52));
        textLines(p, QRectF(12, 22, 22, 24), {0.9, 0.6, 0.8});
        arrow(p, QPointF(26, 38), QPointF(60, 38), 7, kGreen);
    });
    add(mn + "exit.png", 32, [](QPainter& p) {
        // The power sign.
        const QRectF box(10, 12, 44, 44);
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(kRedDark, 12));
        p.drawArc(box, 120 * 16, 300 * 16);
        p.drawLine(QPointF(32, 6), QPointF(32, 30));
        p.setPen(pen(kRed, 7));
        p.drawArc(box, 120 * 16, 300 * 16);
        p.drawLine(QPointF(32, 6), QPointF(32, 30));
    });
    auto zoomGlyph = [](int kind) {
        return [kind](QPainter& p) {
            magnifier(p, QPointF(26, 26), 19);
            p.setPen(pen(kBlueDark, 6));
            if (kind == 2) {
                // Actual size: 1:1.
                p.drawLine(QPointF(18, 18), QPointF(18, 34));
                p.drawLine(QPointF(34, 18), QPointF(34, 34));
                p.setPen(Qt::NoPen);
                p.setBrush(kBlueDark);
                p.drawEllipse(QPointF(26, 21), 2.6, 2.6);
                p.drawEllipse(QPointF(26, 31), 2.6, 2.6);
                return;
            }
            p.drawLine(QPointF(16, 26), QPointF(36, 26));
            if (kind == 0)
                p.drawLine(QPointF(26, 16), QPointF(26, 36));
        };
    };
    add(mn + "zoomin.png", 32, zoomGlyph(0));
    add(mn + "zoomout.png", 32, zoomGlyph(1));
    add(mn + "zoom.png", 32, zoomGlyph(2));

    // Buttons of a column (shown at 16 pixels, drawn at 32).
    add(mt + "insert.png", 32, [](QPainter& p) {
        column(p, QRectF(26, 5, 32, 54));
        badge(p, QPointF(16, 34), 14, kGreen, Badge::Plus);
    });
    add(mt + "append.png", 32, [](QPainter& p) {
        column(p, QRectF(6, 5, 32, 54));
        badge(p, QPointF(48, 34), 14, kGreen, Badge::Plus);
    });
    add(mt + "remove.png", 32, [](QPainter& p) {
        column(p, QRectF(8, 5, 32, 54));
        badge(p, QPointF(45, 44), 15, kRed, Badge::Cross);
    });
    add(mt + "N.png", 32, [](QPainter& p) { letterTile(p, QStringLiteral("N"), kBlue, kBlueDark, 40); });
    add(mt + "A.png", 32, [](QPainter& p) { letterTile(p, QStringLiteral("A"), kGreen, kGreenDark, 40); });
    add(mt + "D.png", 32, [](QPainter& p) { letterTile(p, QStringLiteral("D"), kAmber, kAmberDark, 40); });
    add(mt + "T.png", 32, [](QPainter& p) { letterTile(p, QStringLiteral("T"), kPurple, kPurpleDark, 40); });
    add(mt + "load.png", 32, [](QPainter& p) { folder(p); });
    add(mt + "save.png", 32, [](QPainter& p) { disk(p); });
    add(mt + "undo.png", 32, [](QPainter& p) { undoArrow(p, false); });
    add(mt + "redo.png", 32, [](QPainter& p) { undoArrow(p, true); });
    add(mt + "clear.png", 32, [](QPainter& p) { eraser(p); });
    add(mt + "copy.png", 32, [](QPainter& p) {
        sheet(p, QRectF(6, 4, 32, 40), false);
        textLines(p, QRectF(12, 14, 20, 18), {0.9, 0.6, 0.8});
        sheet(p, QRectF(24, 20, 34, 40), false);
        textLines(p, QRectF(30, 30, 22, 20), {0.9, 0.6, 0.8});
    });
    add(mt + "paste.png", 32, [](QPainter& p) {
        clipboardBoard(p, QRectF(6, 8, 36, 50));
        sheet(p, QRectF(30, 26, 28, 34), false);
        textLines(p, QRectF(35, 36, 18, 16), {0.9, 0.6, 0.8});
    });
    add(mt + "reverse.png", 32, [](QPainter& p) {
        arrow(p, QPointF(20, 6), QPointF(20, 58), 7, kBlue);
        arrow(p, QPointF(44, 58), QPointF(44, 6), 7, kGreen);
    });

    // Context menus of the editors and the cell grid (32 pixels).
    add(pm + "padding.png", 32, [](QPainter& p) {
        // Lines of different lengths padded with spaces to one width.
        const qreal lens[] = {0.75, 0.4, 0.95, 0.55};
        for (int i = 0; i < 4; ++i) {
            const qreal y = 12 + i * 13, end = 6 + 44 * lens[i];
            p.setPen(pen(kInk, 5));
            p.drawLine(QPointF(6, y), QPointF(end, y));
            p.setPen(Qt::NoPen);
            p.setBrush(kBlue);
            for (qreal x = end + 6; x <= 51; x += 6)
                p.drawEllipse(QPointF(x, y), 1.9, 1.9);
        }
        p.setPen(pen(kAmberDark, 3));
        p.drawLine(QPointF(57, 5), QPointF(57, 59));
    });
    auto alignGlyph = [](Qt::Alignment a) {
        return [a](QPainter& p) { textLines(p, QRectF(6, 10, 52, 44), {1.0, 0.6, 0.85, 0.5, 0.75}, kInk, 5, a); };
    };
    add(pm + "align_left.png", 32, alignGlyph(Qt::AlignLeft));
    add(pm + "align_right.png", 32, alignGlyph(Qt::AlignRight));
    add(pm + "align_center.png", 32, alignGlyph(Qt::AlignHCenter));
    auto rotateGlyph = [](qreal deg) {
        return [deg](QPainter& p) {
            // The marker as it stands after the turn, under an arrow showing the way it turned.
            QTransform t;
            t.translate(32, 36);
            t.rotate(deg);
            t.scale(0.62, 0.62);
            markerShape(p, t, true);
            // Clockwise turns run negative in the painter's angles.
            if (deg == 180)
                arcArrow(p, QPointF(32, 34), 24, 180, -270, kGreen, 5);
            else if (deg == 90)
                arcArrow(p, QPointF(32, 34), 24, 180, -180, kGreen, 5);
            else
                arcArrow(p, QPointF(32, 34), 24, 0, 180, kGreen, 5);
        };
    };
    add(pm + "rotate90.png", 32, rotateGlyph(90));
    add(pm + "rotate270.png", 32, rotateGlyph(-90));
    add(pm + "rotate180.png", 32, rotateGlyph(180));
    auto flipGlyph = [](bool horizontal) {
        return [horizontal](QPainter& p) {
            p.save();
            if (!horizontal) {
                p.translate(32, 32);
                p.rotate(90);
                p.translate(-32, -32);
            }
            QTransform left;
            left.translate(16, 32);
            left.scale(0.7, 1.2);
            markerShape(p, left, true);
            QTransform right;
            right.translate(48, 32);
            right.scale(-0.7, 1.2);
            markerShape(p, right, false);
            QPen axis = pen(kRed, 3);
            axis.setDashPattern({2, 2});
            p.setPen(axis);
            p.drawLine(QPointF(32, 3), QPointF(32, 61));
            p.restore();
        };
    };
    add(pm + "fliph.png", 32, flipGlyph(true));
    add(pm + "flipv.png", 32, flipGlyph(false));

    // The window icon and the about box picture; the 64-pixel logo is the desktop's icon theme size.
    add(wn + "logo.png", 256, logo);
    add(wn + "logo64.png", 64, logo);
    list.push_back({wn + "logo2.png", QSize(428, 158), nullptr, renderBanner});
    return list;
}

// Set operations: the file name tells the region. "2set1" is only in S1, "3inter12" in S1 and S2 but
// not S3, "4inter13_24" in S1 and S3 but neither S2 nor S4; "Ninter" is all of them, "Nunion" any.
std::vector<Picture> vennPictures(int* failures)
{
    struct VennPlan
    {
        const char* name;
        int sets;
        VennRegion region;
    };
    auto bits = [](const char* digits) {
        unsigned m = 0;
        for (const char* c = digits; *c; ++c)
            m |= 1u << (*c - '1');
        return m;
    };
    auto only = [](unsigned in, unsigned out) { return VennRegion{in, out, false, false}; };
    std::vector<VennPlan> plans = {
        {"1elipse_seized", 1, VennRegion{1, 0, false, false}},
        {"1elipse_exclude", 1, VennRegion{1, 0, false, true}},
        {"2inter", 2, only(bits("12"), 0)},
        {"2union", 2, VennRegion{0, 0, true, false}},
        {"2set1", 2, only(bits("1"), bits("2"))},
        {"2set2", 2, only(bits("2"), bits("1"))},
        {"3inter", 3, only(bits("123"), 0)},
        {"3union", 3, VennRegion{0, 0, true, false}},
        {"3inter12", 3, only(bits("12"), bits("3"))},
        {"3inter23", 3, only(bits("23"), bits("1"))},
        {"3inter13", 3, only(bits("13"), bits("2"))},
        {"3set1", 3, only(bits("1"), bits("23"))},
        {"3set2", 3, only(bits("2"), bits("13"))},
        {"3set3", 3, only(bits("3"), bits("12"))},
        {"4inter", 4, only(bits("1234"), 0)},
        {"4union", 4, VennRegion{0, 0, true, false}},
        {"4set1", 4, only(bits("1"), bits("234"))},
        {"4set2", 4, only(bits("2"), bits("134"))},
        {"4set3", 4, only(bits("3"), bits("124"))},
        {"4set4", 4, only(bits("4"), bits("123"))},
        {"4inter12_34", 4, only(bits("12"), bits("34"))},
        {"4inter34_12", 4, only(bits("34"), bits("12"))},
        {"4inter13_24", 4, only(bits("13"), bits("24"))},
        {"4inter23_14", 4, only(bits("23"), bits("14"))},
        {"4inter24_13", 4, only(bits("24"), bits("13"))},
        {"4inter14_23", 4, only(bits("14"), bits("23"))},
        {"4inter123_4", 4, only(bits("123"), bits("4"))},
        {"4inter124_3", 4, only(bits("124"), bits("3"))},
        {"4inter134_2", 4, only(bits("134"), bits("2"))},
        {"4inter234_1", 4, only(bits("234"), bits("1"))},
    };
    std::vector<Picture> list;
    for (const VennPlan& s : plans) {
        const QString name = QString::fromLatin1(s.name);
        const QSize size(64, s.sets == 2 ? 32 : 64);
        const int sets = s.sets;
        const VennRegion region = s.region;
        list.push_back({QStringLiteral("diff/images/") + name + QStringLiteral(".png"), size, nullptr,
                        [sets, region, name, failures](QImage& img) {
                            // A region too small to see would make its button useless.
                            if (drawVenn(img, sets, region) < 6) {
                                QTextStream(stderr) << "region of " << name << " is (nearly) empty\n";
                                ++*failures;
                                return false;
                            }
                            return true;
                        }});
    }
    return list;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: make_icons <path to src/resources>\n";
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    if (!root.exists()) {
        err << "no such folder: " << root.path() << "\n";
        return 2;
    }
    int failures = 0;
    std::vector<Picture> all = pictures();
    for (Picture& p : vennPictures(&failures))
        all.push_back(std::move(p));

    for (const Picture& pic : all) {
        QImage img(pic.size, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        bool ok = true;
        if (pic.render) {
            ok = pic.render(img);
        } else {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.scale(pic.size.width() / 64.0, pic.size.height() / 64.0);
            pic.draw(p);
        }
        const QString file = root.filePath(pic.path);
        if (!ok)
            continue;
        if (!QDir().mkpath(QFileInfo(file).path()) || !img.save(file, "PNG")) {
            err << "cannot write " << file << "\n";
            ++failures;
            continue;
        }
        QTextStream(stdout) << pic.path << "\n";
    }
    return failures == 0 ? 0 : 1;
}
