// The two strip charts and the choice of what they plot.
//
// Two tags keep the chart selection: the "Tag" of GroupBox26 is the selection being plotted (0 to 3, or
// -1 for none) and is what the chart feed reads; the "Tag" of Graphics is the selection the page was last
// laid out for, which decides which chart needs a fresh grid on the next change.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class GraphicsPage;
}

namespace kelvane {

class GraphicsPage : public QWidget {
    Q_OBJECT
  public:
    explicit GraphicsPage(QWidget* parent = nullptr);
    ~GraphicsPage() override;

    // Lays the page out for the selection now in Graphics: captions, scale labels and tick marks, and a
    // fresh grid for each chart whose quantity changes (both when the previous selection was none). A
    // selection outside 0-3 changes nothing on screen. Both tags take the new selection. Runs on user
    // changes of Graphics; the window calls it after connecting. Setting the index from code does not.
    void GraphicsChange();

  private:
    void userEditedSelection(const QString& text);

    std::unique_ptr<Ui::GraphicsPage> ui;
};

}  // namespace kelvane
