#include "app/controls/seekstrip.h"

#include "overview/songoverview.h"
#include "platform/numbers/numbers.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tunora {

namespace {

// How near a band edge, in pixels, a press takes hold of it.
constexpr int kEdgeReach = 4;

const QString kPlainDescription = QStringLiteral(u"点击或拖动到歌曲中的位置");

// A slider whose value a screen reader reads in seconds, as the player's clock counts; set,
// it seeks there as a drag let go there does.
class SeekStripAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SeekStripAccessible(SeekStrip *strip)
        : QAccessibleWidget(strip, QAccessible::Slider)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return currentValue().toString();
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return strip()->value() / 1000.0; }
    void setCurrentValue(const QVariant &value) override
    {
        strip()->setSliderDown(true);
        strip()->setSliderPosition(int(std::lround(value.toDouble() * 1000)));
        strip()->setSliderDown(false);
    }
    QVariant maximumValue() const override { return strip()->maximum() / 1000.0; }
    QVariant minimumValue() const override { return strip()->minimum() / 1000.0; }
    QVariant minimumStepSize() const override { return 1.0; }

private:
    SeekStrip *strip() const { return static_cast<SeekStrip *>(widget()); }
};

QAccessibleInterface *seekStripAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(SeekStrip::staticMetaObject.className()) && object && object->isWidgetType())
        return new SeekStripAccessible(static_cast<SeekStrip *>(object));
    return nullptr;
}

} // namespace

QString clockText(double seconds)
{
    const int whole = seconds > 0 ? int(seconds) : 0;
    return QStringLiteral("%1:%2").arg(whole / 60, 2, 10, QLatin1Char('0')).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

SeekStrip::SeekStrip(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(seekStripAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setMouseTracking(true); // the time under the pointer
    m_describedMarks = kPlainDescription;
    setAccessibleDescription(m_describedMarks);
}

void SeekStrip::setOverview(std::shared_ptr<const SongOverview> overview)
{
    m_overview = std::move(overview);
    updateColumns();
    update();
}

void SeekStrip::setMarks(std::optional<double> start, std::optional<double> end)
{
    if (start == m_start && end == m_end)
        return;
    m_start = start;
    m_end = end;
    describeMarks();
    update();
}

void SeekStrip::describeMarks()
{
    QStringList parts;
    if (m_start)
        parts.append(QStringLiteral(u"开始时间 ") + markText(*m_start));
    if (m_end)
        parts.append(QStringLiteral(u"结束时间 ") + markText(*m_end));
    // Only the part this strip wrote is replaced: what others added after it (the keys that
    // seek) stays.
    const QString current = accessibleDescription();
    const QString rest = current.startsWith(m_describedMarks) ? current.mid(m_describedMarks.size()) : QString();
    m_describedMarks = parts.isEmpty() ? kPlainDescription : parts.join(QStringLiteral(u"，"));
    setAccessibleDescription(m_describedMarks + rest);
}

QRect SeekStrip::drawArea() const
{
    return rect().adjusted(2, 1, -2, -1);
}

double SeekStrip::songSeconds() const
{
    if (maximum() > 0)
        return maximum() / 1000.0;
    return m_overview ? m_overview->seconds() : 0.0;
}

int SeekStrip::xOfSeconds(double seconds) const
{
    const QRect area = drawArea();
    const double length = songSeconds();
    if (length <= 0)
        return area.left();
    return area.left() + int(std::lround(std::clamp(seconds / length, 0.0, 1.0) * (area.width() - 1)));
}

double SeekStrip::secondsAtX(int x) const
{
    const QRect area = drawArea();
    if (area.width() <= 1)
        return 0;
    return std::clamp(double(x - area.left()) / (area.width() - 1), 0.0, 1.0) * songSeconds();
}

std::optional<SeekStrip::Edge> SeekStrip::edgeAt(int x) const
{
    if (!m_overview || !m_start || !m_end)
        return std::nullopt;
    const int startX = xOfSeconds(*m_start);
    const int endX = xOfSeconds(*m_end);
    const int toStart = std::abs(x - startX);
    const int toEnd = std::abs(x - endX);
    if (std::min(toStart, toEnd) > kEdgeReach)
        return std::nullopt;
    return toStart <= toEnd ? Edge::Start : Edge::End;
}

void SeekStrip::updateColumns()
{
    m_columns.clear();
    if (!m_overview)
        return;
    m_columns = overviewColumns(*m_overview, songSeconds(), drawArea().width());
    const float loudest = m_columns.empty() ? 0.0f : *std::max_element(m_columns.begin(), m_columns.end());
    if (loudest > 0) {
        for (float &c : m_columns)
            c /= loudest;
    }
}

void SeekStrip::resizeEvent(QResizeEvent *event)
{
    QSlider::resizeEvent(event);
    updateColumns();
}

void SeekStrip::sliderChange(SliderChange change)
{
    QSlider::sliderChange(change);
    if (change == SliderRangeChange) // the player learnt the song's length
        updateColumns();
}

void SeekStrip::paintEvent(QPaintEvent *event)
{
    if (!m_overview) {
        QSlider::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect area = drawArea();
    painter.fillRect(area, QColor(250, 251, 253));
    painter.setPen(QColor(170, 180, 195));
    painter.drawRect(area.adjusted(0, 0, -1, -1));

    // The band behind the sound, so the sound stays readable over it; an edge being dragged
    // is drawn where it is held.
    std::optional<double> start = m_start;
    std::optional<double> end = m_end;
    if (m_draggedEdge && m_heldAt)
        (*m_draggedEdge == Edge::Start ? start : end) = m_heldAt;
    if (start && end) {
        const int a = xOfSeconds(std::min(*start, *end));
        const int b = xOfSeconds(std::max(*start, *end));
        const QRect band(a, area.top(), std::max(b - a, 1), area.height());
        painter.fillRect(band, QColor(255, 196, 64, 110));
        painter.setPen(QPen(QColor(200, 120, 0), 2));
        for (const double edge : {*start, *end})
            painter.drawLine(xOfSeconds(edge), area.top(), xOfSeconds(edge), area.bottom());
    }

    const int position = xOfSeconds(sliderPosition() / 1000.0);
    const double middle = area.top() + area.height() / 2.0;
    const double reach = (area.height() - 4) / 2.0;
    for (int i = 0; i < int(m_columns.size()); ++i) {
        const int x = area.left() + i;
        const double half = std::max(0.5, double(m_columns[size_t(i)]) * reach);
        painter.setPen(x <= position ? QColor(40, 110, 200) : QColor(120, 135, 155));
        painter.drawLine(QPointF(x + 0.5, middle - half), QPointF(x + 0.5, middle + half));
    }
    painter.setPen(QPen(QColor(200, 30, 30), 2));
    painter.drawLine(position, area.top(), position, area.bottom());
}

void SeekStrip::mousePressEvent(QMouseEvent *event)
{
    if (!m_overview || event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    event->accept();
    const int x = int(event->position().x());
    m_draggedEdge = edgeAt(x);
    m_heldAt.reset();
    if (m_draggedEdge)
        return;
    // A press anywhere else holds the position there, as the plain bar's jump-to-click does.
    m_seekDrag = true;
    setSliderDown(true);
    setSliderPosition(int(std::lround(secondsAtX(x) * 1000)));
}

void SeekStrip::mouseMoveEvent(QMouseEvent *event)
{
    const int x = int(event->position().x());
    if (m_overview || maximum() > 0)
        QToolTip::showText(event->globalPosition().toPoint(), clockText(secondsAtX(x)), this);
    if (!m_overview) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    event->accept();
    if (m_draggedEdge) {
        // The band follows; the mark itself moves when the edge is let go.
        m_heldAt = secondsAtX(x);
        update();
    } else if (m_seekDrag) {
        setSliderPosition(int(std::lround(secondsAtX(x) * 1000)));
    } else {
        setCursor(edgeAt(x) ? Qt::SizeHorCursor : Qt::ArrowCursor);
    }
}

void SeekStrip::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_overview || event->button() != Qt::LeftButton) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    const int x = int(event->position().x());
    if (const std::optional<Edge> edge = std::exchange(m_draggedEdge, std::nullopt)) {
        m_heldAt.reset();
        update();
        Q_EMIT markDragged(*edge, secondsAtX(x));
        return;
    }
    if (std::exchange(m_seekDrag, false)) {
        setSliderPosition(int(std::lround(secondsAtX(x) * 1000)));
        setSliderDown(false);
    }
}

} // namespace tunora
