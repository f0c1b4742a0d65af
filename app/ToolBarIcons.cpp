#include "app/ToolBarIcons.h"

#include "app/MenuCommands.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace tav {

namespace {

// Every picture is drawn on a 24 by 24 grid and scaled to the sizes the icon offers.
constexpr int kGrid = 24;

const QColor kInk(45, 45, 55);
const QColor kGreen(40, 160, 60);
const QColor kRed(200, 40, 40);
const QColor kBlue(50, 90, 190);
const QColor kPaper(250, 250, 240);
const QColor kWood(150, 100, 50);
const QColor kGold(230, 180, 30);

QPen Pen(const QColor& color, qreal width = 1.5) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A terminal: a dark screen with a prompt.
void Terminal(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(QColor(20, 40, 70));
    p.drawRoundedRect(QRectF(2, 3, 16, 13), 2, 2);
    p.setPen(Pen(QColor(120, 230, 120)));
    p.drawPolyline(QPolygonF({QPointF(5, 7), QPointF(8, 9.5), QPointF(5, 12)}));
    p.drawLine(QPointF(10, 12), QPointF(14, 12));
}

// The client: two linked boxes.
void Network(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(QColor(90, 130, 200));
    p.drawRect(QRectF(2, 3, 8, 6));
    p.drawRect(QRectF(10, 11, 8, 6));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(6, 9), QPointF(6, 14), QPointF(10, 14)}));
}

// A green plus (connect) or a red cross (disconnect) in the lower right corner.
void Badge(QPainter& p, bool connect) {
    p.setPen(Pen(Qt::white, 1));
    p.setBrush(connect ? kGreen : kRed);
    p.drawEllipse(QPointF(17.5, 17.5), 5.5, 5.5);
    p.setPen(Pen(Qt::white, 2));
    if (connect) {
        p.drawLine(QPointF(17.5, 14.5), QPointF(17.5, 20.5));
        p.drawLine(QPointF(14.5, 17.5), QPointF(20.5, 17.5));
    } else {
        p.drawLine(QPointF(15.5, 15.5), QPointF(19.5, 19.5));
        p.drawLine(QPointF(19.5, 15.5), QPointF(15.5, 19.5));
    }
}

void Page(QPainter& p, int lines) {
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(5, 2, 14, 20));
    p.setPen(Pen(QColor(120, 120, 130), 1));
    for (int i = 0; i < lines; ++i)
        p.drawLine(QPointF(8, 6 + 3 * i), QPointF(16, 6 + 3 * i));
}

void Bolt(QPainter& p) {
    p.setPen(Pen(kInk, 1));
    p.setBrush(kGold);
    p.drawPolygon(QPolygonF({QPointF(13, 1), QPointF(5, 13), QPointF(11, 13), QPointF(9, 23),
                             QPointF(19, 9), QPointF(13, 9), QPointF(16, 1)}));
}

void Letter(QPainter& p, const QString& text, const QRectF& box, const QColor& color, int px) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(px);
    font.setBold(true);
    p.setFont(font);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, text);
}

void Draw(QPainter& p, int command) {
    switch (command) {
    case kCmExit: // a door and an arrow out of it
        p.setPen(Pen(kInk));
        p.setBrush(kWood);
        p.drawRect(QRectF(3, 2, 11, 20));
        p.setBrush(kGold);
        p.drawEllipse(QPointF(11, 12), 1, 1);
        p.setPen(Pen(kRed, 2.5));
        p.drawLine(QPointF(10, 12), QPointF(21, 12));
        p.drawPolyline(QPolygonF({QPointF(17, 8), QPointF(21, 12), QPointF(17, 16)}));
        break;
    case kCmTermConnect:
    case kCmTermDisconnect:
        Terminal(p);
        Badge(p, command == kCmTermConnect);
        break;
    case kCmClientConnect:
    case kCmClientDisconnect:
        Network(p);
        Badge(p, command == kCmClientConnect);
        break;
    case kCmWho: // two people
        p.setPen(Pen(kInk, 1));
        for (const auto& [x, color] :
             {std::pair{8.0, QColor(100, 140, 210)}, std::pair{15.0, QColor(90, 170, 100)}}) {
            p.setBrush(color);
            p.drawEllipse(QPointF(x, 7), 3.5, 3.5);
            p.drawChord(QRectF(x - 6, 12, 12, 18), 0, 180 * 16);
        }
        break;
    case kCmOoc: // a speech bubble
        p.setPen(Pen(kInk));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(2, 3, 20, 13), 4, 4);
        p.drawPolygon(QPolygonF({QPointF(6, 15.5), QPointF(5, 21), QPointF(11, 15.5)}));
        p.setPen(Pen(kInk, 2));
        for (qreal x : {7.0, 12.0, 17.0})
            p.drawPoint(QPointF(x, 9.5));
        break;
    case kCmEquipment: { // a shield
        QPainterPath shield;
        shield.moveTo(12, 2);
        shield.lineTo(20, 5);
        shield.cubicTo(20, 14, 16, 19, 12, 22);
        shield.cubicTo(8, 19, 4, 14, 4, 5);
        shield.closeSubpath();
        p.setPen(Pen(kInk));
        p.setBrush(QColor(170, 170, 185));
        p.drawPath(shield);
        p.setPen(Pen(kRed, 2));
        p.drawLine(QPointF(12, 6), QPointF(12, 17));
        p.drawLine(QPointF(8, 10), QPointF(16, 10));
        break;
    }
    case kCmInventory: // a bag
        p.setPen(Pen(kInk));
        p.setBrush(kWood);
        p.drawEllipse(QRectF(3, 7, 18, 15));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(9, 7), QPointF(8, 3));
        p.drawLine(QPointF(15, 7), QPointF(16, 3));
        p.setPen(Pen(kGold, 2));
        p.drawLine(QPointF(8, 9), QPointF(16, 9));
        break;
    case kCmIdentify: // a magnifying glass
        p.setPen(Pen(kInk, 2));
        p.setBrush(QColor(200, 230, 250));
        p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
        p.setPen(Pen(kWood, 3.5));
        p.drawLine(QPointF(15, 15), QPointF(21, 21));
        break;
    case kCmMudCom: // a key pad
        p.setPen(Pen(kInk, 1));
        p.setBrush(QColor(210, 210, 220));
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.drawRoundedRect(QRectF(2.5 + 7 * col, 2.5 + 7 * row, 5.5, 5.5), 1, 1);
        break;
    case kCmMonitor: // hit, mana and move bars
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(QRectF(2, 3, 20, 18));
        p.setBrush(kRed);
        p.drawRect(QRectF(3, 5, 17, 4));
        p.setBrush(kBlue);
        p.drawRect(QRectF(3, 10, 12, 4));
        p.setBrush(kGreen);
        p.drawRect(QRectF(3, 15, 8, 4));
        break;
    case kCmClientLog: Page(p, 5); break;
    case kCmTriggers: Bolt(p); break;
    case kCmIgnoreTrigs: // the trigger bolt, struck out
        Bolt(p);
        p.setPen(Pen(kRed, 2.5));
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.drawLine(QPointF(5, 5), QPointF(19, 19));
        break;
    case kCmBoards: // a board with a pinned note
        p.setPen(Pen(kInk));
        p.setBrush(kWood);
        p.drawRect(QRectF(2, 3, 20, 16));
        p.drawLine(QPointF(6, 19), QPointF(5, 23));
        p.drawLine(QPointF(18, 19), QPointF(19, 23));
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 6, 10, 10));
        p.setBrush(kRed);
        p.drawEllipse(QPointF(12, 7), 1.5, 1.5);
        break;
    case kCmServerHelp: // a question mark
        p.setPen(Pen(kInk, 1));
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(12, 12), 10, 10);
        Letter(p, QStringLiteral("?"), QRectF(0, 0, kGrid, kGrid), Qt::white, 16);
        break;
    case kCmScrollback: // a page with arrows up and down
        Page(p, 0);
        p.setPen(Pen(kBlue, 2));
        p.drawLine(QPointF(12, 5), QPointF(12, 19));
        p.drawPolyline(QPolygonF({QPointF(8.5, 8.5), QPointF(12, 5), QPointF(15.5, 8.5)}));
        p.drawPolyline(QPolygonF({QPointF(8.5, 15.5), QPointF(12, 19), QPointF(15.5, 15.5)}));
        break;
    case kCmTermFont:
        Letter(p, QStringLiteral("A"), QRectF(0, 0, 15, 22), kInk, 18);
        Letter(p, QStringLiteral("a"), QRectF(11, 6, 13, 16), kBlue, 13);
        break;
    case kCmTextColor: // a letter over a coloured bar
        Letter(p, QStringLiteral("A"), QRectF(0, 0, kGrid, 18), kInk, 17);
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawRect(QRectF(3, 18, 18, 4));
        break;
    case kCmBkgndColor: // a coloured field behind a letter
        p.setPen(Pen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRect(QRectF(2, 2, 20, 20));
        Letter(p, QStringLiteral("A"), QRectF(0, 0, kGrid, kGrid), Qt::white, 15);
        break;
    case kCmConfig: { // a cog
        p.setPen(Pen(kInk, 1));
        p.setBrush(QColor(150, 150, 160));
        QPainterPath cog;
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * std::numbers::pi / 4;
            const QPointF c(12 + 8 * std::cos(a), 12 + 8 * std::sin(a));
            cog.addEllipse(c, 2.5, 2.5);
        }
        cog.addEllipse(QPointF(12, 12), 8, 8);
        cog.setFillRule(Qt::WindingFill);
        p.drawPath(cog.simplified());
        p.setBrush(QColor(240, 240, 240));
        p.drawEllipse(QPointF(12, 12), 3, 3);
        break;
    }
    case kCmToggleHide: // an eye
        p.setPen(Pen(kInk));
        p.setBrush(kPaper);
        p.drawChord(QRectF(1, 5, 22, 22), 30 * 16, 120 * 16);
        p.drawChord(QRectF(1, -3, 22, 22), 210 * 16, 120 * 16);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(12, 12), 3.5, 3.5);
        break;
    case kCmStopSound: // a note and a stop square
        p.setPen(Pen(kInk, 2));
        p.setBrush(kInk);
        p.drawEllipse(QPointF(6, 17), 3, 2.5);
        p.drawLine(QPointF(9, 17), QPointF(9, 3));
        p.drawLine(QPointF(9, 3), QPointF(14, 6));
        p.setPen(Pen(Qt::white, 1));
        p.setBrush(kRed);
        p.drawRect(QRectF(13, 12, 9, 9));
        break;
    case kCmQuickConnect: // a globe with the connect badge
        p.setPen(Pen(kInk));
        p.setBrush(QColor(90, 160, 220));
        p.drawEllipse(QPointF(10, 10), 8, 8);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(6, 2, 8, 16));
        p.drawLine(QPointF(2, 10), QPointF(18, 10));
        Badge(p, true);
        break;
    default: break;
    }
}

} // namespace

QIcon ToolBarIcon(int command) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / qreal(kGrid), size / qreal(kGrid));
        Draw(painter, command);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace tav
