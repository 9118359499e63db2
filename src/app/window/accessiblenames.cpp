#include "app/window/accessiblenames.h"

#include "app/window/mainwindowui.h"
#include "app/controls/picturebox.h"
#include "app/controls/searchcombobox.h"
#include "app/controls/spincontrol.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QTreeView>

namespace tunora {

namespace {

void describe(QWidget *widget, const QString &name, const QString &description = QString())
{
    widget->setAccessibleName(name);
    if (!description.isEmpty())
        widget->setAccessibleDescription(description);
}

// The arrows of a spin control show no text; each says which way it moves the mark.
void describeSpin(SpinControl *spin, const QString &mark)
{
    describe(spin, mark + QStringLiteral(u"微调"));
    describe(spin->downButton(), mark + QStringLiteral(u"提前"),
             QStringLiteral(u"把") + mark + QStringLiteral(u"提前一个调整步长"));
    describe(spin->upButton(), mark + QStringLiteral(u"推后"),
             QStringLiteral(u"把") + mark + QStringLiteral(u"推后一个调整步长"));
}

} // namespace

void nameControlsForScreenReaders(MainWindowUi &ui)
{
    describe(ui.searchBox, QStringLiteral(u"搜索歌曲"), QStringLiteral(u"输入文字，在歌曲文件列表中查找歌曲"));
    if (QLineEdit *search = ui.searchBox->lineEdit())
        describe(search, QStringLiteral(u"搜索文字"));
    describe(ui.searchBox->view(), QStringLiteral(u"搜索结果"));
    describe(ui.songFileList, QStringLiteral(u"歌曲文件列表"), QStringLiteral(u"歌曲目录中的歌曲，双击播放"));
    describe(ui.bannerPicture, QStringLiteral(u"关于 Tunora"), QStringLiteral(u"显示版本、设置文件和使用说明的位置"));

    describeSpin(ui.startSpin, QStringLiteral(u"开始时间"));
    describeSpin(ui.endSpin, QStringLiteral(u"结束时间"));
    describe(ui.startEntryBox, QStringLiteral(u"开始时间定位"), QStringLiteral(u"输入开始时间（秒）"));
    describe(ui.endEntryBox, QStringLiteral(u"结束时间定位"), QStringLiteral(u"输入结束时间（秒）"));
    describe(ui.stepBox, QStringLiteral(u"调整步长"), QStringLiteral(u"微调箭头每按一次移动的秒数"));
    describe(ui.previewLeadBox, QStringLiteral(u"试听秒数"), QStringLiteral(u"试听结束时间时，从结束时间之前多少秒开始播放"));
    describe(ui.songListView, QStringLiteral(u"歌曲列表"),
             QStringLiteral(u"已标记的歌曲：歌曲名、开始时间、结束时间、剪切长度、歌曲长度"));
    describe(ui.instructionsBox, QStringLiteral(u"使用说明"));
}

QString tipWithKeys(const QString &tip, const QString &keys)
{
    const QString hint = QStringLiteral(u"快捷键：") + keys;
    return tip.isEmpty() ? hint : tip + QStringLiteral(u"（") + hint + QStringLiteral(u"）");
}

void announceKeys(QWidget *control, const QString &keys)
{
    control->setToolTip(tipWithKeys(control->toolTip(), keys));
    const QString hint = QStringLiteral(u"快捷键：") + keys;
    const QString description = control->accessibleDescription();
    control->setAccessibleDescription(description.isEmpty() ? hint : description + QStringLiteral(u"；") + hint);
}

} // namespace tunora
