// The real window behind the worker's WindowControls: controls found by their objectName (looked up
// once, then cached), texts converted as Latin-1 since the unit sends 8-bit characters. The family set-up
// uses the extra operations below, which the worker has no need for.
//
// Thread-safety: window thread only, like every widget.
#pragma once

#include <QString>
#include <map>
#include <string>

#include "ui/Colours.h"
#include "worker/WindowControls.h"

class QWidget;

namespace kelvane {

class TForm1;

class QtWindowControls final : public WindowControls {
  public:
    explicit QtWindowControls(TForm1& window);

    void SetText(std::string_view control, std::string_view text) override;
    std::string Text(std::string_view control) override;
    void SetFontColour(std::string_view control, uint32_t colour) override;
    // Clamped to the bar's range: a progress bar ignores a position outside it instead of showing the end.
    void SetBar(std::string_view control, int position) override;
    void SetBarMaximum(std::string_view control, int maximum) override;
    void SetChecked(std::string_view control, bool checked) override;
    void SetEnabled(std::string_view control, bool enabled) override;
    void SetVisible(std::string_view control, bool visible) override;
    void SetTabVisible(std::string_view page, bool visible) override;
    bool IsPageShowing(std::string_view page) override;
    void Repaint(std::string_view control) override;
    void AppendText(std::string_view control, std::string_view text, uint32_t colour) override;
    void ClearText(std::string_view control) override;
    void ChartSample(std::string_view chart, int value) override;
    int Tag(std::string_view control) override;
    void SetTag(std::string_view control, int tag) override;
    void SetStatusText(int panel, std::string_view text) override;
    void SetLinkLampOnline(bool online) override;

    // For the family set-up.
    void SetMaxLength(std::string_view edit, int length);
    void SetBackground(std::string_view edit, EditBackground background);
    // Makes the page the one its page control shows.
    void SetActivePage(std::string_view page);
    // Selects an item of a combo box without running its change handler.
    void SetSelectedIndex(std::string_view comboBox, int index);

    // The control of that name; null when the window has none (a name missing from the layout), which is
    // warned about the first time the name is asked for.
    QWidget* Find(std::string_view control);

    static QString FromUnit(std::string_view text);
    static std::string ToUnit(const QString& text);

  private:
    TForm1& window_;
    std::map<std::string, QWidget*, std::less<>> cache_;
};

}  // namespace kelvane
