#include "ui/StatusBar.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QPalette>

namespace kelvane {
namespace {

constexpr int TextIndent = 2;

}  // namespace

StatusBar::StatusBar(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
}

void StatusBar::SetPanels(const QList<StatusPanel>& panels) {
    Panels = panels;
    update();
}

QString StatusBar::PanelText(int index) const {
    if (index < 0 || index >= PanelCount()) return {};
    return Panels[index].Text;
}

void StatusBar::SetPanelText(int index, const QString& text) {
    if (index < 0 || index >= PanelCount()) return;
    Panels[index].Text = text;
    repaint(PanelRect(index));
}

QRect StatusBar::PanelRect(int index) const {
    if (index < 0 || index >= PanelCount()) return {};
    int left = 0;
    for (int i = 0; i < index; ++i) left += Panels[i].Width;
    return QRect(left, 2, Panels[index].Width - 2, height() - 2);
}

void StatusBar::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.setPen(colours.color(QPalette::Active, QPalette::WindowText));
    for (int i = 0; i < PanelCount(); ++i) {
        const StatusPanel& panel = Panels[i];
        const QRect rect = PanelRect(i);
        if (panel.Lowered) qDrawShadePanel(&painter, rect, colours, true, 1);
        if (panel.OwnerDrawn) {
            if (DrawPanel) {
                painter.save();
                DrawPanel(painter, i, rect);
                painter.restore();
            }
            continue;
        }
        if (!panel.Text.isEmpty()) {
            const QRect textRect = rect.adjusted(TextIndent, 1, -TextIndent, -1);
            painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                             fontMetrics().elidedText(panel.Text, Qt::ElideRight, textRect.width()));
        }
    }
}

}  // namespace kelvane
