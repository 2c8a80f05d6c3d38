// The loops that drive a programming-mode change to its end: a constant or the model code stepped to a
// typed value, a calibration run against a measured reference, a setting cycled until it shows a
// wanted value, and the EEPROM walk. The window's dispatcher and kelvane-cli both run them.
//
// Every loop has a way out whatever the unit does: it reaches its target, the unit stops answering (or
// answers something the loop cannot use, such as "NA"), the caller asks it to stop, or it runs into its
// step limit, far above what a real unit needs. A loop that is asked for something the connected unit
// does not have (a constant of another family, an EEPROM walk on an SC unit, a target that is not a
// hexadecimal code) refuses before it sends anything.
//
// Thread-safety: a loop drives the link from the calling thread; its hooks run on that thread too.
// StopRequested may read an atomic set by another thread.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ups/UpsLink.h"

namespace kelvane {

enum class LoopEnd {
    Reached,   // the target is met (a calibration: the reading's own completion rule)
    Missed,    // the loop ended by its own rule without meeting the target: the model code turned back
               // past it or stopped moving, a calibration reading jumped, a cycle came round again
    NoAnswer,  // the unit stopped answering, or answered what the loop cannot use ("NA")
    Stopped,   // the caller asked the loop to stop
    Limit,     // the step limit was reached
    Refused,   // nothing was sent: the unit has no such value, or the request was not valid
};

// "reached", "missed", "no-answer", "stopped", "limit", "refused".
std::string_view LoopEndName(LoopEnd end);

struct LoopResult {
    LoopEnd Ended = LoopEnd::Refused;
    int Steps = 0;      // steps sent, the selection not counted; the EEPROM walk: "+" answered
    std::string Value;  // the value's text at the end (a calibration: the reading; the EEPROM: empty)
};

struct LoopHooks {
    // After every step that did not end the loop (the window shows each intermediate value), with the
    // step's number from 1 and the value's text. The EEPROM walk calls it after every "+" that did not
    // end it, with k and the answer (empty where it went missing); k is what its progress bar shows.
    std::function<void(int step, std::string_view value)> OnStep;
    // Asked before every step; true ends the loop at once.
    std::function<bool()> StopRequested;
};

inline constexpr int kConstantStepLimit = 300;
inline constexpr int kModelCodeStepLimit = 300;
inline constexpr int kCalibrationStepLimit = 300;
inline constexpr int kCycleSearchLimit = 16;

enum class Constant { Zero, Four, Five, Six, Hash, Dollar, Percent, Caret, CtrlD };
enum class Calibration { InputVoltage, Load, Battery2nd };
enum class Setting {
    LowTransferVoltage,
    UpTransferVoltage,
    SelfTestInterval,
    ShutdownDelay,
    WakeupDelay,
    LowBatteryWarning,
    ReturnThreshold,
    AlarmDelay,
    Sensitivity,
    NominalOutputVoltage,
};

// A typed hexadecimal code as the unit answers it: one or two hexadecimal digits in either case give
// two upper-case digits ("a" gives "0A"); anything else gives nothing.
std::optional<std::string> HexTarget(std::string_view typed);

// Whether the connected unit keeps this constant (by its family and model flags). "^" is bypass on most
// units and "#" the EEPROM walk, so stepping them where they are no constant would act on the unit.
bool HasConstant(const UpsLink& link, Constant constant);

// Whether the family keeps the stored settings that the cycles step (the Smart families).
bool HasStoredSettings(const UpsLink& link);

// The constant's text member as last read or stepped.
std::string_view ConstantText(const UpsLink& link, Constant constant);

// Selects the constant once and steps it until it equals target. Ends: Reached, NoAnswer, Stopped,
// Limit (kConstantStepLimit); Refused for a target that is not a code or a constant the unit lacks.
LoopResult DriveConstant(UpsLink& link, Constant constant, std::string_view target,
                         const LoopHooks& hooks = {});

// Clears the direction latches, selects the model code (Ctrl-B, "H" on the 2nd generation, else "b")
// and steps it until StepModelCodeToward completes. Ends: Reached (the code equals target), Missed (it
// turned back past the target or stopped moving), NoAnswer, Stopped, Limit (kModelCodeStepLimit);
// Refused for a bad target or an unidentified unit. The model name and firmware are not re-read.
LoopResult DriveModelCode(UpsLink& link, std::string_view target, const LoopHooks& hooks = {});

// The 2nd generation's model code: "H" until ModelCode2ndText equals target, no selection. Ends:
// Reached, NoAnswer, Stopped, Limit (kModelCodeStepLimit); Refused for a bad target or another family.
LoopResult DriveModelCode2nd(UpsLink& link, std::string_view target, const LoopHooks& hooks = {});

// A reference as a technician reads it off an instrument: digits with at most one decimal point.
bool IsDecimalReference(std::string_view text);

// Runs a calibration against the reference. The input voltage and load calibrations clear the direction
// latches first, the battery one does not. Ends: Reached, Missed (a jump guard ended it), NoAnswer (the
// reading went missing or is no number), Stopped, Limit (kCalibrationStepLimit); Refused where the family
// has no such calibration, for a reference that is not a decimal number (an entry emptied before its
// command ran, a lone "."): read as 0 it would drive the unit's calibration as far as the loop allows, and
// for the load where the rating is unknown (WattsPerPercent not above 0), which reads 0 W whatever the load.
// Value is the reading's text (for the load: LoadPercentText; the watts are in LoadWattsValue).
LoopResult DriveCalibration(UpsLink& link, Calibration calibration, std::string_view reference,
                            const LoopHooks& hooks = {});

// One cycle of a setting; returns the re-read text.
std::string CycleSetting(UpsLink& link, Setting setting);
// The setting's text member as last read or cycled.
std::string_view SettingText(const UpsLink& link, Setting setting);

// Cycles a setting until its text is exactly `wanted` (the self-test switch-off: "OFF"). The present
// text is tested first, so a setting that already shows it receives nothing. Ends: Reached, Missed (a
// value came round again: the unit does not offer `wanted`), NoAnswer (an empty text), Stopped, Limit
// (kCycleSearchLimit cycles); Refused on a family without stored settings.
LoopResult CycleUntil(UpsLink& link, Setting setting, std::string_view wanted, const LoopHooks& hooks = {});

// Reads the 256-byte EEPROM into link.EepromImage at offset (0 or 256): "#" gives the start s, and the
// answer to the k-th "+" (k = 1 to 255) goes to offset + ((s + k) mod 256). A start that is not two
// hexadecimal digits counts as 0; an answer that is not, or that is missing, keeps the previous byte; the
// byte at s is not written. Steps counts the "+" the unit answered. Ends: Reached (all 255 "+" sent;
// Steps below 255 tells that answers went missing), NoAnswer (three answers in a row were missing: the
// unit fell silent, and the rest of the walk is filled with the last byte, as the walk would have),
// Stopped (the image holds what was read), Refused: nothing is sent to an unidentified unit, nor to an
// SC unit, where "#" selects a calibration constant and the 255 "+" would step it; also for an offset
// that leaves no room for 256 bytes.
LoopResult ReadEeprom(UpsLink& link, std::size_t offset, const LoopHooks& hooks = {});

}  // namespace kelvane
