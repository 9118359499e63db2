#include "app/controls/playercontrol.h"

#include "app/controls/seekstrip.h"
#include "app/window/accessiblenames.h"
#include "app/controls/transporticons.h"

#include "platform/engine/mediaplayer.h"
#include "session/playbacksession.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProxyStyle>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace tunora {

namespace {

QToolButton *transportButton(QWidget *parent, QStyle::StandardPixmap icon, const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setIcon(transportIcon(icon));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(26, 24);
    return button;
}

// A left click on the seek bar's groove puts the handle where it was clicked and holds it
// there as if dragged, so letting go plays from that point, as media players do; by
// default the click would only step the handle a page, and the next refresh would undo it.
class JumpToClickStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

PlayerControl::PlayerControl(PlaybackSession &session, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_player(session.player())
    , m_playPause(transportButton(this, QStyle::SP_MediaPlay, QStringLiteral(u"播放")))
    , m_stop(transportButton(this, QStyle::SP_MediaStop, QStringLiteral(u"停止")))
    , m_previous(transportButton(this, QStyle::SP_MediaSkipBackward, QStringLiteral(u"上一首")))
    , m_next(transportButton(this, QStyle::SP_MediaSkipForward, QStringLiteral(u"下一首")))
    , m_mute(transportButton(this, QStyle::SP_MediaVolume, QStringLiteral(u"静音")))
    , m_seek(new SeekStrip(this))
    , m_volume(new QSlider(Qt::Horizontal, this))
    , m_elapsed(new QLabel(clockText(0), this))
    , m_total(new QLabel(clockText(0), this))
    , m_refreshTimer(new QTimer(this))
{
    // Reached by Tab: Space then plays and pauses, the arrows seek.
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(226, 232, 240));
    pal.setColor(QPalette::WindowText, QColor(30, 40, 55));
    setPalette(pal);

    m_seek->setObjectName(QStringLiteral("seek"));
    m_seek->setFocusPolicy(Qt::NoFocus);
    m_seek->setRange(0, 0);
    m_seek->setMinimumHeight(26); // room for the song's loudness
    auto *jumpStyle = new JumpToClickStyle;
    jumpStyle->setParent(this);
    m_seek->setStyle(jumpStyle);
    m_volume->setObjectName(QStringLiteral("volume"));
    m_volume->setFocusPolicy(Qt::NoFocus);
    m_volume->setRange(0, 100);
    m_volume->setValue(m_session.volume());
    m_volume->setFixedWidth(80);
    m_mute->setCheckable(true);

    auto *top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(m_elapsed);
    top->addWidget(m_seek, 1);
    top->addWidget(m_total);
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(2);
    for (QToolButton *b : {m_playPause, m_stop, m_previous, m_next})
        bottom->addWidget(b);
    bottom->addStretch(1);
    bottom->addWidget(m_mute);
    bottom->addWidget(m_volume);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addLayout(bottom);

    connect(m_playPause, &QToolButton::clicked, this, &PlayerControl::playPauseClicked);
    connect(m_stop, &QToolButton::clicked, this, &PlayerControl::stopClicked);
    connect(m_previous, &QToolButton::clicked, &m_session, &PlaybackSession::previous);
    connect(m_next, &QToolButton::clicked, &m_session, &PlaybackSession::next);
    connect(m_mute, &QToolButton::toggled, this, [this](bool on) {
        m_player.setMuted(on);
        m_mute->setIcon(transportIcon(on ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    });
    connect(m_volume, &QSlider::valueChanged, &m_session, &PlaybackSession::setVolume);
    connect(&m_session, &PlaybackSession::volumeChanged, m_volume, &QSlider::setValue);
    connect(m_seek, &QSlider::sliderPressed, this, [this] { m_seeking = true; });
    connect(m_seek, &QSlider::sliderReleased, this, [this] {
        m_seeking = false;
        seekBarClicked(m_seek->value() / 1000.0);
    });
    connect(&m_player, &MediaPlayer::playStateChanged, this, &PlayerControl::onPlayStateChanged);
    connect(&m_player, &MediaPlayer::openStateChanged, this, [this] { refresh(); });
    // A jump from anywhere (keys, the desktop's media controls) shows at once.
    connect(&m_player, &MediaPlayer::seeked, this, &PlayerControl::refresh);
    connect(m_refreshTimer, &QTimer::timeout, this, &PlayerControl::refresh);
    m_refreshTimer->start(250);
    nameForScreenReaders();
}

void PlayerControl::playPauseClicked()
{
    m_session.playPause();
}

void PlayerControl::stopClicked()
{
    m_session.stop();
}

void PlayerControl::seekBarClicked(double seconds)
{
    m_session.seek(seconds);
    if (!m_seeking)
        m_seek->setValue(int(seconds * 1000));
}

// The buttons show only icons and the sliders no text; screen readers announce these names.
void PlayerControl::nameForScreenReaders()
{
    setAccessibleName(QStringLiteral(u"播放器"));
    m_playPause->setAccessibleName(QStringLiteral(u"播放/暂停"));
    m_stop->setAccessibleName(QStringLiteral(u"停止"));
    m_previous->setAccessibleName(QStringLiteral(u"上一首"));
    m_next->setAccessibleName(QStringLiteral(u"下一首"));
    m_mute->setAccessibleName(QStringLiteral(u"静音"));
    m_seek->setAccessibleName(QStringLiteral(u"播放进度"));
    m_volume->setAccessibleName(QStringLiteral(u"音量"));
}

// The face takes the keyboard focus (after every play-state change, and by Tab) but shows
// no control of its own as focused: a frame shows it.
void PlayerControl::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(1, 1, -1, -1);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
}

void PlayerControl::onPlayStateChanged(PlayState state)
{
    const bool playing = state == PlayState::Playing;
    m_playPause->setIcon(transportIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    showPlayPauseTip(playing);
    refresh();
}

void PlayerControl::setPlayPauseKeys(const QString &keys)
{
    m_playPauseKeys = keys;
    showPlayPauseTip(m_player.playState() == PlayState::Playing);
}

void PlayerControl::showPlayPauseTip(bool playing)
{
    const QString tip = playing ? QStringLiteral(u"暂停") : QStringLiteral(u"播放");
    m_playPause->setToolTip(m_playPauseKeys.isEmpty() ? tip : tipWithKeys(tip, m_playPauseKeys));
}

void PlayerControl::refresh()
{
    const double duration = qMax(0.0, m_player.duration()); // unknown: none
    const double position = m_player.currentPosition();
    m_total->setText(clockText(duration));
    m_elapsed->setText(clockText(position));
    if (!m_seeking) {
        m_seek->setRange(0, int(duration * 1000));
        m_seek->setValue(int(position * 1000));
    }
}

} // namespace tunora
