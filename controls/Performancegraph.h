// A chart recorder: one quantity as a trace that scrolls left over a fixed grid.
//
// Each sample moves the whole picture one pixel to the left and adds the newest piece of the trace near
// the right edge. The picture is the only record of the past: there is no sample history, so redrawing
// the grid (DrawGrid, any grid setter, SetWidth, SetHeight) wipes the trace and starts a fresh one.
//
// Pixel rules (the picture is drawn without antialiasing, so every pixel is predictable):
// - A sample v lies at y = Height - v: 0 on the bottom edge, Height just above the top. Anything outside
//   the picture is clipped; the chart never rescales.
// - A line of pen width w along x = c covers the w columns from c - w/2 to c - w/2 + w - 1 (width 1: the
//   column c itself; width 2: c - 1 and c), and lengthwise the same band around each end point. The same
//   rule holds for horizontal lines. So the 2-pixel trace piece of a sample at (Width - 4, y) covers the
//   columns Width - 5 and Width - 4, and a flat trace is two pixels thick.
// - A GridWidth below 1 is taken as 1 (a grid line on every pixel); the grid loops need a positive step.
//   Pen widths below 1 draw as 1, like a pen of width 0 on most canvases.
// - Resizing the widget by any means other than SetWidth/SetHeight leaves the picture, Width and Height
//   as they are; a running chart keeps the size it was given.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace kelvane {

class KPerformanceGraph : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int GridWidth READ gridWidth WRITE SetGridWidth)
    Q_PROPERTY(int GridPenWidth READ gridPenWidth WRITE SetGridPenWidth)
    Q_PROPERTY(int DataPenWidth MEMBER DataPenWidth)
    Q_PROPERTY(QColor GridFonColor READ gridFonColor WRITE SetGridFonColor)
    Q_PROPERTY(QColor GridColor READ gridColor WRITE SetGridColor)
    Q_PROPERTY(QColor DataColor READ dataColor WRITE SetDataColor)
    Q_PROPERTY(int Width READ chartWidth WRITE SetWidth)
    Q_PROPERTY(int Height READ chartHeight WRITE SetHeight)

  public:
    explicit KPerformanceGraph(QWidget* parent = nullptr);

    // Clears the picture to the background with a black outline and draws the grid; the next sample
    // starts a fresh trace.
    void DrawGrid();
    // Adds one sample: scroll by one pixel, keep the vertical grid going, draw the newest trace piece.
    void UpdateData(int value);
    // Draws the newest trace piece only, at x = Width - 4, from the previous sample's height to this one.
    void DrawData(int value);

    void SetGridWidth(int pixels);
    void SetGridPenWidth(int pixels);
    void SetGridFonColor(const QColor& colour);
    void SetGridColor(const QColor& colour);
    // Takes effect with the next trace piece; nothing already drawn changes.
    void SetDataColor(const QColor& colour);
    void SetWidth(int pixels);
    void SetHeight(int pixels);

    const QImage& image() const { return Picture; }
    QPoint penPos() const { return PenPos; }
    QPoint savedPenPos() const { return SavedPenPos; }
    bool firstPoint() const { return FirstPoint; }
    int gridCount() const { return GridCount; }
    int gridWidth() const { return GridWidth; }
    int gridPenWidth() const { return GridPenWidth; }
    int dataPenWidth() const { return DataPenWidth; }
    QColor gridFonColor() const { return GridFonColor; }
    QColor gridColor() const { return GridColor; }
    QColor dataColor() const { return DataColor; }
    int chartWidth() const { return Width; }
    int chartHeight() const { return Height; }

    QSize sizeHint() const override { return {Width, Height}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // Draws a line from the pen position to `to` with the pen rule above and leaves the pen at `to`.
    void lineTo(QPoint to, int penWidth, const QColor& colour);
    void fillPixels(const QRect& area, QRgb colour);

    QImage Picture;
    QPoint PenPos;  // the canvas pen: where the last line ended
    QPoint SavedPenPos{0, 0};
    bool FirstPoint = true;
    int GridWidth = 10;
    int GridPenWidth = 1;
    QColor GridFonColor{0, 0, 0};
    QColor GridColor{0, 128, 0};
    QColor DataColor{255, 0, 0};
    int DataPenWidth = 2;
    int GridCount = 0;
    int Height = 0;
    int Width = 0;
};

}  // namespace kelvane
