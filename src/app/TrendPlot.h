// The trend's chart, drawn with QPainter: the value as lines broken at every gap, "no data"
// bands over the gaps, the chosen output's lit times shaded, its thresholds dashed, round ticks,
// the four outputs as thin on/off lanes under the plot and the events as marks on the time axis.
// What it draws is computed in SetData (polling/TrendChart does the mapping); paintEvent only
// paints that model, in the colours of the widget's palette.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "polling/TrendChart.h"

struct TrendPlotInput {
    const polling::TrendHistory* history = nullptr;
    polling::SpanRange range;
    double factor = 1;  // display value = Pa x factor
    int decimals = 0;
    QString unit;
    size_t output = 0;
    double lower = 0;   // the chosen output's thresholds now, display units
    double higher = 0;
    // The chosen output's thresholds through the span, Pa; empty: the ones of now throughout.
    std::vector<polling::ThresholdSegment> thresholds;
    polling::AxisMode axis = polling::AxisMode::FitDataAndThresholds;
    double fixedLow = 0, fixedHigh = 0;  // display units, for AxisMode::Fixed
};

// Colours of the chart for a palette, with text and lines readable on its background.
struct TrendPlotColours {
    QColor background, text, grid, value, lower, higher, lit, noData;
    static TrendPlotColours For(const QPalette& palette);
};

class QPainter;

class TTrendPlot : public QWidget {
public:
    explicit TTrendPlot(QWidget* parent = nullptr);

    // What the chart shows, in time (ms since the epoch) and display units.
    struct Model {
        int64_t startMs = 0, endMs = 1;
        double bottom = 0, top = 1;
        QString unit;
        std::vector<std::vector<QPointF>> lines;  // x: time, y: value; a gap ends a line
        double lower = 0, higher = 0;  // now, for the legend
        struct Level {
            int64_t startMs, endMs;
            double lower, higher;
            bool operator==(const Level&) const = default;
        };
        std::vector<Level> thresholds;  // as they were through the span
        std::vector<polling::TimeInterval> gaps;
        std::vector<polling::TimeInterval> lit;  // the chosen output lit
        std::array<std::vector<polling::TimeInterval>, 4> lanes;
        polling::ValueTicks valueTicks;
        int tickDecimals = 0;
        std::vector<polling::TimeTick> timeTicks;
        std::vector<polling::TrendEvent> marks;
        polling::ChartColumn lastColumn;  // the column at the right edge
    };
    void SetData(const TrendPlotInput& input);
    const Model& model() const { return model_; }
    // The plot's width in pixel columns, which bounds the points drawn.
    int Columns() const;
    // The readout of the cursor at a time: "13:25:40.250  1.234 kPa  1● 2○ 3○ 4●", or the
    // time and "no data" where there is no sample near it.
    QString ReadoutAt(int64_t timeMs) const;
    // Places cursor A, then B; a third click starts again at A.
    void PlaceCursor(int64_t timeMs);
    void ClearCursors();
    const std::array<std::optional<int64_t>, 2>& placedCursors() const { return placed_; }
    // "Δt 12.000 s  Δ 0.250 kPa" between the placed cursors; empty until both are placed.
    QString DeltaText() const;
    // The time under a horizontal position of the widget.
    int64_t TimeAtX(double x) const;
    // Called on the wheel (factor < 1 zooms in around the time) and on a drag (by a time).
    std::function<void(double factor, int64_t aroundMs)> zoomed;
    std::function<void(int64_t byMs)> panned;

    // The tooltip of the mark under a point ("Link lost 13:25:40"); empty where there is none.
    QString MarkTipAt(const QPoint& point) const;
    // Where the mark of a time sits on the time axis.
    QPoint MarkPoint(int64_t timeMs) const;

    // The texts drawn in the chart, in the language in force.
    void SetTexts(const QString& noData, const std::array<QString, 6>& markNames, const std::array<QString, 3>& legend);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void PaintChart(QPainter& painter) const;
    void PaintCursors(QPainter& painter) const;
    QRectF PlotRect() const;
    QRectF LanesRect() const;
    double X(int64_t timeMs, const QRectF& plot) const;
    double Y(double value, const QRectF& plot) const;
    // The mark under a point of the widget, if any.
    const polling::TrendEvent* MarkAt(const QPoint& point) const;

    std::optional<polling::TrendSample> SampleNear(int64_t timeMs) const;
    QString ValueText(double value) const;

    Model model_;
    QPixmap cache_;  // the chart without the cursors
    bool cacheValid_ = false;
    const polling::TrendHistory* history_ = nullptr;
    double factor_ = 1;
    std::optional<int64_t> pointerMs_;
    std::array<std::optional<int64_t>, 2> placed_;
    std::optional<double> dragX_;
    bool dragged_ = false;
    QString noDataText_;
    std::array<QString, 6> markNames_;
    std::array<QString, 3> legend_;  // value, lower, higher
    int decimals_ = 0;                // of the values in the legend
};
