// The window's status bar: a row of fixed-width panels, each either lowered or flat, holding a line of
// text or drawn by the window through DrawPanel. The panel texts are painted in the style's normal text
// colour even while the bar is disabled, so messages stay readable.
#pragma once

#include <QFrame>
#include <QList>
#include <QString>
#include <functional>

namespace kelvane {

struct StatusPanel {
    int Width = 50;
    bool Lowered = false;
    bool OwnerDrawn = false;
    QString Text;
};

class StatusBar : public QFrame {
    Q_OBJECT
  public:
    explicit StatusBar(QWidget* parent = nullptr);

    void SetPanels(const QList<StatusPanel>& panels);
    int PanelCount() const { return static_cast<int>(Panels.size()); }
    const StatusPanel& Panel(int index) const { return Panels.at(index); }

    QString PanelText(int index) const;
    // Replaces the panel's text and repaints it.
    void SetPanelText(int index, const QString& text);

    // The panel's rectangle inside the bar.
    QRect PanelRect(int index) const;

    // Draws an owner-drawn panel: (painter, panel index, panel rectangle).
    std::function<void(QPainter&, int, const QRect&)> DrawPanel;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QList<StatusPanel> Panels;
};

}  // namespace kelvane
