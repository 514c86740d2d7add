#include "artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace artwork {

namespace {

constexpr int FlagWidth = 24;
constexpr int FlagHeight = 12;

void drawUnionFlag(QPainter& p) {
    const QColor red(206, 8, 0);
    const QColor white(255, 255, 255);
    const QColor blue(0, 19, 196);
    p.fillRect(0, 0, FlagWidth, FlagHeight, blue);
    // Saltires: broad white diagonals with narrow red ones inside them.
    p.setPen(QPen(white, 3));
    p.drawLine(0, 0, FlagWidth, FlagHeight);
    p.drawLine(0, FlagHeight, FlagWidth, 0);
    p.setPen(QPen(red, 1));
    p.drawLine(0, 0, FlagWidth, FlagHeight);
    p.drawLine(0, FlagHeight, FlagWidth, 0);
    // The cross of St George on a white border.
    p.fillRect(10, 0, 4, FlagHeight, white);
    p.fillRect(0, 4, FlagWidth, 4, white);
    p.fillRect(11, 0, 2, FlagHeight, red);
    p.fillRect(0, 5, FlagWidth, 2, red);
}

void drawDanishFlag(QPainter& p) {
    p.fillRect(0, 0, FlagWidth, FlagHeight, QColor(247, 33, 16));
    // The white cross, two pixels wide, after 8 columns and 5 rows of red.
    p.fillRect(8, 0, 2, FlagHeight, Qt::white);
    p.fillRect(0, 5, FlagWidth, 2, Qt::white);
}

void drawGermanFlag(QPainter& p) {
    p.fillRect(0, 0, FlagWidth, 4, QColor(0, 0, 0));
    p.fillRect(0, 4, FlagWidth, 4, QColor(255, 33, 8));
    p.fillRect(0, 8, FlagWidth, 4, QColor(255, 231, 33));
}

}  // namespace

QImage flagPicture(Flag flag) {
    QImage picture(FlagWidth + 2, FlagHeight + 2, QImage::Format_RGB32);
    picture.fill(FlagFrameGrey);
    {
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(1, 1);
        p.setClipRect(0, 0, FlagWidth, FlagHeight);
        switch (flag) {
            case Flag::UnitedKingdom:
                drawUnionFlag(p);
                break;
            case Flag::Denmark:
                drawDanishFlag(p);
                break;
            case Flag::Germany:
                drawGermanFlag(p);
                break;
        }
    }
    // The frame's colour is the bottom-left pixel's; it is drawn transparent.
    const QRgb transparent = picture.pixel(0, picture.height() - 1);
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            if (picture.pixel(x, y) == transparent) {
                result.setPixel(x, y, qRgba(0, 0, 0, 0));
            }
        }
    }
    return result;
}

QIcon flagIcon(Flag flag) {
    return QIcon(QPixmap::fromImage(flagPicture(flag)));
}

QImage programIcon() {
    QImage icon(23, 28, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor steel(70, 78, 90);
    // Crown and the lap button.
    p.fillRect(QRectF(9.5, 0.5, 4, 2.5), steel);
    p.fillRect(QRectF(10.5, 3, 2, 2), steel);
    p.save();
    p.translate(18.5, 7.5);
    p.rotate(45);
    p.fillRect(QRectF(-1.5, -1.5, 3, 3), steel);
    p.restore();
    // Case and face.
    const QRectF dial(1.5, 5.5, 20, 20);
    p.setPen(QPen(steel, 2));
    p.setBrush(QColor(250, 250, 246));
    p.drawEllipse(dial);
    // A green sector: the lap being timed.
    QPainterPath lap;
    lap.moveTo(dial.center());
    lap.arcTo(dial.adjusted(2.5, 2.5, -2.5, -2.5), 90, -110);
    lap.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 170, 70));
    p.drawPath(lap);
    // Ticks and the hand.
    p.setPen(QPen(steel, 1));
    for (int i = 0; i < 12; i += 3) {
        p.save();
        p.translate(dial.center());
        p.rotate(30.0 * i);
        p.drawLine(QPointF(0, -8.5), QPointF(0, -6.5));
        p.restore();
    }
    p.setPen(QPen(QColor(200, 20, 20), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(dial.center(), dial.center() + QPointF(5.5, 3));
    p.setBrush(steel);
    p.setPen(Qt::NoPen);
    p.drawEllipse(dial.center(), 1.3, 1.3);
    return icon;
}

}  // namespace artwork
