#include "cuttingmessages.h"

#include "cutting/streamcopy.h"

namespace tunora {

namespace {

const QString kErrorTitle = QStringLiteral(u"错误");
const QString kNoteTitle = QStringLiteral(u"提示");

// A second line for cuts that failed for want of the stream-copy module: the user can act on it.
QString streamCopyProblemLine()
{
    return QStringLiteral(u"\n无法使用剪切模块：") + streamCopyProblem();
}

} // namespace

std::optional<Notice> cutOneNotice(CutOutcome outcome)
{
    switch (outcome) {
    case CutOutcome::Nothing:
        return std::nullopt;
    case CutOutcome::Written:
        return Notice{QStringLiteral(u"剪切成功！"), MessageStyle::Information, kNoteTitle};
    case CutOutcome::WriteFailed:
    case CutOutcome::CannotCut:
        return Notice{QStringLiteral(u"剪切失败！"), MessageStyle::Exclamation, kNoteTitle};
    case CutOutcome::StreamCopyUnavailable:
        return Notice{QStringLiteral(u"剪切失败！") + streamCopyProblemLine(), MessageStyle::Exclamation, kNoteTitle};
    }
    return std::nullopt;
}

Notice cutAllNotice(const CutTally &tally)
{
    return {QStringLiteral(u"剪切成功：") + QString::number(tally.succeeded) + QStringLiteral(u"首。剪切失败：")
                + QString::number(tally.failed) + QStringLiteral(u"首！")
                + (tally.streamCopyUnavailable ? streamCopyProblemLine() : QString()),
            MessageStyle::Information, kNoteTitle};
}

std::optional<Notice> mergeNotice(const MergeOutcome &outcome)
{
    switch (outcome.kind) {
    case MergeOutcome::Kind::Refused:
        return Notice{QStringLiteral(u"合并歌曲需要两首或以上才能合并！"), MessageStyle::Error, kErrorTitle};
    case MergeOutcome::Kind::Nothing:
    case MergeOutcome::Kind::WriteFailed:
        return std::nullopt;
    case MergeOutcome::Kind::Written:
        return Notice{QStringLiteral(u"合并成功：") + QString::number(outcome.merged) + QStringLiteral(u"首。合并失败：")
                          + QString::number(outcome.failed) + QStringLiteral(u"首！"),
                      MessageStyle::Information, kNoteTitle};
    }
    return std::nullopt;
}

} // namespace tunora
