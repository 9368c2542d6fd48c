// Renders every picture of the piece-image holder onto one sheet, to look at the
// set as a whole: corvane-contact-sheet [out.png] [device-pixel-ratio]
#include "assets/frmPieces.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

using corvane::frmPieces;

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const QString out =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/corvane-sheet.png");
    const qreal dpr = argc > 2 ? std::atof(argv[2]) : 1.0;
    frmPieces& holder = frmPieces::Instance();

    const int B = frmPieces::BoardSize;
    QImage sheet(QSize(1400, 960) * dpr, QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(dpr);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPixmap(0, 0, holder.Pixmap(QStringLiteral("picDeep"), QSize(1400, 960), dpr));

    // Both boards with the start position.
    const char* start[8] = {"RNBQKBNR", "PPPPPPPP", "", "", "", "", "pppppppp", "rnbqkbnr"};
    for (int b = 0; b < 2; ++b) {
        const bool whiteAtBottom = b == 0;
        const QPoint at(20 + b * (B + 20), 20);
        p.drawPixmap(at, holder.Board(whiteAtBottom, dpr));
        for (int rank = 1; rank <= 8; ++rank) {
            const char* row = start[rank - 1];
            for (int file = 1; row[0] && file <= 8; ++file) {
                const char c = row[file - 1];
                const bool white = c >= 'A' && c <= 'Z';
                const char* kinds = "RNBQKP";
                int kind = 0;
                for (int k = 0; k < 6; ++k)
                    if (kinds[k] == (white ? c : c - 32)) kind = k + 1;
                const int index = white ? kind : kind + 6;
                int col = file - 1, row8 = 8 - rank;
                if (!whiteAtBottom) col = 7 - col, row8 = 7 - row8;
                p.drawPixmap(at + QPoint(frmPieces::BoardMargin + col * 44,
                                         frmPieces::BoardMargin + row8 * 44),
                             holder.Piece(index, 44, dpr));
            }
        }
    }
    // Pieces large, then the small set.
    int x = 20 + 2 * (B + 20);
    for (int i = 1; i <= 12; ++i) {
        const QPoint at(x + ((i - 1) % 6) * 70, 20 + ((i - 1) / 6) * 80);
        p.drawPixmap(QRect(at, QSize(64, 64)), holder.Piece(i, 64, dpr));
    }
    for (int i = 1; i <= 12; ++i)
        p.drawPixmap(QPoint(x + (i - 1) * 34, 190),
                     holder.Pixmap(QStringLiteral("IMW%1").arg(i), {}, dpr));
    // Indicators, radios, buttons.
    p.drawPixmap(QPoint(x, 240), holder.PointerON(dpr));
    p.drawPixmap(QPoint(x + 30, 240), holder.PointerOFF(dpr));
    p.drawPixmap(QPoint(x + 70, 242), holder.Pixmap(QStringLiteral("radiodown"), {}, dpr));
    p.drawPixmap(QPoint(x + 95, 242), holder.Pixmap(QStringLiteral("radioup"), {}, dpr));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    for (int h = 0; h < 2; ++h) {
        const QRect r(x + 130 + h * 125, 236, 110, 32);
        p.drawPixmap(r.topLeft(), holder.Button(r.size(), h == 1, dpr));
        p.setPen(QColor(240, 228, 200));
        p.drawText(r, Qt::AlignCenter, h ? QStringLiteral("&Cancelar") : QStringLiteral("&Jogar"));
    }
    // Menu icons, normal and highlighted.
    for (int i = 1; i <= 9; ++i) {
        p.drawPixmap(QPoint(x + (i - 1) * 42, 290), holder.MenuIcon(i, 36, false, 0, dpr));
        p.drawPixmap(QPoint(x + (i - 1) * 42, 332), holder.MenuIcon(i, 36, true, 0, dpr));
    }
    p.drawPixmap(QPoint(x, 374), holder.Pixmap(QStringLiteral("imgMenu2Off"), {}, dpr));
    p.drawPixmap(QPoint(x + 42, 374), holder.Pixmap(QStringLiteral("imgRes"), {}, dpr));
    p.drawPixmap(QPoint(x + 90, 380), holder.Pixmap(QStringLiteral("imgLeft"), {}, dpr));
    p.drawPixmap(QPoint(x + 125, 380), holder.Pixmap(QStringLiteral("imgRight"), {}, dpr));
    p.drawPixmap(QPoint(x + 165, 374), holder.Pixmap(QStringLiteral("ImgMao"), {}, dpr));
    for (int i = 0; i < frmPieces::BusyFrames; ++i)
        p.drawPixmap(QPoint(x + 205 + i * 24, 376),
                     frmPieces::BusyCursorPixmap(i, dpr).scaled(
                         22 * dpr, 22 * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    for (int i = 0; i < 4; ++i)
        p.drawPixmap(
            QPoint(x + i * 56, 420),
            holder.Pixmap(QStringList{QStringLiteral("imgJog1"), QStringLiteral("imgJog2"),
                                      QStringLiteral("imgCPU1"), QStringLiteral("imgCPU2")}[i],
                          {}, dpr));
    for (int i = 1; i <= 3; ++i)
        p.drawPixmap(QPoint(x, 440 + i * 40),
                     holder.Pixmap(QStringLiteral("imgTab%1").arg(i), {}, dpr));
    // A promotion panel and the captured-pieces panel.
    const QRect promo(20, 470, 230, 90);
    p.drawPixmap(promo.topLeft(), holder.Panel(promo.size(), dpr));
    p.setPen(QColor(240, 228, 200));
    p.drawText(promo.adjusted(0, 6, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("Promoção"));
    for (int i = 0; i < 4; ++i)
        p.drawPixmap(QPoint(promo.left() + 23 + i * 48, promo.top() + 32),
                     holder.Piece(i == 0 ? 4 : i, 44, dpr));
    const QRect captured(270, 470, 330, 110);
    p.drawPixmap(captured.topLeft(), holder.Pixmap(QStringLiteral("Frame2"), captured.size(), dpr));
    p.drawText(captured.adjusted(0, 6, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
               QString::fromUtf8("Peças Capturada"));
    const int order[10] = {4, 1, 3, 2, 6, 10, 7, 9, 8, 12};
    for (int i = 0; i < 10; ++i) {
        const QPoint at(captured.left() + 20 + (i % 5) * 62, captured.top() + 30 + (i / 5) * 38);
        p.drawPixmap(at, holder.Pixmap(QStringLiteral("IMW%1").arg(order[i]), {}, dpr));
        p.drawText(QRect(at + QPoint(28, 0), QSize(24, 26)), Qt::AlignVCenter,
                   QString::number(i % 3 + 1));
    }
    p.drawPixmap(QPoint(620, 610), holder.Pixmap(QStringLiteral("Splash"), {}, dpr));
    // Scaled pieces: crisp at 2x and 3x.
    for (int i = 0; i < 3; ++i) {
        const int s = 44 * (i + 2);
        p.drawPixmap(QRect(QPoint(20 + i * 150, 600), QSize(s, s)), holder.Piece(i == 0   ? 2
                                                                                 : i == 1 ? 11
                                                                                          : 10,
                                                                                 s, dpr));
    }
    p.end();
    if (!sheet.save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s\n", qPrintable(out));
    return 0;
}
