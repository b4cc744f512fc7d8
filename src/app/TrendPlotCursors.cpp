#include "app/TrendPlot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "config/Units.h"

// The plot's cursors: the one that follows the pointer with its readout, the two placed ones
// with their differences, and what the mouse does (click, drag, wheel).

namespace {

QString Number(double value, int decimals) { return QString::fromStdU16String(config::FormatNumber(value, decimals)); }

}  // namespace

void TTrendPlot::PaintCursors(QPainter& p) const {
    const TrendPlotColours colours = TrendPlotColours::For(palette());
    const QRectF plot = PlotRect();
    const QFontMetrics metrics = fontMetrics();
    p.setClipRect(plot);
    // The placed cursors and the one that follows the pointer, with their readouts.
    for (size_t i = 0; i < placed_.size(); ++i)
        if (placed_[i]) {
            const double x = X(*placed_[i], plot);
            p.setPen(QPen(colours.text, 1));
            p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            p.drawText(QPointF(x + 3, plot.bottom() - 4), i == 0 ? QStringLiteral("A") : QStringLiteral("B"));
        }
    auto box = [&](const QString& text, Qt::Alignment side) {
        QRectF area = metrics.boundingRect(text).adjusted(-4, -2, 4, 2);
        area.moveTop(plot.top() + 4);
        if (side == Qt::AlignLeft) area.moveLeft(plot.left() + 4);
        else area.moveRight(plot.right() - 4);
        QColor fill = colours.background;
        fill.setAlpha(225);
        p.fillRect(area, fill);
        p.setPen(colours.text);
        p.drawText(area, Qt::AlignCenter, text);
    };
    if (pointerMs_) {
        const double x = X(*pointerMs_, plot);
        p.setPen(QPen(colours.text, 1, Qt::DotLine));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        box(ReadoutAt(*pointerMs_), Qt::AlignLeft);
    }
    if (const QString delta = DeltaText(); !delta.isEmpty()) box(delta, Qt::AlignRight);
}

int64_t TTrendPlot::TimeAtX(double x) const {
    const QRectF plot = PlotRect();
    const double span = static_cast<double>(model_.endMs - model_.startMs);
    return model_.startMs + static_cast<int64_t>(std::llround((x - plot.left()) / plot.width() * span));
}

std::optional<polling::TrendSample> TTrendPlot::SampleNear(int64_t timeMs) const {
    if (history_ == nullptr) return std::nullopt;
    const double columnMs = static_cast<double>(model_.endMs - model_.startMs) / Columns();
    const int64_t tolerance = std::max<int64_t>(static_cast<int64_t>(columnMs / 2), polling::GapLimitMs / 2);
    return polling::SampleAt(*history_, timeMs, tolerance);
}

QString TTrendPlot::ValueText(double value) const {
    return Number(value, decimals_) + (model_.unit.isEmpty() ? QString() : u' ' + model_.unit);
}

QString TTrendPlot::ReadoutAt(int64_t timeMs) const {
    const std::optional<polling::TrendSample> sample = SampleNear(timeMs);
    if (!sample) return QString::fromStdString(polling::LocalClockTime(timeMs)) + QStringLiteral("  ") + noDataText_;
    QString text = QString::fromStdString(polling::LocalClockTimeMs(sample->timeMs)) + QStringLiteral("  ") +
                   ValueText(static_cast<double>(sample->valuePa) * factor_) + u' ';
    for (size_t output = 0; output < 4; ++output)
        text += u' ' + QString::number(output + 1) + (sample->Lit(output) ? QChar(0x25CF) : QChar(0x25CB));
    return text;
}

void TTrendPlot::PlaceCursor(int64_t timeMs) {
    if (!placed_[0] || placed_[1]) {
        placed_ = {timeMs, std::nullopt};
    } else {
        placed_[1] = timeMs;
    }
    update();
}

void TTrendPlot::ClearCursors() {
    placed_ = {};
    update();
}

QString TTrendPlot::DeltaText() const {
    if (!placed_[0] || !placed_[1]) return QString();
    const double seconds = static_cast<double>(*placed_[1] - *placed_[0]) / 1000.0;
    QString text = QStringLiteral("\u0394t ") + Number(seconds, 3) + QStringLiteral(" s  \u0394 ");
    const auto a = SampleNear(*placed_[0]), b = SampleNear(*placed_[1]);
    if (a && b) text += ValueText((static_cast<double>(b->valuePa) - static_cast<double>(a->valuePa)) * factor_);
    else text += noDataText_;
    return text;
}

void TTrendPlot::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (dragX_ && (event->buttons() & Qt::LeftButton)) {
        if (std::abs(at.x() - *dragX_) >= 3) dragged_ = true;
        if (dragged_ && panned) {
            const int64_t by = TimeAtX(*dragX_) - TimeAtX(at.x());
            dragX_ = at.x();
            panned(by);
        }
    }
    pointerMs_ = PlotRect().contains(at) ? std::optional<int64_t>(TimeAtX(at.x())) : std::nullopt;
    update();
}

void TTrendPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragX_ = event->position().x();
        dragged_ = false;
    } else if (event->button() == Qt::RightButton) {
        ClearCursors();
    }
}

void TTrendPlot::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragX_ && !dragged_ && PlotRect().contains(event->position()))
        PlaceCursor(TimeAtX(event->position().x()));
    dragX_.reset();
}

void TTrendPlot::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y();
    if (steps == 0 || !zoomed) return;
    zoomed(std::pow(0.8, steps / 120.0), TimeAtX(event->position().x()));
    event->accept();
}

void TTrendPlot::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    pointerMs_.reset();
    update();
}
