#include "app/appstyle.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

using namespace tunora;

namespace {

QImage drawn(const QIcon &icon, int size)
{
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

int inkedPixels(const QImage &image)
{
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            inked += qAlpha(image.pixel(x, y)) > 128;
    }
    return inked;
}

} // namespace

TEST(AppStyle, OverflowArrowsAreDrawnVisiblyAndPointTheirOwnWay)
{
    AppStyle style;
    for (const int size : {8, 16, 32}) {
        const QImage right = drawn(style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton), size);
        const QImage down = drawn(style.standardIcon(QStyle::SP_ToolBarVerticalExtensionButton), size);
        EXPECT_EQ(right.size(), QSize(size, size));
        EXPECT_GT(inkedPixels(right), size / 2) << size;
        EXPECT_GT(inkedPixels(down), size / 2) << size;
        EXPECT_NE(right, down) << size;
    }
}

TEST(AppStyle, OtherIconsComeFromTheBaseStyle)
{
    AppStyle style;
    const QIcon icon = style.standardIcon(QStyle::SP_DialogOkButton);
    EXPECT_FALSE(icon.isNull());
    EXPECT_GT(inkedPixels(drawn(icon, 16)), 0);
}
