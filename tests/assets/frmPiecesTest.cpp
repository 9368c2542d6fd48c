// The piece pictures: drawn at their size, told apart, sharp at every size; the board and its
// margin follow the orientation; the busy cursor turns and gives the cursor before back.
#include "assets/frmPieces.h"
#include "assets/BusyCursor.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace corvane {
namespace {

const auto ImageOf = [](const QPixmap& pm) {
    return pm.toImage().convertToFormat(QImage::Format_ARGB32);
};

struct Coverage {
    double opaque = 0, luminance = 0, partial = 0; // partial: half-covered pixels, the soft edge
};

Coverage Measure(const QImage& img) {
    Coverage c;
    long opaque = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            c.partial += qAlpha(px) > 20 && qAlpha(px) < 235;
            if (qAlpha(px) <= 128) continue;
            ++opaque;
            c.luminance += qGray(px);
        }
    c.opaque = double(opaque) / (img.width() * img.height());
    c.luminance = opaque ? c.luminance / opaque : 0;
    return c;
}

TEST(frmPieces, EveryNamedPictureHasItsSizeAndIsDrawn) {
    frmPieces& holder = frmPieces::Instance();
    ASSERT_FALSE(frmPieces::Names().isEmpty());
    for (const QString& name : frmPieces::Names()) {
        SCOPED_TRACE(name.toStdString());
        for (const qreal dpr : {1.0, 2.0}) {
            const QPixmap pm = holder.Pixmap(name, {}, dpr);
            ASSERT_FALSE(pm.isNull());
            EXPECT_EQ(pm.size(), frmPieces::DefaultSize(name) * dpr);
            EXPECT_GT(Measure(ImageOf(pm)).opaque, 0.02);
        }
    }
    EXPECT_TRUE(holder.Pixmap(QStringLiteral("NoSuchPicture")).isNull());
    EXPECT_TRUE(holder.Piece(13).isNull());
}

TEST(frmPieces, PiecesAreDistinctSharpAndColoursDiffer) {
    frmPieces& holder = frmPieces::Instance();
    QList<QImage> images;
    for (int i = 1; i <= 12; ++i) images << ImageOf(holder.Piece(i));
    for (int i = 0; i < 12; ++i)
        for (int j = i + 1; j < 12; ++j)
            EXPECT_NE(images[i], images[j]) << i + 1 << " vs " << j + 1;
    for (int kind = 1; kind <= 6; ++kind) {
        const Coverage white = Measure(images[kind - 1]), black = Measure(images[kind + 5]);
        EXPECT_GT(white.luminance, black.luminance + 80) << "kind " << kind;
        EXPECT_NEAR(white.opaque, black.opaque, 0.01) << "kind " << kind; // same silhouette
        EXPECT_TRUE(white.opaque > 0.15 && white.opaque < 0.75) << "kind " << kind;
        // Redrawn at three times the size, not stretched: same proportion, far fewer soft pixels.
        const QImage large = ImageOf(holder.Piece(kind, 44, 3.0));
        const QImage stretched =
            ImageOf(holder.Piece(kind, 44))
                .scaled(132, 132, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_NEAR(Measure(large).opaque, Measure(stretched).opaque, 0.03) << "kind " << kind;
        EXPECT_LT(Measure(large).partial, 0.8 * Measure(stretched).partial) << "kind " << kind;
    }
    EXPECT_EQ(ImageOf(holder.PieceByCode("BN")), images[7]); // the codes name the pieces
}

// Pixels where one margin cell's light glyph differs from another's.
int GlyphDifferences(const QImage& a, QRect ca, const QImage& b, QRect cb) {
    int n = 0;
    for (int y = 0; y < ca.height(); ++y)
        for (int x = 0; x < ca.width(); ++x)
            n += (qGray(a.pixel(ca.x() + x, ca.y() + y)) > 150) !=
                 (qGray(b.pixel(cb.x() + x, cb.y() + y)) > 150);
    return n;
}

TEST(frmPieces, BoardSquaresAndMarginFollowTheOrientation) {
    frmPieces& holder = frmPieces::Instance();
    const QImage normal = ImageOf(holder.Board(true)), flipped = ImageOf(holder.Board(false));
    const int m = frmPieces::BoardMargin, s = frmPieces::SquareSize, size = frmPieces::BoardSize;
    ASSERT_EQ(normal.size(), QSize(size, size));
    EXPECT_EQ(ImageOf(holder.Board(true, 2.0)).size(), QSize(2 * size, 2 * size));
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col) {
            // a8 and h1 are light: either way the top left square is light.
            const int g = qGray(normal.pixel(m + col * s + s / 2, m + row * s + s / 2));
            EXPECT_TRUE((row + col) % 2 == 0 ? g > 180 : g < 160) << row << "," << col << ": " << g;
        }
    const QRect field(m, m, 8 * s, 8 * s);
    EXPECT_EQ(normal.copy(field), flipped.copy(field));
    auto bottom = [&](int col) { return QRect(m + col * s, size - m, s, m); };
    auto left = [&](int row) { return QRect(0, m + row * s, m, s); };
    for (int i = 0; i < 8; ++i) {
        // Column i's letter with White at the bottom is column 7 - i's with Black at the bottom.
        EXPECT_LE(GlyphDifferences(normal, bottom(i), flipped, bottom(7 - i)), 4) << i;
        EXPECT_LE(GlyphDifferences(normal, left(i), flipped, left(7 - i)), 4) << i;
    }
    EXPECT_GT(GlyphDifferences(normal, bottom(0), normal, bottom(7)), 10); // a and h
    EXPECT_GT(GlyphDifferences(normal, left(0), normal, left(7)), 10);     // 8 and 1
}

TEST(frmPieces, StatesOfAPictureAreToldApart) {
    frmPieces& holder = frmPieces::Instance();
    auto named = [&](const char* name) { return holder.Pixmap(QString::fromLatin1(name)); };
    const std::tuple<QPixmap, QPixmap, bool> pairs[] = {
        // the first brighter?
        {holder.Button(QSize(120, 32), true), holder.Button(QSize(120, 32), false), true},
        {holder.PointerON(), holder.PointerOFF(), true},
        {holder.MenuIcon(3, 36, true), holder.MenuIcon(3, 36, false), true},
        {holder.MenuIcon(2, 36, false, 0), holder.MenuIcon(2, 36, false, 1), false},
        {holder.MenuIcon(4, 36, false, 0), named("imgRes"), false},
        {named("radiodown"), named("radioup"), true},
        {named("imgJog1"), named("imgJog2"), false},
        {named("imgTab1"), named("imgTab2"), false},
    };
    for (const auto& [first, second, brighter] : pairs) {
        const QImage a = ImageOf(first), b = ImageOf(second);
        EXPECT_EQ(a.size(), b.size());
        EXPECT_NE(a, b);
        EXPECT_TRUE(!brighter || Measure(a).luminance > Measure(b).luminance + 10);
    }
    for (int item = 1; item <= 9; ++item)
        for (int other = item + 1; other <= 9; ++other)
            EXPECT_NE(ImageOf(holder.MenuIcon(item, 36, false)),
                      ImageOf(holder.MenuIcon(other, 36, false)));
    EXPECT_TRUE(holder.MenuIcon(0, 36, false).isNull());
}

// PaintPiece draws what Piece hands out, and never outside PieceInk (plus the antialiased pixel):
// the board view redraws only that much.
TEST(frmPieces, PaintedPiecesMatchAndStayWithinTheirInk) {
    const QRectF target(60, 60, 44, 44);
    for (int piece = 1; piece <= 12; ++piece) {
        QImage img(QSize(208, 208), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        frmPieces::PaintPiece(p, target, piece);
        p.end();
        const QImage handed =
            frmPieces::Instance().Piece(piece).toImage().convertToFormat(img.format());
        const QRectF ink = frmPieces::PieceInk(target, piece);
        EXPECT_TRUE(target.adjusted(-9, -9, 9, 9).contains(ink)) << piece;
        const QRect allowed = ink.toAlignedRect().adjusted(-1, -1, 1, 1);
        int outside = 0, different = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                outside += qAlpha(img.pixel(x, y)) != 0 && !allowed.contains(x, y);
                if (target.toRect().contains(x, y))
                    different +=
                        qAbs(qAlpha(img.pixel(x, y)) - qAlpha(handed.pixel(x - 60, y - 60))) > 8;
            }
        EXPECT_EQ(outside, 0) << piece;
        EXPECT_LT(different, 20) << piece;
    }
    EXPECT_TRUE(frmPieces::PieceInk(target, 0).isEmpty());
}

TEST(BusyCursor, ClockTurnsAndTheCursorBeforeComesBack) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QGuiApplication::setOverrideCursor(Qt::CrossCursor); // the cursor in use before
    BusyCursor::Start();
    BusyCursor::Start(); // a second start changes nothing
    ASSERT_TRUE(BusyCursor::IsActive());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BitmapCursor);
    const int first = BusyCursor::Frame();
    const QDeadlineTimer deadline(5000);
    while (BusyCursor::Frame() == first && !deadline.hasExpired()) QTest::qWait(20);
    EXPECT_NE(BusyCursor::Frame(), first);
    BusyCursor::Stop();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    BusyCursor::Stop(); // harmless when not showing
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    for (int i = 1; i < frmPieces::BusyFrames; ++i) // every frame a different picture
        EXPECT_NE(frmPieces::BusyCursorPixmap(i - 1).toImage(),
                  frmPieces::BusyCursorPixmap(i).toImage());
}

} // namespace
} // namespace corvane
