#include "worker/Dispatcher.h"

#include <algorithm>
#include <utility>

#include "ups/AnswerConversions.h"
#include "ups/Sleeper.h"
#include "ups/UpsLink.h"
#include "worker/LoadColouring.h"
#include "worker/Tone.h"
#include "worker/WindowControls.h"

namespace kelvane {

Dispatcher::Dispatcher(UpsLink& ups, WindowControls& controls, HandOver& handOver, Tone& tone,
                       Sleeper& sleeper, WindowDialogs& dialogs, std::array<char, 6>& constBuffer,
                       StopRequest stopRequested)
    : ups_(ups),
      controls_(controls),
      handOver_(handOver),
      tone_(tone),
      sleeper_(sleeper),
      dialogs_(dialogs),
      constBuffer_(constBuffer),
      stopRequested_(std::move(stopRequested)) {}

bool Dispatcher::HasCommand(char code) {
    const auto in = [code](char first, char last) { return code >= first && code <= last; };
    return code == '!' || code == '#' || code == '$' || code == '%' || code == '@' || code == '^' ||
           code == '~' || in('1', '9') || in('A', 'Z') || in('a', 'd') || in('f', 'z');
}

void Dispatcher::Dispatch(char code, char argument) {
    if (!HasCommand(code)) return;
    using Group = bool (Dispatcher::*)(char, char);
    static constexpr Group groups[] = {
        &Dispatcher::StepWithDisplay, &Dispatcher::StepWithoutDisplay, &Dispatcher::CycleStoredSetting,
        &Dispatcher::SetConstant,     &Dispatcher::CalibrateReading,   &Dispatcher::ChangeModel,
        &Dispatcher::WriteIdentity,   &Dispatcher::RunUnitCommand,     &Dispatcher::EepromAndFiles,
    };
    for (Group group : groups) {
        if ((this->*group)(code, argument)) return;
    }
}

CommandDispatch Dispatcher::Callback() {
    return [this](char code, char argument) { Dispatch(code, argument); };
}

Dispatcher::Ending Dispatcher::EndingOf(LoopEnd end) {
    switch (end) {
        case LoopEnd::Reached:
        case LoopEnd::Missed:
            // A model code that turned back past the target or a calibration ended by its jump guard is
            // where the unit's own rule stops; the value shown is the one the unit settled on.
            return Ending::Confirmed;
        case LoopEnd::Stopped:
            return Ending::Stopped;
        case LoopEnd::Refused:
            return Ending::Refused;
        case LoopEnd::NoAnswer:
        case LoopEnd::Limit:
            break;
    }
    return Ending::NotReached;
}

// --- Window pieces ------------------------------------------------------------------------------------

void Dispatcher::SetText(std::string_view control, std::string_view text) {
    handOver_.Run([&] { controls_.SetText(control, text); });
}

std::string Dispatcher::Text(std::string_view control) {
    std::string text;
    handOver_.Run([&] { text = controls_.Text(control); });
    return text;
}

void Dispatcher::SetBar(std::string_view bar, double value) {
    handOver_.Run([&] { controls_.SetBar(bar, TruncateTo<int>(value)); });
}

void Dispatcher::SetColour(std::string_view control, uint32_t colour) {
    handOver_.Run([&] { controls_.SetFontColour(control, colour); });
}

void Dispatcher::Repaint(std::string_view control) {
    handOver_.Run([&] { controls_.Repaint(control); });
}

void Dispatcher::ColourLoad(std::string_view percentField, std::string_view wattsField) {
    const double load = ups_.LoadPercentValue;
    handOver_.Run([&] { ColourLoadFields(controls_, percentField, wattsField, load); });
}

void Dispatcher::Pause() {
    sleeper_.SleepMs(FlashPauseMs);
}

// --- Flashes ------------------------------------------------------------------------------------------

void Dispatcher::FlashConfirmed(std::string_view control) {
    SetColour(control, Colour::Green);
    Repaint(control);
    tone_.Beep();
    Pause();
    SetColour(control, Colour::Black);
    Repaint(control);
}

void Dispatcher::FlashBriefly(std::string_view control) {
    SetColour(control, Colour::Green);
    Repaint(control);
    tone_.Beep();
    SetColour(control, Colour::Black);
    Repaint(control);
}

void Dispatcher::FlashThenShow(std::string_view control, std::string_view text) {
    SetColour(control, Colour::Green);
    Repaint(control);
    Pause();
    tone_.Beep();
    SetColour(control, Colour::Black);
    SetText(control, text);
    Repaint(control);
}

void Dispatcher::FlashFailed(std::string_view control, std::string_view message) {
    handOver_.Run([&] {
        controls_.SetStatusText(0, message);
        controls_.Repaint("StatusBar1");
    });
    SetColour(control, Colour::Red);
    Repaint(control);
    tone_.Beep();
    Pause();
    SetColour(control, Colour::Black);
    Repaint(control);
}

void Dispatcher::FlashEnding(Ending ending, std::string_view control) {
    switch (ending) {
        case Ending::Confirmed:
            FlashConfirmed(control);
            break;
        case Ending::NotReached:
            FlashFailed(control, NotReachedMessage);
            break;
        case Ending::Refused:
            FlashFailed(control, RefusedMessage);
            break;
        case Ending::Stopped:
            break;
    }
}

// --- Targets and loops --------------------------------------------------------------------------------

std::string_view Dispatcher::ReadTarget(std::string_view entry) {
    const std::string text = Text(entry);
    const std::size_t length = std::min({text.size(), MaxTargetLength, constBuffer_.size() - 1});
    std::copy_n(text.begin(), length, constBuffer_.begin());
    constBuffer_[length] = '\0';
    // The buffer is a zero-terminated text: a zero byte typed or pasted ends the target there.
    return std::string_view(constBuffer_.data());
}

LoopHooks Dispatcher::Hooks(std::function<void(int, std::string_view)> onStep) const {
    return {std::move(onStep), stopRequested_};
}

}  // namespace kelvane
