#include "app/TrendPlot.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/WindowLook.h"
#include "config/Units.h"

namespace {

constexpr int MinColumns = 50;
constexpr int MaxColumns = 4096;
constexpr int LaneHeight = 7;
constexpr int LaneSpacing = 2;
constexpr int MarkRow = 9;
constexpr int ValueTicks = 6;

double Luminance(const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

bool IsDark(const QColor& c) { return Luminance(c) < 0.2; }

// colour, or if it is not readable enough on background, the nearest of black and white that is.
QColor Readable(const QColor& colour, const QColor& background, double least) {
    if (ContrastRatio(colour, background) >= least) return colour;
    return IsDark(background) ? QColor(Qt::white) : QColor(Qt::black);
}

QString Number(double value, int decimals) { return QString::fromStdU16String(config::FormatNumber(value, decimals)); }

// Adds [from, to) to spans, joining it to the last span when they touch.
void AddSpan(std::vector<polling::TimeInterval>& spans, int64_t from, int64_t to) {
    if (!spans.empty() && spans.back().endMs >= from) spans.back().endMs = std::max(spans.back().endMs, to);
    else spans.push_back({from, to});
}

}  // namespace

TrendPlotColours TrendPlotColours::For(const QPalette& palette) {
    TrendPlotColours c;
    c.background = palette.color(QPalette::Base);
    const bool dark = IsDark(c.background);
    c.text = Readable(palette.color(QPalette::Text), c.background, 4.5);
    c.grid = dark ? c.background.lighter(190) : c.background.darker(118);
    if (c.grid == c.background) c.grid = dark ? QColor(70, 70, 70) : QColor(215, 215, 215);
    c.value = Readable(dark ? QColor(120, 190, 255) : QColor(20, 40, 140), c.background, 4.5);
    c.lower = Readable(dark ? QColor(90, 200, 255) : QColor(0, 90, 200), c.background, 3.0);
    c.higher = Readable(dark ? QColor(255, 120, 110) : QColor(200, 20, 20), c.background, 3.0);
    c.lit = dark ? QColor(60, 220, 60, 70) : QColor(50, 205, 50, 70);
    c.noData = dark ? QColor(255, 255, 255, 28) : QColor(0, 0, 0, 22);
    return c;
}

TTrendPlot::TTrendPlot(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TTrendPlot::SetTexts(const QString& noData, const std::array<QString, 6>& markNames,
                          const std::array<QString, 3>& legend) {
    noDataText_ = noData;
    markNames_ = markNames;
    legend_ = legend;
    cacheValid_ = false;
    update();
}

QRectF TTrendPlot::PlotRect() const {
    const QFontMetrics metrics = fontMetrics();
    const double left = metrics.horizontalAdvance(QStringLiteral("-000000.00")) + 8;
    const double top = metrics.height() + 6;
    const double bottom = MarkRow + 4 * (LaneHeight + LaneSpacing) + 2 * metrics.height() + 8;
    return QRectF(left, top, std::max(10.0, width() - left - 12), std::max(10.0, height() - top - bottom));
}

QRectF TTrendPlot::LanesRect() const {
    const QRectF plot = PlotRect();
    return QRectF(plot.left(), plot.bottom() + MarkRow, plot.width(), 4 * (LaneHeight + LaneSpacing));
}

int TTrendPlot::Columns() const {
    const int columns = static_cast<int>(PlotRect().width());
    return std::clamp(columns, MinColumns, MaxColumns);
}

double TTrendPlot::X(int64_t timeMs, const QRectF& plot) const {
    const double span = static_cast<double>(std::max<int64_t>(model_.endMs - model_.startMs, 1));
    return plot.left() + static_cast<double>(timeMs - model_.startMs) / span * plot.width();
}

double TTrendPlot::Y(double value, const QRectF& plot) const {
    const double range = model_.top - model_.bottom;
    return plot.bottom() - (value - model_.bottom) / (range > 0 ? range : 1) * plot.height();
}

void TTrendPlot::SetData(const TrendPlotInput& in) {
    history_ = in.history;
    factor_ = in.factor;
    Model m;
    m.startMs = in.range.startMs;
    m.endMs = std::max(in.range.endMs, in.range.startMs + 1);
    m.unit = in.unit;
    m.lower = in.lower;
    m.higher = in.higher;
    const size_t columns = static_cast<size_t>(Columns());
    const polling::ChartMap map = polling::MapToColumns(*in.history, in.range, columns);
    m.gaps = map.gaps;
    const double columnMs = static_cast<double>(m.endMs - m.startMs) / static_cast<double>(columns);
    auto columnStart = [&](size_t i) { return m.startMs + static_cast<int64_t>(std::llround(static_cast<double>(i) * columnMs)); };

    if (in.thresholds.empty()) m.thresholds.push_back({m.startMs, m.endMs, in.lower, in.higher});
    for (const polling::ThresholdSegment& t : in.thresholds)
        m.thresholds.push_back({t.startMs, std::min(t.endMs, m.endMs), t.lower * in.factor, t.higher * in.factor});
    constexpr double None = std::numeric_limits<double>::infinity();
    double low = None, high = -None;  // of the data
    bool drawing = false;
    for (size_t i = 0; i < columns; ++i) {
        const polling::ChartColumn& c = map.columns[i];
        const int64_t left = columnStart(i), right = columnStart(i + 1);
        for (size_t output = 0; output < 4; ++output)
            if ((c.lamps >> output) & 1u) AddSpan(m.lanes[output], left, right);
        if (c.data.samples > 0 && !c.joinsPrevious) drawing = false;
        if (c.data.count == 0) continue;
        if (!drawing) m.lines.emplace_back();
        drawing = true;
        const double x = static_cast<double>(m.startMs) + (static_cast<double>(i) + 0.5) * columnMs;
        const double least = c.data.min * in.factor, most = c.data.max * in.factor;
        m.lines.back().emplace_back(x, least);
        if (most != least) m.lines.back().emplace_back(x, most);
        low = std::min(low, least);
        high = std::max(high, most);
    }
    m.lit = m.lanes[std::min<size_t>(in.output, 3)];
    m.lastColumn = map.columns.back();
    if (in.axis != polling::AxisMode::FitData || low > high)
        for (const Model::Level& t : m.thresholds) {
            low = std::min({low, t.lower, t.higher});
            high = std::max({high, t.lower, t.higher});
        }
    if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0;
    double margin = (high - low) * 0.05;
    if (margin == 0) margin = std::max(std::abs(high) * 0.05, 1.0);
    m.bottom = low - margin;
    m.top = high + margin;
    if (in.axis == polling::AxisMode::Fixed && std::isfinite(in.fixedLow) && std::isfinite(in.fixedHigh) &&
        in.fixedLow < in.fixedHigh) {
        m.bottom = in.fixedLow;
        m.top = in.fixedHigh;
    }
    m.valueTicks = polling::RoundValueTicks(m.bottom, m.top, ValueTicks);
    m.tickDecimals = std::max(polling::StepDecimals(m.valueTicks.step), 0);
    decimals_ = in.decimals;
    const int timeTicks = std::max(2, static_cast<int>(PlotRect().width() / (fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) + 16)));
    m.timeTicks = polling::RoundTimeTicks(m.startMs, m.endMs, timeTicks);
    for (const polling::TrendEvent& e : in.history->events())
        if (e.timeMs >= m.startMs && e.timeMs <= m.endMs) m.marks.push_back(e);
    model_ = std::move(m);
    cacheValid_ = false;
    update();
}

void TTrendPlot::paintEvent(QPaintEvent*) {
    // The chart is painted once into a picture; moving the cursor only paints over it.
    const qreal ratio = devicePixelRatioF();
    if (cache_.isNull() || cache_.size() != size() * ratio || cache_.devicePixelRatio() != ratio) {
        cache_ = QPixmap(size() * ratio);
        cache_.setDevicePixelRatio(ratio);
        cacheValid_ = false;
    }
    if (!cacheValid_) {
        QPainter chart(&cache_);
        PaintChart(chart);
        cacheValid_ = true;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, cache_);
    PaintCursors(p);
}

void TTrendPlot::PaintChart(QPainter& p) const {
    const TrendPlotColours colours = TrendPlotColours::For(palette());
    p.fillRect(rect(), colours.background);
    const QRectF plot = PlotRect();
    const QFontMetrics metrics = fontMetrics();

    // Lit times, then the gaps over them, then the grid.
    for (const polling::TimeInterval& s : model_.lit)
        p.fillRect(QRectF(QPointF(X(s.startMs, plot), plot.top()), QPointF(X(s.endMs, plot), plot.bottom())), colours.lit);
    p.setPen(colours.text);
    for (const polling::TimeInterval& g : model_.gaps) {
        const double left = X(g.startMs, plot), right = std::max(X(g.endMs, plot), left + 1);
        const QRectF band(QPointF(left, plot.top()), QPointF(right, plot.bottom()));
        p.fillRect(band, colours.background);
        p.fillRect(band, QBrush(colours.noData.rgba() ? colours.grid : colours.grid, Qt::BDiagPattern));
        p.fillRect(band, colours.noData);
        if (band.width() > metrics.horizontalAdvance(noDataText_) + 8)
            p.drawText(band, Qt::AlignCenter, noDataText_);
    }
    p.setPen(QPen(colours.grid, 1));
    for (const double v : model_.valueTicks.values) p.drawLine(QPointF(plot.left(), Y(v, plot)), QPointF(plot.right(), Y(v, plot)));
    for (const polling::TimeTick& t : model_.timeTicks) p.drawLine(QPointF(X(t.timeMs, plot), plot.top()), QPointF(X(t.timeMs, plot), plot.bottom()));

    p.setClipRect(plot);
    for (const Model::Level& t : model_.thresholds) {
        const double left = X(t.startMs, plot), right = X(t.endMs, plot);
        p.setPen(QPen(colours.lower, 1.5, Qt::DashLine));
        p.drawLine(QPointF(left, Y(t.lower, plot)), QPointF(right, Y(t.lower, plot)));
        p.setPen(QPen(colours.higher, 1.5, Qt::DashLine));
        p.drawLine(QPointF(left, Y(t.higher, plot)), QPointF(right, Y(t.higher, plot)));
    }
    p.setPen(QPen(colours.value, 1.5));
    std::vector<QPointF> points;
    for (const std::vector<QPointF>& line : model_.lines) {
        points.clear();
        for (const QPointF& v : line) points.emplace_back(X(static_cast<int64_t>(v.x()), plot), Y(v.y(), plot));
        if (points.size() == 1) p.drawPoint(points[0]);
        else p.drawPolyline(points.data(), static_cast<int>(points.size()));
    }
    p.setClipping(false);

    // Frame, value ticks and unit.
    p.setPen(colours.text);
    p.drawRect(plot);
    for (const double v : model_.valueTicks.values) {
        const QRectF label(0, Y(v, plot) - metrics.height() / 2.0, plot.left() - 6, metrics.height());
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, Number(v, model_.tickDecimals));
    }
    p.drawText(QRectF(0, 0, plot.left() + 200, plot.top() - 2), Qt::AlignLeft | Qt::AlignBottom, model_.unit);

    // The legend, right-aligned above the plot: the value, and both thresholds with their values now.
    const QString suffix = model_.unit.isEmpty() ? QString() : u' ' + model_.unit;
    const std::array<std::pair<QString, QPen>, 3> entries = {{
        {legend_[0], QPen(colours.value, 2)},
        {legend_[1] + u' ' + Number(model_.lower, decimals_) + suffix, QPen(colours.lower, 2, Qt::DashLine)},
        {legend_[2] + u' ' + Number(model_.higher, decimals_) + suffix, QPen(colours.higher, 2, Qt::DashLine)},
    }};
    double right = plot.right();
    const double middle = (plot.top() - 2) / 2.0 + 1;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        const double w = metrics.horizontalAdvance(entry->first);
        p.setPen(colours.text);
        p.drawText(QRectF(right - w, 0, w, plot.top() - 2), Qt::AlignRight | Qt::AlignBottom, entry->first);
        p.setPen(entry->second);
        p.drawLine(QPointF(right - w - 22, middle + 2), QPointF(right - w - 4, middle + 2));
        right -= w + 36;
    }

    // Marks on the time axis.
    for (const polling::TrendEvent& e : model_.marks) {
        const double x = X(e.timeMs, plot);
        const bool lost = e.kind == polling::TrendEventKind::LinkLost;
        p.setBrush(lost ? colours.higher : colours.text);
        p.setPen(Qt::NoPen);
        const QPointF tip(x, plot.bottom() + 1);
        const QPointF triangle[3] = {tip, QPointF(x - 4, plot.bottom() + MarkRow - 1), QPointF(x + 4, plot.bottom() + MarkRow - 1)};
        p.drawPolygon(triangle, 3);
    }
    p.setBrush(Qt::NoBrush);

    // The four outputs' lanes.
    const QRectF lanes = LanesRect();
    for (size_t output = 0; output < 4; ++output) {
        const double top = lanes.top() + static_cast<double>(output) * (LaneHeight + LaneSpacing);
        p.fillRect(QRectF(lanes.left(), top + LaneHeight / 2.0, lanes.width(), 1), colours.grid);
        for (const polling::TimeInterval& s : model_.lanes[output])
            p.fillRect(QRectF(QPointF(X(s.startMs, plot), top), QPointF(X(s.endMs, plot), top + LaneHeight)), colours.value);
        p.setPen(colours.text);
        p.drawText(QRectF(0, top - 2, lanes.left() - 6, LaneHeight + 4), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(output + 1));
    }
    for (const polling::TimeInterval& g : model_.gaps)
        p.fillRect(QRectF(QPointF(X(g.startMs, plot), lanes.top()), QPointF(std::max(X(g.endMs, plot), X(g.startMs, plot) + 1), lanes.bottom())),
                   colours.noData);

    // Time ticks, the date under the time where the day changes.
    p.setPen(colours.text);
    const double labelTop = lanes.bottom() + 3;
    for (const polling::TimeTick& t : model_.timeTicks) {
        const double x = X(t.timeMs, plot);
        p.drawLine(QPointF(x, lanes.bottom()), QPointF(x, lanes.bottom() + 3));
        const QString time = QString::fromStdString(t.time);
        const double w = metrics.horizontalAdvance(QStringLiteral("0000-00-00"));
        p.drawText(QRectF(x - w / 2, labelTop, w, metrics.height()), Qt::AlignCenter, time);
        if (!t.date.empty())
            p.drawText(QRectF(x - w / 2, labelTop + metrics.height(), w, metrics.height()), Qt::AlignCenter,
                       QString::fromStdString(t.date));
    }
}

const polling::TrendEvent* TTrendPlot::MarkAt(const QPoint& point) const {
    const QRectF plot = PlotRect();
    if (point.y() < plot.bottom() - 2 || point.y() > plot.bottom() + MarkRow + 2) return nullptr;
    const polling::TrendEvent* nearest = nullptr;
    double best = 6;
    for (const polling::TrendEvent& e : model_.marks) {
        const double distance = std::abs(X(e.timeMs, plot) - point.x());
        if (distance <= best) {
            best = distance;
            nearest = &e;
        }
    }
    return nearest;
}

bool TTrendPlot::event(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) cacheValid_ = false;
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const QString tip = MarkTipAt(help->pos()); !tip.isEmpty()) QToolTip::showText(help->globalPos(), tip, this);
        else QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

QString TTrendPlot::MarkTipAt(const QPoint& point) const {
    const polling::TrendEvent* mark = MarkAt(point);
    if (mark == nullptr) return QString();
    return markNames_[static_cast<size_t>(mark->kind)] + u' ' + QString::fromStdString(polling::LocalClockTime(mark->timeMs));
}

QPoint TTrendPlot::MarkPoint(int64_t timeMs) const {
    const QRectF plot = PlotRect();
    return QPointF(X(timeMs, plot), plot.bottom() + MarkRow / 2.0).toPoint();
}
