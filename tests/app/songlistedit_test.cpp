#include "support/windowfixture.h"

#include "app/controls/listselection.h"
#include "marking/endmarktimer.h"
#include "songlistrows.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace tunora;
using namespace tunora::test;
using namespace Qt::StringLiterals;

// A shown window whose song list is filled by each test.
class SongListEdit : public WindowFixture {
protected:
    void SetUp() override { start(); }

    SongListModel &songs() { return *ui().songList; }
    void add(const QStringList &cells) { appendRow(songs(), cells); }
    void select(int row) { selectRow(ui().songListView, row); }
    int selected() { return selectedRow(ui().songListView); }

    // A right-click as the list sees it: the press, which may select the row under the
    // mouse, then the context-menu request that the platform raises on it.
    void rightClick(const QPoint &pos)
    {
        QWidget *viewport = ui().songListView->viewport();
        QTest::mousePress(viewport, Qt::RightButton, {}, pos);
        QContextMenuEvent request(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
        QApplication::sendEvent(viewport, &request);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, pos);
    }
    QPoint rowCentre(int row) { return ui().songListView->visualRect(songs().index(row, 0)).center(); }
    QPoint belowTheRows() { return {10, ui().songListView->viewport()->height() - 4}; }
};

TEST_F(SongListEdit, RightClickPopsUpTheMenuOnlyWhileARowIsSelected)
{
    add({u"a.mp3"_s, u"1"_s, u"5"_s, u"4"_s, u"200"_s});
    add({u"b.mp3"_s, u"10"_s, u"30"_s, u"20"_s, u"180"_s});
    QMenu *menu = ui().songListMenu;
    QSignalSpy shown(menu, &QMenu::aboutToShow);
    ASSERT_LT(rowCentre(1).y(), belowTheRows().y() - 10);

    // Nothing selected, nothing under the mouse.
    rightClick(belowTheRows());
    ASSERT_EQ(selected(), -1);
    EXPECT_EQ(shown.count(), 0);
    EXPECT_FALSE(menu->isVisible());

    // The list selects the row under the mouse before the menu decides.
    rightClick(rowCentre(1));
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->parentWidget(), &window());
    menu->hide();
}

TEST_F(SongListEdit, MovesAtTheEdgesOrWithoutSelectionChangeNothingAndRefreshNothing)
{
    // Cut lengths that disagree with their marks show whether the refresh ran.
    const QList<QStringList> rows = {
        {u"a.mp3"_s, u"1"_s, u"5"_s, u"99"_s, u"200"_s},
        {u"b.mp3"_s, u"10"_s, u"30"_s, u"98"_s, u"180"_s},
    };
    for (const QStringList &row : rows)
        add(row);

    struct Case {
        int selectedRow;
        QAction *item;
    };
    for (const Case &c : {Case{0, ui().moveUpItem}, Case{1, ui().moveDownItem}, Case{-1, ui().moveUpItem},
                          Case{-1, ui().moveDownItem}}) {
        SCOPED_TRACE(c.item->text().toStdString() + " with row " + std::to_string(c.selectedRow));
        ui().songListView->clearSelection();
        if (c.selectedRow != -1)
            select(c.selectedRow);
        c.item->trigger();
        EXPECT_EQ(allRowCells(songs()), rows);
        EXPECT_EQ(selected(), c.selectedRow);
    }
    EXPECT_TRUE(m_desktop.messages.isEmpty());
}

TEST_F(SongListEdit, AMoveExchangesTheSongsAndEachKeepsTheCutLengthOfItsMarks)
{
    // Moving the top row down and the bottom row up are the same exchange.
    struct Case {
        int selectedRow;
        QAction *item;
    };
    for (const Case &c : {Case{0, ui().moveDownItem}, Case{1, ui().moveUpItem}}) {
        SCOPED_TRACE(c.item->text().toStdString());
        songs().clearSongs();
        add({u"a.mp3"_s, u"1"_s, u"5"_s, u"4"_s, u"200"_s});
        add({u"b.mp3"_s, u"10"_s, u"30"_s, u"20"_s, u"180"_s});
        select(c.selectedRow);

        c.item->trigger();
        EXPECT_EQ(rowCells(songs(), 0), (QStringList{u"b.mp3"_s, u"10"_s, u"30"_s, u"20"_s, u"180"_s}));
        EXPECT_EQ(rowCells(songs(), 1), (QStringList{u"a.mp3"_s, u"1"_s, u"5"_s, u"4"_s, u"200"_s}));
        // The selection stays on its index, so the same move again restores the order.
        EXPECT_EQ(selected(), c.selectedRow);
        c.item->trigger();
        EXPECT_EQ(rowCells(songs(), 0), (QStringList{u"a.mp3"_s, u"1"_s, u"5"_s, u"4"_s, u"200"_s}));
        EXPECT_EQ(rowCells(songs(), 1), (QStringList{u"b.mp3"_s, u"10"_s, u"30"_s, u"20"_s, u"180"_s}));
    }
}

TEST_F(SongListEdit, ARowWithoutBothMarksKeepsTheCutLengthThatStoodAtItsNewPlace)
{
    add({u"a.mp3"_s, u"2"_s, u"9"_s, u"7"_s, u"200"_s});
    add({u"b.mp3"_s, u"3"_s, u""_s, u""_s, u"180"_s});
    add({u"c.mp3"_s, u"1"_s, u"4"_s, u"99"_s, u"120"_s}); // stale: the refresh covers every row
    select(0);

    ui().moveDownItem->trigger();
    EXPECT_EQ(rowCells(songs(), 0), (QStringList{u"b.mp3"_s, u"3"_s, u""_s, u"7"_s, u"180"_s}));
    EXPECT_EQ(rowCells(songs(), 1), (QStringList{u"a.mp3"_s, u"2"_s, u"9"_s, u"7"_s, u"200"_s}));
    EXPECT_EQ(rowCells(songs(), 2), (QStringList{u"c.mp3"_s, u"1"_s, u"4"_s, u"3"_s, u"120"_s}));
    EXPECT_EQ(selected(), 0);
}

TEST_F(SongListEdit, DeleteRemovesOnlyTheSelectedRowWithoutAsking)
{
    add({u"a.mp3"_s, u"1"_s, u"5"_s, u"4"_s, u"200"_s});
    add({u"b.mp3"_s, u"10"_s, u"30"_s, u"20"_s, u"180"_s});
    add({u"c.mp3"_s, u"2"_s, u"3"_s, u"1"_s, u"120"_s});

    ui().deleteRowItem->trigger(); // nothing selected
    EXPECT_EQ(songs().rowCount(), 3);

    select(1);
    ui().deleteRowItem->trigger();
    EXPECT_EQ(allRowCells(songs()), (QList<QStringList>{
                                        {u"a.mp3"_s, u"1"_s, u"5"_s, u"4"_s, u"200"_s},
                                        {u"c.mp3"_s, u"2"_s, u"3"_s, u"1"_s, u"120"_s},
                                    }));
    EXPECT_TRUE(m_desktop.messages.isEmpty());
}

TEST_F(SongListEdit, ADeleteLeavesNoRowSelectedSoTheNextCommandFindsNone)
{
    const QList<QStringList> rows = {
        {u"a.mp3"_s, u"1"_s, u"5"_s, u"4"_s, u"200"_s},
        {u"b.mp3"_s, u"10"_s, u"30"_s, u"20"_s, u"180"_s},
        {u"c.mp3"_s, u"2"_s, u"3"_s, u"1"_s, u"120"_s},
    };
    // The view would pick the next row, or the previous one below the last.
    for (int chosen : {0, 1, 2}) {
        SCOPED_TRACE(chosen);
        songs().clearSongs();
        for (const QStringList &row : rows)
            add(row);
        QTest::mouseClick(ui().songListView->viewport(), Qt::LeftButton, {}, rowCentre(chosen));
        ASSERT_EQ(selected(), chosen);

        ui().deleteRowItem->trigger();
        QList<QStringList> left = rows;
        left.removeAt(chosen);
        EXPECT_EQ(allRowCells(songs()), left);
        EXPECT_EQ(selected(), -1);

        // Nothing selected: a second delete, the moves, the edit menu, the cut and the end
        // preview all find no row.
        ui().deleteRowItem->trigger();
        ui().moveUpItem->trigger();
        ui().moveDownItem->trigger();
        QSignalSpy shown(ui().songListMenu, &QMenu::aboutToShow);
        rightClick(belowTheRows());
        m_player.clearLog();
        ui().cutSelectedButton->click();
        ui().endPreviewButton->click();
        EXPECT_EQ(allRowCells(songs()), left);
        EXPECT_EQ(shown.count(), 0);
        EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
        EXPECT_TRUE(m_desktop.messages.isEmpty());
        EXPECT_FALSE(window().context().endMarkTimer->isArmed());
    }
}

TEST_F(SongListEdit, ClearEmptiesTheListAndOnAnEmptyListDoesNothing)
{
    QSignalSpy resets(&songs(), &QAbstractItemModel::modelReset);
    ui().clearListItem->trigger();
    EXPECT_EQ(songs().rowCount(), 0);
    EXPECT_EQ(resets.count(), 0);

    add({u"a.mp3"_s, u"1"_s, u"5"_s, u"4"_s, u"200"_s});
    add({u"b.mp3"_s, u"10"_s, u"30"_s, u"20"_s, u"180"_s});
    ui().clearListItem->trigger(); // without selection too
    EXPECT_EQ(songs().rowCount(), 0);
    EXPECT_TRUE(m_desktop.messages.isEmpty());
}
