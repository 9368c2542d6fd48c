// The piece-image holder: every picture exists at the asked size, is drawn (not
// blank), the two colours and the two states of a picture are told apart, and
// the board's margin follows the orientation.
#include "assets/frmPieces.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>

namespace corvane {
namespace {

QImage ImageOf(const QPixmap& pm) {
    return pm.toImage().convertToFormat(QImage::Format_ARGB32);
}

struct Coverage {
    double opaque = 0;    // share of pixels with alpha > 128
    double luminance = 0; // mean lightness of those pixels, 0..255
    int distinct = 0;     // distinct colours seen (capped)
};

Coverage Measure(const QImage& img) {
    Coverage c;
    QSet<QRgb> colours;
    long opaque = 0;
    double lum = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            if (colours.size() < 64) colours.insert(px);
            if (qAlpha(px) > 128) {
                ++opaque;
                lum += qGray(px);
            }
        }
    c.opaque = double(opaque) / (img.width() * img.height());
    c.luminance = opaque ? lum / opaque : 0;
    c.distinct = int(colours.size());
    return c;
}

TEST(frmPieces, EveryNamedPictureHasItsSizeAndIsDrawn) {
    frmPieces& holder = frmPieces::Instance();
    ASSERT_FALSE(frmPieces::Names().isEmpty());
    for (const QString& name : frmPieces::Names()) {
        SCOPED_TRACE(name.toStdString());
        const QSize size = frmPieces::DefaultSize(name);
        ASSERT_FALSE(size.isEmpty());
        for (const qreal dpr : {1.0, 2.0}) {
            const QPixmap pm = holder.Pixmap(name, {}, dpr);
            ASSERT_FALSE(pm.isNull());
            EXPECT_EQ(pm.size(), size * dpr);
            EXPECT_DOUBLE_EQ(pm.devicePixelRatio(), dpr);
            const Coverage c = Measure(ImageOf(pm));
            EXPECT_GT(c.opaque, 0.02);
            EXPECT_GE(c.distinct, 3);
        }
    }
    EXPECT_TRUE(holder.Pixmap(QStringLiteral("NoSuchPicture")).isNull());
    EXPECT_FALSE(holder.Icon(QStringLiteral("PointerON")).isNull());
}

TEST(frmPieces, PieceCodesAndIndexesMatch) {
    const char* codes[] = {"WR", "WN", "WB", "WQ", "WK", "WP", "BR", "BN", "BB", "BQ", "BK", "BP"};
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(frmPieces::PieceCode(i).toStdString(), codes[i - 1]);
        EXPECT_EQ(frmPieces::PieceIndexOf(codes[i - 1]), i);
        EXPECT_EQ(frmPieces::PieceIndexOf(std::string(codes[i - 1]) + " e4"), i); // first two count
    }
    for (const char* bad : {"", "W", "XX", "wp", "KW"})
        EXPECT_EQ(frmPieces::PieceIndexOf(bad), 0) << bad;
    EXPECT_TRUE(frmPieces::PieceCode(0).isEmpty());
    EXPECT_TRUE(frmPieces::PieceCode(13).isEmpty());
    EXPECT_TRUE(frmPieces::Instance().Piece(0).isNull());
    EXPECT_TRUE(frmPieces::Instance().Piece(13).isNull());
}

TEST(frmPieces, PiecesAreDistinctAndColoursDiffer) {
    frmPieces& holder = frmPieces::Instance();
    QList<QImage> images;
    for (int i = 1; i <= 12; ++i) images << ImageOf(holder.Piece(i));
    for (int i = 0; i < 12; ++i)
        for (int j = i + 1; j < 12; ++j)
            EXPECT_NE(images[i], images[j]) << i + 1 << " vs " << j + 1;
    for (int kind = 1; kind <= 6; ++kind) {
        const Coverage white = Measure(images[kind - 1]);
        const Coverage black = Measure(images[kind + 5]);
        EXPECT_GT(white.luminance, black.luminance + 80) << "kind " << kind;
        // Same silhouette for both colours.
        EXPECT_NEAR(white.opaque, black.opaque, 0.01) << "kind " << kind;
        // A piece fills a good part of its square, but stays inside it.
        EXPECT_GT(white.opaque, 0.15) << "kind " << kind;
        EXPECT_LT(white.opaque, 0.75) << "kind " << kind;
    }
    EXPECT_EQ(ImageOf(holder.PieceByCode("BN")), images[7]);
}

TEST(frmPieces, PiecesAreRedrawnAtEverySizeNotStretched) {
    frmPieces& holder = frmPieces::Instance();
    for (int i : {2, 5, 12}) {
        const QImage small = ImageOf(holder.Piece(i, 44));
        const QImage large = ImageOf(holder.Piece(i, 44, 3.0));
        ASSERT_EQ(large.size(), QSize(132, 132));
        // The silhouette keeps its proportion of the square at every resolution...
        EXPECT_NEAR(Measure(small).opaque, Measure(large).opaque, 0.03);
        // ...and its edges stay sharp: far fewer half-covered pixels than the
        // 44-pixel picture stretched to the same size.
        auto partial = [](const QImage& img) {
            long n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const int a = qAlpha(img.pixel(x, y));
                    n += a > 20 && a < 235;
                }
            return n;
        };
        const QImage stretched =
            small.scaled(132, 132, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(partial(large), 0.8 * partial(stretched)) << "piece " << i;
    }
}

TEST(frmPieces, BoardSquaresAlternateInBothOrientations) {
    frmPieces& holder = frmPieces::Instance();
    const int m = frmPieces::BoardMargin, s = frmPieces::SquareSize;
    for (const bool whiteAtBottom : {true, false}) {
        const QImage board = ImageOf(holder.Board(whiteAtBottom));
        ASSERT_EQ(board.size(), QSize(420, 420));
        EXPECT_EQ(ImageOf(holder.Board(whiteAtBottom, 2.0)).size(), QSize(840, 840));
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 8; ++col) {
                // a8 and h1 are light squares; either way the top left square is light.
                const int g = qGray(board.pixel(m + col * s + s / 2, m + row * s + s / 2));
                if ((row + col) % 2 == 0)
                    EXPECT_GT(g, 180) << row << "," << col;
                else
                    EXPECT_LT(g, 160) << row << "," << col;
            }
    }
}

// Pixels of the light coordinate glyphs inside one margin cell.
QImage Glyph(const QImage& board, QRect cell) {
    QImage mask(cell.size(), QImage::Format_Mono);
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x)
            mask.setPixel(x, y, qGray(board.pixel(cell.x() + x, cell.y() + y)) > 150 ? 1 : 0);
    return mask;
}

int Differences(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixelIndex(x, y) != b.pixelIndex(x, y);
    return n;
}

int Ink(const QImage& mask) {
    int n = 0;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) n += mask.pixelIndex(x, y);
    return n;
}

TEST(frmPieces, MarginCoordinatesFollowTheOrientation) {
    frmPieces& holder = frmPieces::Instance();
    const QImage normal = ImageOf(holder.Board(true));
    const QImage flipped = ImageOf(holder.Board(false));
    const int m = frmPieces::BoardMargin, s = frmPieces::SquareSize, size = frmPieces::BoardSize;
    auto bottomCell = [&](int col) { return QRect(m + col * s, size - m, s, m); };
    auto leftCell = [&](int row) { return QRect(0, m + row * s, m, s); };
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        // The letter under column i with White at the bottom is the one under
        // column 7 - i with Black at the bottom (a..h against h..a).
        const QImage letter = Glyph(normal, bottomCell(i));
        EXPECT_GT(Ink(letter), 15);
        EXPECT_LE(Differences(letter, Glyph(flipped, bottomCell(7 - i))), 4);
        const QImage digit = Glyph(normal, leftCell(i));
        EXPECT_GT(Ink(digit), 10);
        EXPECT_LE(Differences(digit, Glyph(flipped, leftCell(7 - i))), 4);
        if (i != 7 - i) {
            EXPECT_GT(Differences(letter, Glyph(flipped, bottomCell(i))), 10);
        }
    }
    // "a" and "h", "1" and "8" really differ.
    EXPECT_GT(Differences(Glyph(normal, bottomCell(0)), Glyph(normal, bottomCell(7))), 10);
    EXPECT_GT(Differences(Glyph(normal, leftCell(0)), Glyph(normal, leftCell(7))), 10);
    // The squares themselves do not change.
    const QRect field(m, m, 8 * s, 8 * s);
    EXPECT_EQ(normal.copy(field), flipped.copy(field));
}

TEST(frmPieces, StatesOfAPictureAreToldApart) {
    frmPieces& holder = frmPieces::Instance();
    struct Pair {
        QPixmap a, b;
        bool aBrighter;
        const char* what;
    };
    const Pair pairs[] = {
        {holder.Button(QSize(120, 32), true), holder.Button(QSize(120, 32), false), true, "button"},
        {holder.PointerON(), holder.PointerOFF(), true, "pointer"},
        {holder.MenuIcon(3, 36, true), holder.MenuIcon(3, 36, false), true, "menu hover"},
        {holder.MenuIcon(2, 36, false, 0), holder.MenuIcon(2, 36, false, 1), false, "sound on/off"},
        {holder.MenuIcon(4, 36, false, 0), holder.Pixmap(QStringLiteral("imgRes")), false,
         "restore"},
        {holder.Pixmap(QStringLiteral("radiodown")), holder.Pixmap(QStringLiteral("radioup")), true,
         "radio"},
        {holder.Pixmap(QStringLiteral("imgJog1")), holder.Pixmap(QStringLiteral("imgJog2")), false,
         "human"},
        {holder.Pixmap(QStringLiteral("imgTab1")), holder.Pixmap(QStringLiteral("imgTab2")), false,
         "tabs"},
    };
    for (const Pair& p : pairs) {
        const QImage a = ImageOf(p.a), b = ImageOf(p.b);
        EXPECT_EQ(a.size(), b.size()) << p.what;
        EXPECT_NE(a, b) << p.what;
        if (p.aBrighter) {
            EXPECT_GT(Measure(a).luminance, Measure(b).luminance + 10) << p.what;
        }
    }
    for (int item = 1; item <= 9; ++item)
        for (int other = item + 1; other <= 9; ++other)
            EXPECT_NE(ImageOf(holder.MenuIcon(item, 36, false)),
                      ImageOf(holder.MenuIcon(other, 36, false)))
                << item << " vs " << other;
    EXPECT_TRUE(holder.MenuIcon(0, 36, false).isNull());
}

// PaintPiece draws what Piece hands out, and the board view redraws only the
// pixels a piece may touch: everything a piece draws lies within PieceInk (plus
// the pixel antialiasing may reach).
TEST(frmPieces, PaintedPiecesMatchAndStayWithinTheirInk) {
    const QRectF target(60, 60, 44, 44);
    for (int piece = 1; piece <= 12; ++piece) {
        QImage img(QSize(208, 208), QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            frmPieces::PaintPiece(p, target, piece);
        }
        const QImage handed =
            frmPieces::Instance().Piece(piece).toImage().convertToFormat(img.format());
        const QRectF ink = frmPieces::PieceInk(target, piece);
        EXPECT_TRUE(target.adjusted(-9, -9, 9, 9).contains(ink)) << piece << " ink stays local";
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

} // namespace
} // namespace corvane
