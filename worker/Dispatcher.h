// The dispatcher: carries out one queued command on the worker thread. Each code runs its sequence of link
// operations and then shows the results in the window's controls.
//
// Threads: Dispatch runs on the worker. Every control it reads or changes goes through the hand-over, one
// change per hand-over, so the window repaints between the green and the black state of a flash; beeps and
// pauses run on the worker, so the window stays responsive while it waits.
//
// The loops that drive a value to a typed target (constants, model code, calibrations) end on the target,
// on a unit that stops answering, on the drivers' step limit and on the stop request. A target met ends
// with a green flash; a unit that fell silent or never got there flashes red with the tone and says so in
// status panel 0; a value the unit cannot take (nothing was sent) flashes red too and says that instead;
// a stop request (the window is closing) ends the loop quietly, without flash or tone.
//
// The EEPROM page's commands read the unit's EEPROM on the worker and show the dump, the comparison, the
// save dialog and the file work on the window thread, each inside a hand-over while the worker waits.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ups/Drivers.h"
#include "worker/PollWorker.h"
#include "worker/WindowDialogs.h"

namespace kelvane {

class HandOver;
class Sleeper;
class Tone;
class UpsLink;
class WindowControls;

class Dispatcher {
  public:
    // True once the worker has been told to stop; read before every step of a loop, from the worker.
    using StopRequest = std::function<bool()>;

    // constBuffer is the window's target buffer: the entry control's text at the start of a loop
    // command, at most five characters and a terminating zero. The dialogs are used on the window
    // thread only, inside the hand-over.
    Dispatcher(UpsLink& ups, WindowControls& controls, HandOver& handOver, Tone& tone, Sleeper& sleeper,
               WindowDialogs& dialogs, std::array<char, 6>& constBuffer, StopRequest stopRequested = {});

    // Carries out the command of code with its argument byte ('+' or '-' for the stepping commands,
    // ignored by the others). A code without a command does nothing.
    void Dispatch(char code, char argument);

    // The callback PollWorker takes; the dispatcher must outlive the worker.
    CommandDispatch Callback();

    // Whether code names a command (67 codes). The EEPROM and file codes W, X, Y and T are among them.
    static bool HasCommand(char code);

    static constexpr std::string_view NotReachedMessage = "The unit did not reach the value.";
    // Status panel 0 when a loop refused before sending anything: the value typed is not one the unit
    // can be set to (no number, no code, or a value this unit does not keep).
    static constexpr std::string_view RefusedMessage = "The value typed cannot be set on this unit.";
    // Status panel 0 when an EEPROM read is refused or cut short.
    static constexpr std::string_view EepromRefusedMessage =
        "EEPROM not read: on this unit the read would step a calibration constant.";
    static constexpr std::string_view EepromSilentMessage =
        "The unit stopped answering during the EEPROM read; the rest of the buffer repeats its last byte.";
    // First line of the error box of a file that could not be written; the path and the system's reason
    // follow on lines of their own. A failed write is said out loud on purpose: without the box, a save
    // that wrote nothing would look exactly like one that succeeded.
    static constexpr std::string_view WriteFailedMessage = "Unable to write file";
    // The pause of a flash, on the worker.
    static constexpr uint32_t FlashPauseMs = 500;
    // The longest target a loop command takes from its entry control.
    static constexpr std::size_t MaxTargetLength = 5;

  private:
    enum class Ending { Confirmed, NotReached, Refused, Stopped };
    static Ending EndingOf(LoopEnd end);

    // The command groups; each returns false for a code that is not its own. The argument is the step
    // of the stepping commands and ignored by the rest.
    bool StepWithDisplay(char code, char argument);
    bool StepWithoutDisplay(char code, char argument);
    bool CycleStoredSetting(char code, char argument);
    bool SetConstant(char code, char argument);
    bool CalibrateReading(char code, char argument);
    bool ChangeModel(char code, char argument);
    bool WriteIdentity(char code, char argument);
    bool RunUnitCommand(char code, char argument);
    bool EepromAndFiles(char code, char argument);

    // Group 9, the EEPROM page.
    void ReadEepromIntoBuffer();
    void CompareBuffers();
    void SaveBufferOrComparison();
    void SaveSettingsBackup();
    // Asks for a file name and writes the bytes there; an error box tells why a write failed. Runs on
    // the window thread, inside the caller's hand-over.
    void SaveThroughDialog(const SaveFileRequest& request, std::string_view bytes);
    void ShowDumpOfSelectedBuffer(std::size_t offset);

    void SetModelCode();
    void ShowFirmwareOfThirdGen();
    void ShowTransferAndOutput();

    // Window pieces, each in a hand-over of its own.
    void SetText(std::string_view control, std::string_view text);
    std::string Text(std::string_view control);
    void SetBar(std::string_view bar, double value);
    void SetColour(std::string_view control, uint32_t colour);
    void Repaint(std::string_view control);
    void ColourLoad(std::string_view percentField, std::string_view wattsField);
    void Pause();

    // Green, beep, pause, black.
    void FlashConfirmed(std::string_view control);
    // Green, beep, black.
    void FlashBriefly(std::string_view control);
    // Green, pause, beep, black, then the text.
    void FlashThenShow(std::string_view control, std::string_view text);
    // The message in status panel 0, then red, beep, pause, black.
    void FlashFailed(std::string_view control, std::string_view message);
    // The flash that belongs to how a loop ended; none when it was stopped.
    void FlashEnding(Ending ending, std::string_view control);

    // Copies the entry control's text into the target buffer and returns the copy.
    std::string_view ReadTarget(std::string_view entry);
    LoopHooks Hooks(std::function<void(int, std::string_view)> onStep) const;

    UpsLink& ups_;
    WindowControls& controls_;
    HandOver& handOver_;
    Tone& tone_;
    Sleeper& sleeper_;
    WindowDialogs& dialogs_;
    std::array<char, 6>& constBuffer_;
    StopRequest stopRequested_;
    // The comparison as last built, CR LF line ends included: what saving on the "Compare" tab writes.
    std::string comparison_;
};

}  // namespace kelvane
