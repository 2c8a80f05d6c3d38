#include "controls/Performancegraph.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace kelvane {

namespace {

// Samples far outside the picture are pulled in to this distance so that the pixel arithmetic stays in
// range; beyond the picture everything is clipped anyway, so the visible result is the same.
constexpr qint64 kFarOutside = 1 << 16;
constexpr int kWidestPen = 1 << 10;

int usablePenWidth(int width) {
    return std::clamp(width, 1, kWidestPen);
}

// The pixels a pen of the given width covers along an axis-aligned line from a to b, both ends included.
QRect penBand(QPoint a, QPoint b, int penWidth) {
    const int width = usablePenWidth(penWidth);
    const int before = width / 2;
    const int after = width - 1 - before;
    return QRect(QPoint(std::min(a.x(), b.x()) - before, std::min(a.y(), b.y()) - before),
                 QPoint(std::max(a.x(), b.x()) + after, std::max(a.y(), b.y()) + after));
}

}  // namespace

KPerformanceGraph::KPerformanceGraph(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    DrawGrid();
}

void KPerformanceGraph::DrawGrid() {
    FirstPoint = true;

    // The grid is laid out even while the picture is still empty, so that GridCount is right as soon as
    // the chart gets its size.
    int lastX = 0;
    for (int x = 0; x <= Width; x += GridWidth) lastX = x;
    GridCount = Width - lastX + 1;
    int lastY = 0;
    for (int y = 0; y <= Height; y += GridWidth) lastY = y;
    PenPos = QPoint(Width, lastY);

    if (Picture.isNull()) return;
    QPainter painter(&Picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(Picture.rect(), GridFonColor);

    const QPoint topLeft(0, 0), topRight(Width - 1, 0);
    const QPoint bottomLeft(0, Height - 1), bottomRight(Width - 1, Height - 1);
    for (const QRect& edge :
         {penBand(topLeft, topRight, GridPenWidth), penBand(topRight, bottomRight, GridPenWidth),
          penBand(bottomLeft, bottomRight, GridPenWidth), penBand(topLeft, bottomLeft, GridPenWidth)}) {
        painter.fillRect(edge, QColor(Qt::black));
    }
    for (int x = 0; x <= Width; x += GridWidth) {
        painter.fillRect(penBand(QPoint(x, 0), QPoint(x, Height), GridPenWidth), GridColor);
    }
    for (int y = 0; y <= Height; y += GridWidth) {
        painter.fillRect(penBand(QPoint(0, y), QPoint(Width, y), GridPenWidth), GridColor);
    }
    update();
}

void KPerformanceGraph::UpdateData(int value) {
    // The per-sample path writes the picture's pixels directly: a painter per sample would allocate,
    // and one kept open would tie the picture's buffer to whoever copied the image last.
    if (!Picture.isNull() && Width > 1) {
        const qsizetype rowBytes = qsizetype(Width - 1) * qsizetype(sizeof(QRgb));
        for (int y = 0; y < Picture.height(); ++y) {
            uchar* row = Picture.scanLine(y);
            std::memmove(row, row + sizeof(QRgb), size_t(rowBytes));
        }
    }

    if (GridCount == 0) {
        SavedPenPos = PenPos;
        PenPos = QPoint(Width - 2, 0);
        lineTo(QPoint(Width - 2, Height), GridPenWidth, GridColor);
        PenPos = SavedPenPos;
        GridCount = GridWidth - 1;
    } else {
        --GridCount;
    }

    DrawData(value);
}

void KPerformanceGraph::DrawData(int value) {
    const qint64 y = std::clamp<qint64>(qint64(Height) - value, -kFarOutside, Height + kFarOutside);
    const QPoint target(Width - 4, int(y));
    if (FirstPoint) {
        PenPos = target;
        FirstPoint = false;
    }
    lineTo(target, DataPenWidth, DataColor);
    update();
}

void KPerformanceGraph::SetGridWidth(int pixels) {
    GridWidth = std::max(1, pixels);
    DrawGrid();
}

void KPerformanceGraph::SetGridPenWidth(int pixels) {
    GridPenWidth = pixels;
    DrawGrid();
}

void KPerformanceGraph::SetGridFonColor(const QColor& colour) {
    GridFonColor = colour;
    DrawGrid();
}

void KPerformanceGraph::SetGridColor(const QColor& colour) {
    GridColor = colour;
    DrawGrid();
}

void KPerformanceGraph::SetDataColor(const QColor& colour) {
    DataColor = colour;
}

void KPerformanceGraph::SetWidth(int pixels) {
    const int width = std::max(0, pixels);
    resize(width, QWidget::height());
    update();
    Picture = QImage(width, Height, QImage::Format_RGB32);
    Width = width;
    DrawGrid();
}

void KPerformanceGraph::SetHeight(int pixels) {
    const int height = std::max(0, pixels);
    resize(QWidget::width(), height);
    update();
    Picture = QImage(Width, height, QImage::Format_RGB32);
    Height = height;
    DrawGrid();
}

void KPerformanceGraph::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    painter.drawImage(0, 0, Picture);
}

void KPerformanceGraph::lineTo(QPoint to, int penWidth, const QColor& colour) {
    const QPoint from = PenPos;
    PenPos = to;
    // The chart only ever draws straight down or across: a trace piece stays at x = Width - 4 and a fresh
    // trace starts at its first point.
    Q_ASSERT(from.x() == to.x() || from.y() == to.y());
    if (!Picture.isNull()) fillPixels(penBand(from, to, penWidth), colour.rgb());
}

void KPerformanceGraph::fillPixels(const QRect& area, QRgb colour) {
    const QRect clipped = area & Picture.rect();
    for (int y = clipped.top(); y <= clipped.bottom() && !clipped.isEmpty(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(Picture.scanLine(y));
        std::fill(row + clipped.left(), row + clipped.right() + 1, colour);
    }
}

}  // namespace kelvane
