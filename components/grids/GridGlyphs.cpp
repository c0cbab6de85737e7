#include "components/grids/GridGlyphs.h"

#include <QHash>
#include <QPainter>
#include <QPolygon>

namespace {

// A black triangle pointing up, down, left or right, in a box of w x h pixels at x.
void Triangle(QPainter& p, int x, int w, int h, char direction) {
    QPolygon shape;
    switch (direction) {
    case 'u':
        shape << QPoint(x, h - 1) << QPoint(x + w - 1, h - 1) << QPoint(x + (w - 1) / 2, 0);
        break;
    case 'd':
        shape << QPoint(x, 0) << QPoint(x + w - 1, 0) << QPoint(x + (w - 1) / 2, h - 1);
        break;
    case 'l':
        shape << QPoint(x + w - 1, 0) << QPoint(x + w - 1, h - 1) << QPoint(x, (h - 1) / 2);
        break;
    default:
        shape << QPoint(x, 0) << QPoint(x, h - 1) << QPoint(x + w - 1, (h - 1) / 2);
        break;
    }
    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    p.drawPolygon(shape);
}

QPixmap Make(int width, int height, const QList<QPair<int, char>>& triangles, int w, int h) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (const auto& [x, direction] : triangles)
        Triangle(painter, x, w, h, direction);
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

QPixmap GridGlyph(const QString& name) {
    static const QHash<QString, QPixmap> glyphs{
        {"BBUP", Make(9, 5, {{0, 'u'}}, 9, 5)},
        {"BBDOWN", Make(9, 5, {{0, 'd'}}, 9, 5)},
        {"MOPREVYEAR", Make(10, 9, {{0, 'l'}, {5, 'l'}}, 5, 9)},
        {"MOPREVMONTH", Make(5, 9, {{0, 'l'}}, 5, 9)},
        {"MONEXTMONTH", Make(5, 9, {{0, 'r'}}, 5, 9)},
        {"MONEXTYEAR", Make(10, 9, {{0, 'r'}, {5, 'r'}}, 5, 9)},
    };
    return glyphs.value(name);
}
