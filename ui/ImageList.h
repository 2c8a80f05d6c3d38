// A strip of equally sized images addressed by index, such as the status bar's two link lamps.
#pragma once

#include <QList>
#include <QPixmap>

class QPainter;
class QPoint;

namespace kelvane {

class ImageList {
  public:
    ImageList() = default;
    ImageList(int width, int height) : Width(width), Height(height) {}

    void Add(const QPixmap& image) { Images.append(image); }
    int Count() const { return static_cast<int>(Images.size()); }
    int ImageWidth() const { return Width; }
    int ImageHeight() const { return Height; }
    QPixmap Image(int index) const;

    // Draws image index with its top-left corner at topLeft; an index outside the list draws nothing.
    void Draw(QPainter& painter, const QPoint& topLeft, int index) const;

    // Image 0 a green round lamp, image 1 a red one, 16 x 16 pixels each.
    static ImageList LinkLamps();

  private:
    int Width = 16;
    int Height = 16;
    QList<QPixmap> Images;
};

}  // namespace kelvane
