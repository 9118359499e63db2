#include "support/windowfixture.h"

#include "library/songlistmodel.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>

using namespace tunora;
using namespace tunora::test;

class Layout : public WindowFixture {};

TEST_F(Layout, EveryControlHasItsNameParentPlaceAndText)
{
    start();
    struct Control { const char16_t *name; const char16_t *parent; QRect rect; const char16_t *text; };
    const Control controls[] = {
        {u"播放器1", u"client", {8, 0, 464, 64}, nullptr},
        {u"组合框1", u"client", {472, 0, 168, 20}, nullptr},
        {u"列表框1", u"client", {472, 24, 168, 376}, nullptr},
        {u"图片框1", u"client", {496, 400, 107, 24}, nullptr},
        {u"分组框1", u"client", {8, 64, 464, 72}, u"歌曲信息"},
        {u"标签1", u"分组框1", {8, 16, 448, 24}, u"歌曲名："},
        {u"标签2", u"分组框1", {8, 40, 448, 24}, u"歌曲路径："},
        {u"分组框2", u"client", {8, 136, 464, 288}, u"剪切工具"},
        {u"按钮3", u"分组框2", {8, 16, 120, 24}, u"开始标记↓"},
        {u"调节器1", u"分组框2", {128, 16, 16, 24}, nullptr},
        {u"标签3", u"分组框2", {152, 16, 96, 24}, u"开始时间："},
        {u"标签9", u"分组框2", {256, 16, 32, 24}, u"定位："},
        {u"编辑框3", u"分组框2", {296, 16, 40, 24}, u""},
        {u"标签7", u"分组框2", {344, 16, 80, 24}, u"调整上下时间："},
        {u"编辑框2", u"分组框2", {432, 16, 24, 24}, u"0.2"},
        {u"按钮4", u"分组框2", {8, 48, 120, 24}, u"结束标记↑"},
        {u"调节器2", u"分组框2", {128, 48, 16, 24}, nullptr},
        {u"标签4", u"分组框2", {152, 48, 96, 24}, u"结束时间："},
        {u"标签10", u"分组框2", {256, 48, 32, 24}, u"定位："},
        {u"编辑框4", u"分组框2", {296, 48, 40, 24}, u""},
        {u"标签6", u"分组框2", {344, 48, 80, 24}, u"试听结束时间："},
        {u"编辑框5", u"分组框2", {432, 48, 16, 24}, u"3"},
        {u"按钮7", u"分组框2", {8, 80, 80, 24}, u"刷新列表"},
        {u"按钮5", u"分组框2", {96, 80, 80, 24}, u"单个剪切"},
        {u"按钮9", u"分组框2", {184, 80, 80, 24}, u"全部剪切"},
        {u"按钮1", u"分组框2", {272, 80, 80, 24}, u"合并全部"},
        {u"按钮6", u"分组框2", {360, 80, 96, 24}, u"试听结束时间"},
        {u"超级列表框1", u"分组框2", {8, 112, 448, 136}, nullptr},
        {u"编辑框1", u"分组框2", {8, 248, 448, 32}, nullptr},
    };
    for (const Control &c : controls) {
        const QString name = QString::fromUtf16(c.name);
        SCOPED_TRACE(name.toStdString());
        auto *widget = window().findChild<QWidget *>(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromUtf16(c.parent));
        EXPECT_EQ(widget->geometry(), c.rect);
        if (!c.text)
            continue;
        const QString text = QString::fromUtf16(c.text);
        if (auto *l = qobject_cast<QLabel *>(widget))
            EXPECT_EQ(l->text(), text);
        else if (auto *b = qobject_cast<QAbstractButton *>(widget))
            EXPECT_EQ(b->text(), text);
        else if (auto *e = qobject_cast<QLineEdit *>(widget))
            EXPECT_EQ(e->text(), text);
        else if (auto *g = qobject_cast<QGroupBox *>(widget))
            EXPECT_EQ(g->title(), text);
        else
            ADD_FAILURE() << "no text to compare";
    }
    EXPECT_NE(window().findChild<QObject *>(QStringLiteral(u"时钟1")), nullptr);
    EXPECT_NE(window().findChild<QObject *>(QStringLiteral(u"超级菜单1")), nullptr);
    EXPECT_EQ(window().windowTitle(), QStringLiteral(u"Tunora[原Clipvane] Ver 2.3 —Wenlo"));
    // The icon is given once the first frame is drawn.
    window().grab();
    QCoreApplication::processEvents();
    const QList<QSize> iconSizes = window().windowIcon().availableSizes();
    for (int size : {256, 128, 48, 32, 24, 16})
        EXPECT_TRUE(iconSizes.contains(QSize(size, size))) << size;
    // The banner is drawn when the box is first painted.
    ui().bannerPicture->grab();
    EXPECT_EQ(ui().bannerPicture->pixmap().size(), QSize(107, 24));
    EXPECT_EQ(ui().bannerPicture->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(Layout, SongListHasFiveHeadedColumnsAndStartsEmpty)
{
    start();
    QTreeView *list = ui().songListView;
    const char16_t *headers[] = {u"歌曲名", u"开始时间", u"结束时间", u"剪切长度", u"歌曲长度"};
    const int widths[] = {200, 60, 60, 60, 60};
    ASSERT_EQ(list->model()->columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), QString::fromUtf16(headers[c]));
        EXPECT_EQ(list->columnWidth(c), widths[c]);
    }
    EXPECT_EQ(list->model()->rowCount(), 0);
}

TEST_F(Layout, InstructionsAreExactReadOnlyAndRed)
{
    start();
    EXPECT_EQ(ui().instructionsBox->toPlainText(),
              QStringLiteral(u"使用说明： 双击歌曲，即可试听歌曲！选中歌曲右键可对列表进行编辑！生成歌曲从下到上排序（包括全部合并）！选择歌曲才能（单个剪切）或试（听结束时间）！"));
    EXPECT_TRUE(ui().instructionsBox->isReadOnly());
    EXPECT_EQ(ui().instructionsBox->palette().color(QPalette::Text), QColor(255, 0, 0));
}

TEST_F(Layout, NumberBoxesTakeOnlyDecimalsUpToTheirLength)
{
    start();
    struct Case { QLineEdit *box; QString typed; QString expected; };
    const Case cases[] = {
        {ui().stepBox, QStringLiteral("0.2a"), QStringLiteral("0.2")},   // a letter is refused
        {ui().stepBox, QStringLiteral("1.25"), QStringLiteral("1.2")},   // a fourth character is refused
        {ui().startEntryBox, QStringLiteral("12.347x9"), QStringLiteral("12.347")},
        {ui().endEntryBox, QStringLiteral("1.2.3"), QStringLiteral("1.23")},
        {ui().previewLeadBox, QStringLiteral("345"), QStringLiteral("34")},
        {ui().previewLeadBox, QStringLiteral("-1"), QStringLiteral("1")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.box->objectName().toStdString() + " " + c.typed.toStdString());
        c.box->clear();
        QTest::keyClicks(c.box, c.typed);
        EXPECT_EQ(c.box->text(), c.expected);
    }
}
