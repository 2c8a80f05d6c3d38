// How the worker layer sees the window: its controls by name, and a way to run work on the window thread.
//
// The display refresh, the link-lost handling and the dispatcher are written against these interfaces, so
// they run in plain tests against a recording fake and in the program against the real window.
//
// Thread-safety: every WindowControls call must run on the window thread. The worker reaches it only
// through HandOver::Run, which blocks the worker until the work has run there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kelvane {

// Colours are 0x00BBGGRR values (red in the low byte).
namespace Colour {
constexpr uint32_t Black = 0x000000;
constexpr uint32_t Green = 0x00FF00;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Heading = 0xD02F70;  // messages from the unit, EEPROM dump headings
constexpr uint32_t Data = 0x6844BB;     // EEPROM dump and comparison data
}  // namespace Colour

class WindowControls {
public:
    virtual ~WindowControls() = default;

    // Text of an edit or combo box, caption of a label, group box, button or check box. Texts are 8-bit
    // characters as the unit sends them.
    virtual void SetText(std::string_view control, std::string_view text) = 0;
    virtual std::string Text(std::string_view control) = 0;
    virtual void SetFontColour(std::string_view control, uint32_t colour) = 0;
    virtual void SetBar(std::string_view control, int position) = 0;
    virtual void SetBarMaximum(std::string_view control, int maximum) = 0;
    virtual void SetChecked(std::string_view control, bool checked) = 0;
    virtual void SetEnabled(std::string_view control, bool enabled) = 0;
    virtual void SetVisible(std::string_view control, bool visible) = 0;
    // Whether a page of a page control offers its tab.
    virtual void SetTabVisible(std::string_view page, bool visible) = 0;
    // The page currently shown by the page control that holds it.
    virtual bool IsPageShowing(std::string_view page) = 0;
    virtual void Repaint(std::string_view control) = 0;
    // Rich-text boxes: add text at the end in a colour, or empty the box.
    virtual void AppendText(std::string_view control, std::string_view text, uint32_t colour) = 0;
    virtual void ClearText(std::string_view control) = 0;
    // One new sample for a strip chart.
    virtual void ChartSample(std::string_view chart, int value) = 0;
    // The integer tag a control carries for the program's own use.
    virtual int Tag(std::string_view control) = 0;
    virtual void SetTag(std::string_view control, int tag) = 0;
    // A panel of the status bar.
    virtual void SetStatusText(int panel, std::string_view text) = 0;
    // The link lamp of the status bar: green while the unit answers, red otherwise.
    virtual void SetLinkLampOnline(bool online) = 0;
};

class HandOver {
public:
    virtual ~HandOver() = default;
    // Runs work on the window thread and returns once it has run. Never call it while holding a lock that
    // the window thread may want.
    virtual void Run(const std::function<void()>& work) = 0;
};

}  // namespace kelvane
