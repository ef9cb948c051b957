// The pictures drawn by code: the application icon as the Windows build embeds it. No
// application object exists in this test, as in the build-time tool that writes the icon.

#include "app/skin/Artwork.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>

using namespace hx::app;

namespace {

std::uint32_t le(const QByteArray& b, int at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

TEST(Artwork, IconFileHoldsOne32By32TwentyFourBitImageWithItsMask)
{
    const QImage icon = artwork::appIcon();
    ASSERT_EQ(icon.size(), QSize(32, 32));
    const QByteArray ico = artwork::iconFile(icon);
    // Directory: one icon image, 32 x 32, 24 bits, right after the directory entry.
    ASSERT_EQ(ico.size(), 6 + 16 + 40 + 32 * 96 + 32 * 4);
    EXPECT_EQ(le(ico, 0, 2), 0u);
    EXPECT_EQ(le(ico, 2, 2), 1u);
    EXPECT_EQ(le(ico, 4, 2), 1u);
    EXPECT_EQ(le(ico, 6, 1), 32u);
    EXPECT_EQ(le(ico, 7, 1), 32u);
    EXPECT_EQ(le(ico, 12, 2), 24u);
    EXPECT_EQ(le(ico, 14, 4), std::uint32_t(ico.size() - 22));
    EXPECT_EQ(le(ico, 18, 4), 22u);
    // Bitmap header: twice the height for colour and mask, 24 bits, uncompressed.
    EXPECT_EQ(le(ico, 22, 4), 40u);
    EXPECT_EQ(le(ico, 26, 4), 32u);
    EXPECT_EQ(le(ico, 30, 4), 64u);
    EXPECT_EQ(le(ico, 36, 2), 24u);
    EXPECT_EQ(le(ico, 38, 4), 0u);

    // A reader sees the drawing: the middle keeps its colour and the first colour row in the
    // file is the picture's bottom row. (Qt's reader ignores the mask of 24-bit images, so the
    // mask is read from the bytes: rows bottom-up, four bytes each, a set bit shows through.)
    QImage read = QImage::fromData(ico, "ICO");
    ASSERT_EQ(read.size(), QSize(32, 32));
    read = read.convertToFormat(QImage::Format_ARGB32);
    const auto transparent = [&](int x, int y) {
        const int row = 22 + 40 + 32 * 96 + (31 - y) * 4;
        return (static_cast<unsigned char>(ico[row + x / 8]) & (0x80 >> (x % 8))) != 0;
    };
    for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        EXPECT_TRUE(transparent(corner.x(), corner.y())) << corner.x() << "," << corner.y();
    const QImage drawn = icon.convertToFormat(QImage::Format_ARGB32);
    for (const QPoint at : {QPoint(16, 16), QPoint(10, 12), QPoint(3, 28), QPoint(28, 3)}) {
        EXPECT_FALSE(transparent(at.x(), at.y())) << at.x() << "," << at.y();
        EXPECT_EQ(read.pixel(at) & 0xFFFFFF, drawn.pixel(at) & 0xFFFFFF) << at.x() << "," << at.y();
    }
    EXPECT_NE(read.pixel(10, 12), read.pixel(3, 28)); // white letter against the blue ground
}

TEST(Artwork, IconFilePadsRowsOfOtherWidths)
{
    // 5 pixels: 15 colour bytes padded to 16, mask row 4 bytes.
    QImage odd(5, 3, QImage::Format_ARGB32);
    odd.fill(QColor(10, 20, 30));
    odd.setPixel(4, 0, qRgba(0, 0, 0, 0));
    const QByteArray ico = artwork::iconFile(odd);
    ASSERT_EQ(ico.size(), 22 + 40 + 3 * 16 + 3 * 4);
    // Bottom-up: the picture's top row is the last colour row and the last mask row.
    const int topColourRow = 22 + 40 + 2 * 16;
    EXPECT_EQ(static_cast<unsigned char>(ico[topColourRow]), 30); // blue first
    EXPECT_EQ(static_cast<unsigned char>(ico[topColourRow + 2]), 10);
    const int topMaskRow = 22 + 40 + 3 * 16 + 2 * 4;
    EXPECT_EQ(static_cast<unsigned char>(ico[topMaskRow]), 0x08); // pixel 4 shows through
    EXPECT_EQ(static_cast<unsigned char>(ico[topMaskRow - 4]), 0x00);
}

} // namespace
