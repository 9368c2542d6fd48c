#include "assets/frmPieces.h"

#include "assets/Art.h"

#include <QGuiApplication>
#include <QPainter>
#include <array>

namespace corvane {
namespace {

// Pixmap of the logical size at the ratio, transparent, with a painter mapped so
// that the unit box (unitW x unitH) fills it.
template <typename Paint>
QPixmap Render(QSize size, qreal dpr, qreal unitW, qreal unitH, Paint paint) {
    if (size.isEmpty()) return {};
    if (dpr <= 0) dpr = 1.0;
    QPixmap pm(QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.scale(size.width() / unitW, size.height() / unitH);
    paint(p);
    return pm;
}

constexpr std::array<const char*, 13> kCodes = {"",   "WR", "WN", "WB", "WQ", "WK", "WP",
                                                "BR", "BN", "BB", "BQ", "BK", "BP"};

QString Key(const QString& name, QSize size, qreal dpr) {
    return QStringLiteral("%1@%2x%3@%4").arg(name).arg(size.width()).arg(size.height()).arg(dpr);
}

} // namespace

frmPieces& frmPieces::Instance() {
    // One per program. Its pictures are released with the application, before the
    // platform they were made for goes away.
    static frmPieces holder;
    static const bool registered = [] {
        qAddPostRoutine([] { holder.cache_.clear(); });
        return true;
    }();
    (void)registered;
    return holder;
}

QString frmPieces::PieceCode(int pieceIndex) {
    if (pieceIndex < 1 || pieceIndex > 12) return {};
    return QString::fromLatin1(kCodes[pieceIndex]);
}

int frmPieces::PieceIndexOf(std::string_view code) {
    if (code.size() < 2) return 0;
    for (int i = 1; i <= 12; ++i)
        if (code.substr(0, 2) == kCodes[i]) return i;
    return 0;
}

void frmPieces::PaintPiece(QPainter& painter, const QRectF& target, int pieceIndex) {
    if (pieceIndex < 1 || pieceIndex > 12) return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / 100.0, target.height() / 100.0);
    art::PaintPieceUnit(painter, pieceIndex <= 6 ? pieceIndex : pieceIndex - 6, pieceIndex <= 6);
    painter.restore();
}

QRectF frmPieces::PieceInk(const QRectF& target, int pieceIndex) {
    if (pieceIndex < 1 || pieceIndex > 12) return {};
    const QRectF unit = art::PieceInkUnit(pieceIndex <= 6 ? pieceIndex : pieceIndex - 6);
    const qreal sx = target.width() / 100.0, sy = target.height() / 100.0;
    return {target.left() + unit.left() * sx, target.top() + unit.top() * sy, unit.width() * sx,
            unit.height() * sy};
}

QPixmap frmPieces::Cached(const QString& key, QSize, qreal, bool& found) const {
    const auto it = cache_.constFind(key);
    found = it != cache_.constEnd();
    return found ? *it : QPixmap();
}

void frmPieces::Store(const QString& key, const QPixmap& pixmap) const {
    if (cache_.size() > 600) cache_.clear(); // sizes change only on resize; keep it bounded
    cache_.insert(key, pixmap);
}

QPixmap frmPieces::Piece(int pieceIndex, int size, qreal dpr) const {
    if (pieceIndex < 1 || pieceIndex > 12 || size <= 0) return {};
    return Pixmap(QStringLiteral("IMO%1").arg(pieceIndex), QSize(size, size), dpr);
}

QPixmap frmPieces::PieceByCode(std::string_view code, int size, qreal dpr) const {
    return Piece(PieceIndexOf(code), size, dpr);
}

QIcon frmPieces::PieceIcon(int pieceIndex) const {
    QIcon icon;
    for (int s : {22, 32, 44, 64, 88}) icon.addPixmap(Piece(pieceIndex, s));
    return icon;
}

QPixmap frmPieces::Board(bool whiteAtBottom, qreal dpr) const {
    return Pixmap(whiteAtBottom ? QStringLiteral("picBB") : QStringLiteral("picBBFlipped"), {},
                  dpr);
}

void frmPieces::PaintBoard(QPainter& painter, const QRectF& target, bool whiteAtBottom) {
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / BoardSize, target.height() / BoardSize);
    art::PaintBoardUnit(painter, whiteAtBottom);
    painter.restore();
}

QColor frmPieces::LightSquare() {
    return art::LightSquareColour();
}
QColor frmPieces::DarkSquare() {
    return art::DarkSquareColour();
}

QPixmap frmPieces::Button(QSize size, bool highlighted, qreal dpr) const {
    return Pixmap(highlighted ? QStringLiteral("imgButton1") : QStringLiteral("imgButton0"), size,
                  dpr);
}

QPixmap frmPieces::Panel(QSize size, qreal dpr) const {
    return Pixmap(QStringLiteral("Frame1"), size, dpr);
}

QPixmap frmPieces::MenuIcon(int item, int size, bool highlighted, int variant, qreal dpr) const {
    if (item < 1 || item > 9 || size <= 0) return {};
    const QString key = QStringLiteral("menu%1.%2.%3").arg(item).arg(highlighted).arg(variant);
    const QString full = Key(key, QSize(size, size), dpr);
    bool found = false;
    QPixmap pm = Cached(full, {}, dpr, found);
    if (found) return pm;
    pm = Render(QSize(size, size), dpr, 1, 1, [&](QPainter& p) {
        art::PaintMenuIcon(p, QRectF(0, 0, 1, 1), item, highlighted, variant);
    });
    Store(full, pm);
    return pm;
}

QStringList frmPieces::Names() {
    QStringList names;
    for (int i = 1; i <= 12; ++i) names << QStringLiteral("IMO%1").arg(i);
    for (int i = 1; i <= 12; ++i) names << QStringLiteral("IMW%1").arg(i);
    names << QStringLiteral("picBB") << QStringLiteral("picBBFlipped") << QStringLiteral("picDeep")
          << QStringLiteral("PointerON") << QStringLiteral("PointerOFF")
          << QStringLiteral("imgButton0") << QStringLiteral("imgButton1")
          << QStringLiteral("radioup") << QStringLiteral("radiodown") << QStringLiteral("imgJog1")
          << QStringLiteral("imgJog2") << QStringLiteral("imgCPU1") << QStringLiteral("imgCPU2")
          << QStringLiteral("imgTab1") << QStringLiteral("imgTab2") << QStringLiteral("imgTab3")
          << QStringLiteral("imgRes") << QStringLiteral("ImgMao") << QStringLiteral("Frame1")
          << QStringLiteral("Frame2");
    for (int i = 1; i <= 9; ++i) names << QStringLiteral("imgMenu%1").arg(i);
    names << QStringLiteral("imgMenu2Off") << QStringLiteral("imgMenu4Res")
          << QStringLiteral("imgLeft") << QStringLiteral("imgRight") << QStringLiteral("Splash");
    return names;
}

QSize frmPieces::DefaultSize(const QString& name) {
    if (name.startsWith(u"IMO")) return {SquareSize, SquareSize};
    if (name.startsWith(u"IMW")) return {26, 26};
    if (name.startsWith(u"picBB")) return {BoardSize, BoardSize};
    if (name == u"picDeep") return {800, 600};
    if (name.startsWith(u"Pointer")) return {22, 22};
    if (name.startsWith(u"imgButton")) return {110, 32};
    if (name.startsWith(u"radio")) return {18, 18};
    if (name.startsWith(u"imgJog") || name.startsWith(u"imgCPU")) return {48, 48};
    if (name.startsWith(u"imgTab")) return {360, 34};
    if (name == u"imgRes" || name.startsWith(u"imgMenu")) return {36, 36};
    if (name == u"ImgMao") return {32, 32};
    if (name.startsWith(u"Frame")) return {200, 120};
    if (name == u"imgLeft" || name == u"imgRight") return {28, 16};
    if (name == u"Splash") return {420, 260};
    return {};
}

QPixmap frmPieces::Pixmap(const QString& name, QSize size, qreal dpr) const {
    if (size.isEmpty()) size = DefaultSize(name);
    if (size.isEmpty()) return {};
    const QString key = Key(name, size, dpr);
    bool found = false;
    QPixmap pm = Cached(key, size, dpr, found);
    if (found) return pm;
    if (!Names().contains(name)) return {};

    const QRectF box(0, 0, size.width(), size.height());
    auto plain = [&](auto paint) { return Render(size, dpr, size.width(), size.height(), paint); };
    if (name.startsWith(u"IMO") || name.startsWith(u"IMW")) {
        const int index = name.mid(3).toInt();
        pm = Render(size, dpr, 100, 100, [&](QPainter& p) {
            art::PaintPieceUnit(p, index <= 6 ? index : index - 6, index <= 6);
        });
    } else if (name.startsWith(u"picBB")) {
        const bool whiteAtBottom = name == u"picBB";
        pm = Render(size, dpr, BoardSize, BoardSize,
                    [&](QPainter& p) { art::PaintBoardUnit(p, whiteAtBottom); });
    } else if (name == u"picDeep") {
        pm = plain([&](QPainter& p) { art::PaintBackground(p, box); });
    } else if (name.startsWith(u"Pointer")) {
        pm = plain([&](QPainter& p) { art::PaintPointer(p, box, name == u"PointerON"); });
    } else if (name.startsWith(u"imgButton")) {
        pm = plain([&](QPainter& p) { art::PaintButton(p, box, name.endsWith(u'1')); });
    } else if (name.startsWith(u"radio")) {
        pm = plain([&](QPainter& p) { art::PaintRadio(p, box, name == u"radiodown"); });
    } else if (name.startsWith(u"imgJog") || name.startsWith(u"imgCPU")) {
        pm = plain([&](QPainter& p) {
            art::PaintPlayerIcon(p, box, name.startsWith(u"imgCPU"), name.endsWith(u'1'));
        });
    } else if (name.startsWith(u"imgTab")) {
        const int tab = name.mid(6).toInt();
        pm = plain([&](QPainter& p) {
            art::PaintTabStrip(
                p, box, tab,
                {QStringLiteral("Modo"), QStringLiteral("Nível"), QStringLiteral("Rede")});
        });
    } else if (name == u"imgRes" || name.startsWith(u"imgMenu")) {
        int item = 4, variant = 1;
        if (name != u"imgRes") {
            item = name.mid(7, 1).toInt();
            variant = name.size() > 8 ? 1 : 0;
        }
        pm = plain([&](QPainter& p) { art::PaintMenuIcon(p, box, item, false, variant); });
    } else if (name == u"ImgMao") {
        pm = plain([&](QPainter& p) { art::PaintHand(p, box); });
    } else if (name.startsWith(u"Frame")) {
        pm = plain([&](QPainter& p) { art::PaintFrame(p, box, name == u"Frame2"); });
    } else if (name == u"imgLeft" || name == u"imgRight") {
        pm = plain([&](QPainter& p) { art::PaintArrow(p, box, name == u"imgRight"); });
    } else if (name == u"Splash") {
        pm = plain([&](QPainter& p) { art::PaintSplash(p, box); });
    }
    Store(key, pm);
    return pm;
}

QIcon frmPieces::Icon(const QString& name) const {
    QIcon icon;
    const QSize base = DefaultSize(name);
    if (base.isEmpty()) return icon;
    icon.addPixmap(Pixmap(name, base, 1.0));
    icon.addPixmap(Pixmap(name, base, 2.0));
    return icon;
}

QPixmap frmPieces::BusyCursorPixmap(int frame, qreal dpr) {
    return Render(QSize(32, 32), dpr, 32, 32, [&](QPainter& p) {
        art::PaintClock(p, QRectF(0, 0, 32, 32), ((frame % BusyFrames) + BusyFrames) % BusyFrames,
                        BusyFrames);
    });
}

QCursor frmPieces::BusyCursorFrame(int frame) {
    const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return QCursor(BusyCursorPixmap(frame, dpr), 16, 16);
}

} // namespace corvane
