#pragma once

#include <QSlider>

#include <memory>
#include <optional>
#include <vector>

namespace tunora {

struct SongOverview;

// A time as the player's clock shows it, "mm:ss", on the strip and beside it.
QString clockText(double seconds);

// The player's seek bar, which draws the playing song's loudness over its whole length with
// the play position on it, and the current song's marked stretch as a band. A click or drag
// seeks as on any slider, except on a band edge, where a drag moves that mark. Without an
// overview (none read yet, or a song that cannot be decoded) it is a plain seek bar. Screen
// readers see a slider whose value is the position in seconds. Its value and range are in
// milliseconds.
class SeekStrip : public QSlider {
    Q_OBJECT

public:
    enum class Edge { Start, End };

    explicit SeekStrip(QWidget *parent = nullptr);

    void setOverview(std::shared_ptr<const SongOverview> overview);
    bool hasOverview() const { return m_overview != nullptr; }
    // The overview drawn (a first estimate or the decoded one); nullptr for a plain seek bar.
    const SongOverview *overview() const { return m_overview.get(); }
    // The current song's marks, in seconds; either may be missing.
    void setMarks(std::optional<double> start, std::optional<double> end);

    // Where a time is drawn, and the time drawn at a place, within the strip.
    int xOfSeconds(double seconds) const;
    double secondsAtX(int x) const;
    // The columns drawn, each the RMS of its stretch scaled to the song's loudest column.
    const std::vector<float> &drawnColumns() const { return m_columns; }

Q_SIGNALS:
    // A band edge was dragged and let go at `seconds`.
    void markDragged(tunora::SeekStrip::Edge edge, double seconds);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void sliderChange(SliderChange change) override;

private:
    QRect drawArea() const;
    double songSeconds() const;
    std::optional<Edge> edgeAt(int x) const;
    void updateColumns();
    void describeMarks();

    std::shared_ptr<const SongOverview> m_overview;
    std::vector<float> m_columns;
    std::optional<double> m_start;
    std::optional<double> m_end;
    std::optional<Edge> m_draggedEdge;
    std::optional<double> m_heldAt; // where the dragged edge is held
    bool m_seekDrag = false;
    QString m_describedMarks; // the start of the accessible description, which this strip wrote
};

} // namespace tunora
