#include "shell/app/ShellPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>
#include <cmath>

namespace corvane::ShellPictures {
namespace {

QPixmap Canvas(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

void Smooth(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QPen Line(const QColor& c, qreal w) {
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A rounded panel with a soft vertical gradient and a thin light edge.
void PanelShape(QPainter& p, const QRectF& r, qreal radius, const QColor& top,
                const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(Line(Edge, 1.2));
    p.drawRoundedRect(r.adjusted(0.6, 0.6, -0.6, -0.6), radius, radius);
}

// Piece silhouettes on a 100 x 100 grid, base at y = 88.
QPainterPath PiecePath(int kind) {
    QPainterPath path;
    const QRectF base(22, 78, 56, 12);
    path.addRoundedRect(base, 3, 3);
    switch (kind) {
    case 1: { // rook
        QPolygonF body{{32, 78}, {34, 40}, {66, 40}, {68, 78}};
        path.addPolygon(body);
        path.addRect(28, 24, 44, 18);
        QPainterPath notches;
        notches.addRect(37, 24, 8, 7);
        notches.addRect(55, 24, 8, 7);
        path = path.simplified().subtracted(notches);
        break;
    }
    case 2: { // knight
        QPolygonF head{{30, 78}, {38, 56}, {28, 52}, {24, 44}, {34, 30},
                       {44, 16}, {50, 22}, {62, 22}, {72, 38}, {72, 78}};
        path.addPolygon(head);
        break;
    }
    case 3: { // bishop
        path.addEllipse(QRectF(32, 26, 36, 44));
        path.addEllipse(QRectF(45, 12, 10, 10));
        path.addPolygon(QPolygonF{{38, 78}, {42, 62}, {58, 62}, {62, 78}});
        QPainterPath slit;
        slit.addPolygon(QPolygonF{{56, 30}, {61, 34}, {49, 48}, {45, 44}});
        path = path.simplified().subtracted(slit);
        break;
    }
    case 4: { // queen
        QPolygonF crown{{26, 70}, {22, 30}, {36, 50}, {42, 22}, {50, 46},
                        {58, 22}, {64, 50}, {78, 30}, {74, 70}};
        path.addPolygon(crown);
        path.addRect(30, 66, 40, 14);
        for (const QPointF c : {QPointF(22, 28), QPointF(42, 20), QPointF(58, 20), QPointF(78, 28)})
            path.addEllipse(c, 5, 5);
        break;
    }
    case 5: { // king
        path.addPolygon(QPolygonF{{28, 78}, {24, 44}, {50, 36}, {76, 44}, {72, 78}});
        path.addRect(46, 10, 8, 28);
        path.addRect(38, 16, 24, 8);
        break;
    }
    default: // pawn
        path.addEllipse(QRectF(37, 24, 26, 26));
        path.addPolygon(QPolygonF{{32, 78}, {42, 48}, {58, 48}, {68, 78}});
        break;
    }
    return path.simplified();
}

void DrawPiece(QPainter& p, int pieceIndex, const QRectF& box) {
    const bool white = pieceIndex <= 6;
    const int kind = white ? pieceIndex : pieceIndex - 6;
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100.0, box.height() / 100.0);
    p.setBrush(white ? QColor(246, 242, 230) : QColor(34, 38, 44));
    p.setPen(Line(white ? QColor(40, 44, 50) : QColor(210, 220, 224), 3.5));
    p.drawPath(PiecePath(kind));
    p.restore();
}

// A person: head and shoulders.
void DrawPerson(QPainter& p, const QRectF& r, const QColor& fill, const QColor& pen) {
    p.setPen(Line(pen, r.width() / 22));
    p.setBrush(fill);
    const qreal w = r.width();
    p.drawEllipse(QRectF(r.left() + w * 0.34, r.top() + w * 0.12, w * 0.32, w * 0.32));
    QPainterPath body;
    body.moveTo(r.left() + w * 0.16, r.top() + w * 0.88);
    body.cubicTo(r.left() + w * 0.16, r.top() + w * 0.52, r.left() + w * 0.84, r.top() + w * 0.52,
                 r.left() + w * 0.84, r.top() + w * 0.88);
    body.closeSubpath();
    p.drawPath(body);
}

// A computer: screen on a foot.
void DrawComputer(QPainter& p, const QRectF& r, const QColor& fill, const QColor& pen) {
    const qreal w = r.width();
    p.setPen(Line(pen, w / 22));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(r.left() + w * 0.14, r.top() + w * 0.16, w * 0.72, w * 0.5), w * 0.06,
                      w * 0.06);
    p.drawLine(QPointF(r.center().x(), r.top() + w * 0.66),
               QPointF(r.center().x(), r.top() + w * 0.78));
    p.drawLine(QPointF(r.left() + w * 0.32, r.top() + w * 0.82),
               QPointF(r.left() + w * 0.68, r.top() + w * 0.82));
    p.setPen(Line(pen, w / 30));
    for (int i = 0; i < 3; ++i) {
        const qreal y = r.top() + w * (0.28 + 0.1 * i);
        p.drawLine(QPointF(r.left() + w * 0.26, y), QPointF(r.left() + w * (0.6 - 0.08 * i), y));
    }
}

// Player icon: a round plate in the side's colour with the figure on it.
QPixmap PlayerIcon(bool human, bool whitePlate) {
    QPixmap pm = Canvas(48, 48);
    QPainter p(&pm);
    Smooth(p);
    const QColor plate = whitePlate ? QColor(240, 236, 224) : QColor(30, 34, 40);
    const QColor figure = whitePlate ? QColor(36, 80, 94) : CaptionChosen;
    p.setPen(Line(Edge, 2));
    p.setBrush(plate);
    p.drawEllipse(QRectF(2, 2, 44, 44));
    if (human)
        DrawPerson(p, QRectF(8, 8, 32, 32), figure, figure);
    else
        DrawComputer(p, QRectF(8, 8, 32, 32), Qt::transparent, figure);
    return pm;
}

// Tab icons: two players, three rising bars, a globe.
void DrawTabIcon(QPainter& p, int tab, const QRectF& r, const QColor& c) {
    p.setPen(Line(c, 2));
    p.setBrush(Qt::NoBrush);
    switch (tab) {
    case 1:
        DrawPerson(p, QRectF(r.left() - 4, r.top(), r.height(), r.height()), c, c);
        DrawPerson(p, QRectF(r.left() + r.height() - 8, r.top(), r.height(), r.height()),
                   Qt::transparent, c);
        break;
    case 2:
        p.setBrush(c);
        for (int i = 0; i < 3; ++i) {
            const qreal h = r.height() * (0.4 + 0.3 * i);
            p.drawRoundedRect(QRectF(r.left() + 2 + i * 10, r.bottom() - h, 7, h), 1.5, 1.5);
        }
        break;
    default: {
        const QRectF g(r.left() + 4, r.top(), r.height(), r.height());
        p.drawEllipse(g);
        p.drawEllipse(g.adjusted(g.width() * 0.3, 0, -g.width() * 0.3, 0));
        p.drawLine(QPointF(g.left(), g.center().y()), QPointF(g.right(), g.center().y()));
        break;
    }
    }
}

constexpr int kMenuSize = 36;

void MenuBase(QPainter& p) {
    Smooth(p);
    PanelShape(p, QRectF(0, 0, kMenuSize, kMenuSize), 7, QColor(48, 100, 116), QColor(30, 62, 74));
    p.setPen(Line(CaptionChosen, 2.4));
    p.setBrush(Qt::NoBrush);
}

void DrawSpeaker(QPainter& p) {
    p.setBrush(CaptionChosen);
    p.drawPolygon(QPolygonF{{9, 15}, {14, 15}, {20, 9}, {20, 27}, {14, 21}, {9, 21}});
    p.setBrush(Qt::NoBrush);
}

void DrawArrowHead(QPainter& p, QPointF tip, qreal angleDeg) {
    const qreal a = angleDeg * M_PI / 180.0;
    const QPointF d(std::cos(a), std::sin(a));
    const QPointF n(-d.y(), d.x());
    p.drawLine(tip, tip - d * 5 + n * 4);
    p.drawLine(tip, tip - d * 5 - n * 4);
}

} // namespace

QPixmap Tab(int tab) {
    constexpr int w = 372, h = 34, tw = 124;
    QPixmap pm = Canvas(w, h);
    QPainter p(&pm);
    Smooth(p);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 1; i <= 3; ++i) {
            const bool front = i == tab;
            if ((pass == 1) != front) continue; // the front tab is drawn last, over its neighbours
            const QRectF r((i - 1) * tw + (front ? 0 : 3), front ? 0 : 5, tw - (front ? 0 : 6),
                           h + 8);
            PanelShape(p, r, 8, front ? Panel.lighter(125) : Background.lighter(115),
                       front ? Panel : Background);
            DrawTabIcon(p, i, QRectF(r.center().x() - 16, r.top() + 7, 32, 20),
                        front ? CaptionChosen : CaptionIdle);
        }
    }
    return pm;
}

QPixmap RadioUp() {
    QPixmap pm = Canvas(18, 18);
    QPainter p(&pm);
    Smooth(p);
    p.setPen(Line(CaptionIdle, 1.6));
    p.setBrush(Background.darker(120));
    p.drawEllipse(QRectF(2, 2, 14, 14));
    return pm;
}

QPixmap RadioDown() {
    QPixmap pm = Canvas(18, 18);
    QPainter p(&pm);
    Smooth(p);
    p.setPen(Line(CaptionChosen, 1.6));
    p.setBrush(Background.darker(120));
    p.drawEllipse(QRectF(2, 2, 14, 14));
    QRadialGradient g(QPointF(8, 8), 5);
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, CaptionChosen);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QRectF(5.5, 5.5, 7, 7));
    return pm;
}

QPixmap Human(int variant) {
    return PlayerIcon(true, variant != 2);
}
QPixmap Computer(int variant) {
    return PlayerIcon(false, variant == 2);
}

QPixmap Res() {
    QPixmap pm = Canvas(48, 48);
    QPainter p(&pm);
    Smooth(p);
    p.setPen(Line(Edge, 2));
    p.setBrush(Panel);
    p.drawEllipse(QRectF(3, 3, 42, 42));
    p.setPen(Line(Gold, 4.5));
    QPainterPath q;
    q.moveTo(17, 18);
    q.cubicTo(17, 8, 32, 8, 32, 18);
    q.cubicTo(32, 25, 24, 25, 24, 31);
    p.setBrush(Qt::NoBrush);
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(Gold);
    p.drawEllipse(QPointF(24, 38), 2.8, 2.8);
    return pm;
}

QPixmap Mao() {
    QPixmap pm = Canvas(48, 48);
    QPainter p(&pm);
    Smooth(p);
    p.setPen(Line(Edge, 2));
    p.setBrush(Panel);
    p.drawEllipse(QRectF(3, 3, 42, 42));
    p.setPen(Line(QColor(120, 70, 40), 1.4));
    p.setBrush(QColor(238, 206, 170));
    // four fingers, the thumb and the palm of an open hand
    const std::array<QRectF, 4> fingers{QRectF(15, 12, 5, 16), QRectF(20.5, 9, 5, 19),
                                        QRectF(26, 10, 5, 18), QRectF(31.5, 14, 4.5, 15)};
    for (const QRectF& f : fingers) p.drawRoundedRect(f, 2.5, 2.5);
    p.drawRoundedRect(QRectF(9, 22, 6, 12), 3, 3);
    p.drawRoundedRect(QRectF(14, 22, 22, 16), 6, 6);
    return pm;
}

QPixmap Frame1(QSize size) {
    QPixmap pm = Canvas(size.width(), size.height());
    QPainter p(&pm);
    Smooth(p);
    PanelShape(p, QRectF(QPointF(0, 0), size), 12, Background.lighter(118), Background.darker(115));
    p.setPen(Line(QColor(120, 178, 192, 70), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(QPointF(5, 5), size - QSize(10, 10)), 9, 9);
    return pm;
}

QPixmap Frame2(QSize size) {
    QPixmap pm = Canvas(size.width(), size.height());
    QPainter p(&pm);
    Smooth(p);
    PanelShape(p, QRectF(QPointF(0, 0), size), 10, Panel, Background);
    return pm;
}

QPixmap Piece(int pieceIndex, int size) {
    QPixmap pm = Canvas(size, size);
    if (pieceIndex < 1 || pieceIndex > 12) return pm;
    QPainter p(&pm);
    Smooth(p);
    DrawPiece(p, pieceIndex, QRectF(0, 0, size, size));
    return pm;
}

QPixmap Menu(int item) {
    QPixmap pm = Canvas(kMenuSize, kMenuSize);
    QPainter p(&pm);
    MenuBase(p);
    switch (item) {
    case 1: // leave: the power sign
        p.drawArc(QRectF(9, 10, 18, 18), 120 * 16, 300 * 16);
        p.drawLine(QPointF(18, 7), QPointF(18, 18));
        break;
    case 2: // sound on
        DrawSpeaker(p);
        p.drawArc(QRectF(16, 12, 10, 12), -50 * 16, 100 * 16);
        p.drawArc(QRectF(14, 8, 16, 20), -50 * 16, 100 * 16);
        break;
    case 3: // new game: a small board
        p.setPen(Line(CaptionChosen, 1.6));
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                p.setBrush((r + c) % 2 ? QBrush(CaptionChosen) : QBrush(Qt::NoBrush));
                p.drawRect(QRectF(10 + 4 * c, 10 + 4 * r, 4, 4));
            }
        p.setBrush(Gold);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(26, 26), 5.5, 5.5);
        p.setPen(Line(Background, 2));
        p.drawLine(QPointF(23, 26), QPointF(29, 26));
        p.drawLine(QPointF(26, 23), QPointF(26, 29));
        break;
    case 4: // maximise: corners pointing outwards
        for (const auto& [tip, ang] :
             {std::pair{QPointF(9, 9), 225.0}, std::pair{QPointF(27, 9), 315.0},
              std::pair{QPointF(9, 27), 135.0}, std::pair{QPointF(27, 27), 45.0}}) {
            const qreal a = ang * M_PI / 180.0;
            p.drawLine(tip, tip - QPointF(std::cos(a), std::sin(a)) * 7);
            DrawArrowHead(p, tip, ang);
        }
        break;
    case 5: // pause
        p.setBrush(CaptionChosen);
        p.drawRoundedRect(QRectF(11, 10, 4, 16), 1.5, 1.5);
        p.drawRoundedRect(QRectF(21, 10, 4, 16), 1.5, 1.5);
        break;
    case 6: // restart: a circular arrow
        p.drawArc(QRectF(9, 9, 18, 18), 60 * 16, 290 * 16);
        DrawArrowHead(p, QPointF(22.5, 10.2), 0);
        break;
    case 7: // flip: two arrows turning round
        p.drawArc(QRectF(9, 9, 18, 18), 20 * 16, 140 * 16);
        p.drawArc(QRectF(9, 9, 18, 18), 200 * 16, 140 * 16);
        DrawArrowHead(p, QPointF(9.6, 15), 100);
        DrawArrowHead(p, QPointF(26.4, 21), 280);
        break;
    case 8: // save: arrow down into a tray
        p.drawLine(QPointF(18, 8), QPointF(18, 21));
        DrawArrowHead(p, QPointF(18, 22), 90);
        p.drawPolyline(QPolygonF{{9, 22}, {9, 28}, {27, 28}, {27, 22}});
        break;
    case 9: // open: a folder
        p.drawPolygon(QPolygonF{{8, 12}, {15, 12}, {17, 14.5}, {28, 14.5}, {28, 27}, {8, 27}});
        p.drawLine(QPointF(8, 18), QPointF(28, 18));
        break;
    default:
        break;
    }
    return pm;
}

QPixmap Restaurar() {
    QPixmap pm = Canvas(kMenuSize, kMenuSize);
    QPainter p(&pm);
    MenuBase(p);
    // corners pointing inwards
    for (const auto& [tip, ang] :
         {std::pair{QPointF(15, 15), 45.0}, std::pair{QPointF(21, 15), 135.0},
          std::pair{QPointF(15, 21), 315.0}, std::pair{QPointF(21, 21), 225.0}}) {
        const qreal a = ang * M_PI / 180.0;
        p.drawLine(tip, tip - QPointF(std::cos(a), std::sin(a)) * 7);
        DrawArrowHead(p, tip, ang);
    }
    return pm;
}

QPixmap SoundOff() {
    QPixmap pm = Canvas(kMenuSize, kMenuSize);
    QPainter p(&pm);
    MenuBase(p);
    DrawSpeaker(p);
    p.setPen(Line(Gold, 2.4));
    p.drawLine(QPointF(23, 14), QPointF(30, 22));
    p.drawLine(QPointF(30, 14), QPointF(23, 22));
    return pm;
}

QPixmap Button(bool lit, QSize size) {
    QPixmap pm = Canvas(size.width(), size.height());
    QPainter p(&pm);
    Smooth(p);
    if (lit)
        PanelShape(p, QRectF(QPointF(0, 0), size), size.height() / 2.0, QColor(84, 150, 166),
                   QColor(46, 100, 116));
    else
        PanelShape(p, QRectF(QPointF(0, 0), size), size.height() / 2.0, QColor(46, 92, 106),
                   QColor(30, 62, 74));
    return pm;
}

QPixmap Splash() {
    constexpr int w = 400, h = 220;
    QPixmap pm = Canvas(w, h);
    QPainter p(&pm);
    Smooth(p);
    PanelShape(p, QRectF(0, 0, w, h), 14, Background.lighter(120), Background.darker(120));
    // a corner of a board fading to the right
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) {
            QColor sq = (r + c) % 2 ? QColor(118, 150, 160) : QColor(214, 226, 224);
            sq.setAlphaF(0.55 * (1.0 - c / 9.0));
            p.fillRect(QRectF(24 + c * 22, 118 + r * 22, 22, 22), sq);
        }
    DrawPiece(p, 5, QRectF(40, 60, 70, 70));
    DrawPiece(p, 8, QRectF(96, 74, 56, 56));
    QFont f = p.font();
    f.setPixelSize(46);
    f.setBold(true);
    p.setFont(f);
    p.setPen(CaptionChosen);
    p.drawText(QRectF(170, 40, 220, 80), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Corvane"));
    p.setPen(Line(Gold, 2));
    p.drawLine(QPointF(174, 112), QPointF(372, 112));
    return pm;
}

QPixmap AppIcon(int size) {
    QPixmap pm = Canvas(size, size);
    QPainter p(&pm);
    Smooth(p);
    const qreal s = size;
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, Panel.lighter(120));
    g.setColorAt(1, Background.darker(110));
    p.setPen(Line(Edge, s / 40));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.18, s * 0.18);
    // a 2 x 2 board under a knight
    const QRectF board(s * 0.16, s * 0.56, s * 0.68, s * 0.3);
    for (int c = 0; c < 4; ++c)
        p.fillRect(QRectF(board.left() + c * board.width() / 4, board.top(), board.width() / 4,
                          board.height()),
                   c % 2 ? QColor(118, 150, 160) : QColor(214, 226, 224));
    DrawPiece(p, 8, QRectF(s * 0.2, s * 0.1, s * 0.6, s * 0.6));
    return pm;
}

} // namespace corvane::ShellPictures
