#include "app/panels/cuttingmessages.h"

#include "cutting/streamcopy.h"
#include "platform/files/filenames.h"

namespace tunora {

namespace {

const QString kErrorTitle = QStringLiteral(u"错误");
const QString kNoteTitle = QStringLiteral(u"提示");

// The line added when outputs stayed where they were written: without it the user would
// look for them in the program directory, or find an older one there.
QString leftInWorkDirLine(const QString &what, const FilePath &workDir)
{
    return QStringLiteral(u"\n") + what + QStringLiteral(u"无法移到程序目录，留在：") + displayPath(workDir.text());
}

QString mergeTally(const MergeOutcome &outcome)
{
    return QStringLiteral(u"合并成功：") + QString::number(outcome.merged) + QStringLiteral(u"首。合并失败：")
        + QString::number(outcome.failed) + QStringLiteral(u"首！");
}

// A second line for cuts that failed for want of the stream-copy module: the user can act on it.
QString streamCopyProblemLine()
{
    return QStringLiteral(u"\n无法使用剪切模块：") + streamCopyProblem();
}
QString effectsLine(EffectsApplied effects)
{
    return effects == EffectsApplied::NotForThisFile ? QStringLiteral(u"\n铃声效果不适用于这种格式：铃声按原样写出。")
                                                     : QString();
}

} // namespace

std::optional<Notice> cutOneNotice(CutOutcome outcome, const FilePath &workDir, EffectsApplied effects)
{
    switch (outcome) {
    case CutOutcome::Nothing:
        return std::nullopt;
    case CutOutcome::Written:
        return Notice{QStringLiteral(u"剪切成功！") + effectsLine(effects), MessageStyle::Information, kNoteTitle};
    case CutOutcome::WrittenInWorkDir:
        return Notice{QStringLiteral(u"剪切成功！") + effectsLine(effects)
                          + leftInWorkDirLine(QStringLiteral(u"铃声"), workDir),
                      MessageStyle::Exclamation, kNoteTitle};
    case CutOutcome::WriteFailed:
    case CutOutcome::CannotCut:
        return Notice{QStringLiteral(u"剪切失败！"), MessageStyle::Exclamation, kNoteTitle};
    case CutOutcome::StreamCopyUnavailable:
        return Notice{QStringLiteral(u"剪切失败！") + streamCopyProblemLine(), MessageStyle::Exclamation, kNoteTitle};
    }
    return std::nullopt;
}

Notice cutAllNotice(const CutTally &tally, const FilePath &workDir)
{
    const QString text = QStringLiteral(u"剪切成功：") + QString::number(tally.succeeded)
        + QStringLiteral(u"首。剪切失败：") + QString::number(tally.failed) + QStringLiteral(u"首！")
        + (tally.streamCopyUnavailable ? streamCopyProblemLine() : QString());
    if (tally.leftInWorkDir == 0)
        return {text, MessageStyle::Information, kNoteTitle};
    const QString left = QStringLiteral(u"其中") + QString::number(tally.leftInWorkDir) + QStringLiteral(u"首");
    return {text + leftInWorkDirLine(left, workDir), MessageStyle::Exclamation, kNoteTitle};
}

std::optional<Notice> mergeNotice(const MergeOutcome &outcome, const FilePath &workDir)
{
    switch (outcome.kind) {
    case MergeOutcome::Kind::Refused:
        return Notice{QStringLiteral(u"合并歌曲需要两首或以上才能合并！"), MessageStyle::Error, kErrorTitle};
    case MergeOutcome::Kind::Nothing:
    case MergeOutcome::Kind::WriteFailed:
        return std::nullopt;
    case MergeOutcome::Kind::Written:
        return Notice{mergeTally(outcome), MessageStyle::Information, kNoteTitle};
    case MergeOutcome::Kind::WrittenInWorkDir:
        return Notice{mergeTally(outcome) + leftInWorkDirLine(QStringLiteral(u"合并文件"), workDir),
                      MessageStyle::Exclamation, kNoteTitle};
    }
    return std::nullopt;
}

QString rowProgressText(int rowsDone, int rows)
{
    return QStringLiteral(u"第 ") + QString::number(rowsDone) + QStringLiteral(u" / ") + QString::number(rows)
        + QStringLiteral(u" 首");
}

} // namespace tunora
