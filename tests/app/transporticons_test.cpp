#include "app/controls/transporticons.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <vector>

using namespace tunora;

namespace {

// How many pixels of the icon at `size` are drawn at all.
int inkedPixels(const QIcon &icon, int size)
{
    const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            inked += qAlpha(image.pixel(x, y)) > 128;
    }
    return inked;
}

} // namespace

TEST(TransportIcons, EveryMediaButtonHasItsOwnVisibleIconAtBothSizes)
{
    const std::vector<QStyle::StandardPixmap> kinds = {
        QStyle::SP_MediaPlay,         QStyle::SP_MediaPause,       QStyle::SP_MediaStop, QStyle::SP_MediaSkipBackward,
        QStyle::SP_MediaSkipForward, QStyle::SP_MediaVolume, QStyle::SP_MediaVolumeMuted,
    };
    std::vector<QImage> seen;
    for (const QStyle::StandardPixmap kind : kinds) {
        SCOPED_TRACE(int(kind));
        const QIcon icon = transportIcon(kind);
        ASSERT_FALSE(icon.isNull());
        for (const int size : {16, 32}) {
            EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size));
            // Drawn, but not a filled square: a shape the user can tell apart.
            const int inked = inkedPixels(icon, size);
            EXPECT_GT(inked, size * size / 10);
            EXPECT_LT(inked, size * size * 3 / 4);
        }
        const QImage image = icon.pixmap(16, 16).toImage();
        for (const QImage &other : seen)
            EXPECT_NE(image, other) << "two buttons share one icon";
        seen.push_back(image);
    }
}

TEST(TransportIcons, AnythingElseHasNoIcon)
{
    EXPECT_TRUE(transportIcon(QStyle::SP_DialogOkButton).isNull());
    EXPECT_TRUE(transportIcon(QStyle::SP_ToolBarHorizontalExtensionButton).isNull());
}
