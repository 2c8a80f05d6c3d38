// UpsLink: the one unit attached to a serial port. It owns the port, the two exchange buffers and every
// value last read from the unit, and offers every protocol operation as a synchronous call.
//
// Thread-safety: none of its own. One thread drives the link at a time (the window thread while it
// connects and identifies, the worker afterwards). Exchange and ExchangeRaw return a view of Reply that the
// next exchange overwrites; every member that keeps an answer holds its own copy.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ups/BoundedText.h"
#include "ups/PortHandle.h"
#include "ups/SerialLine.h"
#include "ups/Sleeper.h"

namespace kelvane {

// Values of UpsLink::Family.
constexpr int16_t FamilySmart = 0;
constexpr int16_t FamilyBackPro = 1;
constexpr int16_t FamilySmart2ndGen = 2;
constexpr int16_t FamilySmartNoSerial = 3;
constexpr int16_t FamilyUnidentified = 4;

class UpsLink {
  public:
    // The longest answer any command asks for: the capability list.
    static constexpr std::size_t kMaxAnswerLength = 1000;
    // Answers longer than asked for get one further read of this many bytes.
    static constexpr std::size_t kExtraReadLength = 3;

    explicit UpsLink(LineOpener opener = {}, Sleeper* sleeper = nullptr);
    ~UpsLink();
    UpsLink(const UpsLink&) = delete;
    UpsLink& operator=(const UpsLink&) = delete;

    // --- Port -----------------------------------------------------------------------------------------
    void SetLineOpener(LineOpener opener);
    // Null selects the real sleeper.
    void SetSleeper(Sleeper* sleeper);

    // Opens the named port at 2400 8N1 and applies the standard time-outs. On failure Port is invalid and
    // LastOpenError() tells the system's reason.
    bool OpenPort(const std::string& portName);
    // Closes an open port; false only when the system reported a failure (the port is closed either way).
    bool ClosePort();
    const std::string& LastOpenError() const { return lastOpenError_; }
    // Applies the Timeouts member to the open port.
    void ApplyTimeouts();

    // The line reported the device gone during a read since the port was opened.
    bool LinkFailed() const { return linkFailed_; }
    const std::string& LinkFailure() const { return linkFailure_; }

    // --- Exchange -------------------------------------------------------------------------------------
    // Sends one command byte and collects an answer of answerLength characters (0: send only, Reply is
    // left as it was), up to the carriage return with the alert characters removed and latched.
    std::string_view Exchange(uint8_t command, std::size_t answerLength);
    // The same, keeping every character before the carriage return.
    std::string_view ExchangeRaw(uint8_t command, std::size_t answerLength);
    std::string_view ReplyText() const { return {Reply.data(), replyLength_}; }
    // Asks "Y" up to twice; sets Online.
    bool CheckSmartMode();

    // --- Identification and refresh lists -------------------------------------------------------------
    bool Identify();
    std::string ReadModel();
    std::string ReadFirmware();
    void RefreshAll();
    void RefreshPoll();

    // --- Measurements ---------------------------------------------------------------------------------
    std::string ReadInputVoltage();
    std::string ReadOutputVoltage();
    std::string ReadLoad();
    std::string ReadBatteryVoltage();
    std::string ReadBatteryCharge();
    std::string ReadRunTime();
    std::string ReadTemperature();
    std::string ReadLineFrequency();
    std::string ReadRtPlusBatteryVoltage();
    std::string ReadRtMinusBatteryVoltage();
    std::string ReadRtPlus400BatteryVoltage();
    std::string ReadRtMinus400BatteryVoltage();

    // --- Identity and stored settings -----------------------------------------------------------------
    std::string ReadSerialNumber();
    std::string ReadManufactureDate();
    std::string ReadBatteryReplaceDate();
    std::string ReadUpsId();
    std::string ReadNominalBatteryVoltage();
    std::string ReadBatteryPacks();
    std::string ReadNominalOutputVoltage();
    std::string ReadLowTransferVoltage();
    std::string ReadUpTransferVoltage();
    std::string ReadSelfTestInterval();
    std::string ReadShutdownDelay();
    std::string ReadWakeupDelay();
    std::string ReadLowBatteryWarning();
    std::string ReadReturnThreshold();
    std::string ReadAlarmDelay();
    std::string ReadSensitivity();
    std::string ReadModelCode2nd();

    // --- Calibration constants ------------------------------------------------------------------------
    std::string ReadConst0();
    std::string ReadConst4();
    std::string ReadConst5();
    std::string ReadConst6();
    std::string ReadConstHash();
    std::string ReadConstDollar();
    std::string ReadConstPercent();
    std::string ReadConstCaret();
    std::string ReadConstCtrlD();

    // --- Back-PRO settings ----------------------------------------------------------------------------
    std::string ReadFloatVoltage();
    std::string ReadRatio();
    std::string ReadBbdVoltage();
    std::string ReadEutVoltage();
    std::string ReadDcOffset();
    std::string ReadCapacitorLoad();

    // --- Status registers -----------------------------------------------------------------------------
    uint8_t ReadStateRegister1();
    uint8_t ReadStateRegister2();
    uint8_t ReadStateRegister3();
    uint8_t ReadStatusFlags();
    uint8_t RefreshRegisters();

    // --- One-step adjustments (programming mode) -------------------------------------------------------
    // Each selects its value, sends the step ('+' or '-') and re-reads the value, returning the re-read
    // text. Any other step byte is refused and nothing is sent: in the programming mode a stray byte is a
    // command of its own (a "z" resets the unit to its factory settings).
    std::string AdjustInputVoltage(char step);
    std::string AdjustLoad(char step);
    // On the 2nd generation the step is "d" whichever way the caller asked.
    std::string AdjustBatteryVoltage(char step);
    std::string AdjustBatteryPacks(char step);
    std::string AdjustRtPlusBattery(char step);
    std::string AdjustRtMinusBattery(char step);
    std::string AdjustRtPlus400Battery(char step);
    std::string AdjustRtMinus400Battery(char step);
    std::string AdjustFloatVoltage(char step);
    std::string AdjustRatio(char step);
    std::string AdjustBbdVoltage(char step);
    std::string AdjustEutVoltage(char step);
    std::string AdjustDcOffset(char step);
    std::string AdjustCapacitorLoad(char step);
    // The 2nd generation's one-way steps; the first two re-read their reading, the battery step does not.
    std::string StepInputVoltage2nd();
    std::string StepLoad2nd();
    std::string StepBattery2nd();
    // Steps the model code; returns the model name read afterwards.
    std::string AdjustModel(char step);

    // --- Stepping toward a target ---------------------------------------------------------------------
    // One step of a calibration constant toward the two hexadecimal digits of target; true once the
    // unit answers the target. Hexadecimal texts are compared in upper case, so a target typed "a0" is
    // met by the unit's "A0". The constant must have been selected first (see DriveConstant).
    bool StepConst0Toward(std::string_view target);
    bool StepConst4Toward(std::string_view target);
    bool StepConst5Toward(std::string_view target);
    bool StepConst6Toward(std::string_view target);
    bool StepConstCtrlDToward(std::string_view target);
    bool StepConstHashToward(std::string_view target);
    bool StepConstDollarToward(std::string_view target);
    bool StepConstPercentToward(std::string_view target);
    bool StepConstCaretToward(std::string_view target);
    // Reads the model code into ModelCodeText (ModelCode2ndText as well on the 2nd generation).
    std::string ReadModelCode();
    // One step of the model code; true once it equals target, turned back past it, or did not move.
    bool StepModelCodeToward(std::string_view target);
    // One "H" of the 2nd generation; true once ModelCode2ndText equals target.
    bool StepModelCode2ndToward(std::string_view target);

    // --- Calibration steps ----------------------------------------------------------------------------
    // One step of a closed-loop calibration against the reference (a decimal text; not a number counts
    // as 0). True when the calibration is complete; CalibrationJumped then tells whether it ended on a
    // jump of the reading rather than on the reference.
    bool CalibrateInputVoltageStep(std::string_view reference);
    bool CalibrateLoadStep(std::string_view reference);
    bool CalibrateBattery2ndStep(std::string_view reference);

    // --- Setting cycles -------------------------------------------------------------------------------
    // Each moves the setting one place through the unit's own list and returns the re-read text.
    std::string CycleLowTransferVoltage();
    std::string CycleUpTransferVoltage();
    std::string CycleSelfTestInterval();
    std::string CycleShutdownDelay();
    std::string CycleWakeupDelay();
    std::string CycleLowBatteryWarning();
    std::string CycleReturnThreshold();
    std::string CycleAlarmDelay();
    std::string CycleSensitivity();
    std::string CycleNominalOutputVoltage();

    // --- Identity writes ------------------------------------------------------------------------------
    // Each rewrites a text field character by character, pads it with spaces and returns the re-read
    // text. Characters beyond the field's width are not sent: the unit has taken the field by then and
    // would read them as commands.
    std::string WriteManufactureDate(std::string_view text);
    std::string WriteBatteryReplaceDate(std::string_view text);
    std::string WriteUpsId(std::string_view text);
    std::string WriteSerialNumber(std::string_view text);
    // Rewrites the three-digit SKU code in front of the firmware revision; returns SkuCodeText.
    std::string WriteSkuCode(std::string_view text);
    // Field widths of the writes.
    static constexpr std::size_t kDateWidth = 8;
    static constexpr std::size_t kUpsIdWidth = 8;
    static constexpr std::size_t kSerialNumberWidth = 14;
    static constexpr std::size_t kSerialNumberWidth2nd = 8;
    static constexpr std::size_t kSkuCodeWidth = 3;
    std::size_t SerialNumberWidth() const;

    // --- Unit commands --------------------------------------------------------------------------------
    void StartSelfTest();
    void ToggleBypass();
    void TestLedsAndAlarm();
    // Factory settings, then the ten settings re-read.
    void ResetToDefaults();
    void SendZPair();
    // The EEPROM walk: "#" answers the start address, every "+" the byte at the next address.
    std::string EepromBegin();
    std::string EepromNext();
    // The last command of a connection, sent before the port is closed at exit.
    void SendCloseCommand();

    // --- Members, in the unit model's order -----------------------------------------------------------
    PortHandle Port;
    std::array<uint8_t, 1280> EepromImage{};
    bool SmallModel = false;
    bool ThirdGen = false;
    bool XlModel = false;
    bool StackModel = false;
    bool ScModel = false;
    bool ScRackModel = false;
    bool SurtModel = false;
    bool ModelCodeViaCtrlB = false;
    bool HlVariant = false;
    bool SteppedDown = false;
    bool SteppedUp = false;
    bool AprogMode = false;
    float RatedPower = 0.0f;
    int16_t Family = FamilySmart;
    kelvane::Timeouts Timeouts{};
    BoundedText<4> RtPlusStepReplyText;
    BoundedText<4> RtMinusStepReplyText;
    BoundedText<4> RtPlus400StepReplyText;
    BoundedText<4> RtMinus400StepReplyText;
    uint8_t StatusFlags = 0;
    uint8_t StateRegister1 = 0;
    uint8_t StateRegister2 = 0;
    uint8_t StateRegister3 = 0;
    // Holds the longest read, the capability list: n + 2 bytes plus the extra read of 3.
    std::array<uint8_t, 1024> ReadBuffer{};
    // As large as ReadBuffer so the capability list is never cut; always zero-terminated.
    std::array<char, 1024 + 1> Reply{};
    BoundedText<4> PreviousModelCodeText;
    BoundedText<10> ManufactureDateText;
    BoundedText<10> BatteryReplaceDateText;
    BoundedText<10> UpsIdText;
    BoundedText<16> SerialNumberText;
    BoundedText<7> OutputVoltageText;
    BoundedText<7> NominalOutputVoltageText;
    BoundedText<7> InputVoltageText;
    BoundedText<7> LowTransferVoltageText;
    BoundedText<7> UpTransferVoltageText;
    BoundedText<4> Const0Text;
    BoundedText<4> Const4Text;
    BoundedText<4> Const5Text;
    BoundedText<4> Const6Text;
    BoundedText<4> ConstHashText;
    BoundedText<4> ConstDollarText;
    BoundedText<4> ConstPercentText;
    BoundedText<4> ConstCaretText;
    BoundedText<4> ConstCtrlDText;
    BoundedText<4> NominalBatteryVoltageText;
    BoundedText<4> BatteryStepReply2ndText;
    BoundedText<4> ModelCode2ndText;
    BoundedText<4> ModelCodeText;
    BoundedText<7> BatteryVoltageText;
    BoundedText<7> FloatVoltageText;
    BoundedText<7> RatioText;
    BoundedText<7> BbdVoltageText;
    BoundedText<7> EutVoltageText;
    BoundedText<7> DcOffsetText;
    BoundedText<7> CapacitorLoadText;
    BoundedText<10> SensitivityText;
    BoundedText<7> SelfTestIntervalText;
    BoundedText<7> TemperatureText;
    BoundedText<7> ShutdownDelayText;
    BoundedText<7> WakeupDelayText;
    BoundedText<7> BatteryPacksText;
    BoundedText<13> AlarmDelayText;
    BoundedText<5> LowBatteryWarningText;
    BoundedText<3> ReturnThresholdText;
    BoundedText<7> RunTimeText;
    BoundedText<26> ModelNameText;
    BoundedText<17> FirmwareText;
    BoundedText<17> SkuCodeText;
    BoundedText<7> LineFrequencyText;
    BoundedText<7> LoadPercentText;
    BoundedText<7> LoadWattsText;
    BoundedText<7> BatteryChargeText;
    float InputVoltageValue = 0.0f;
    float OutputVoltageValue = 0.0f;
    float LoadPercentValue = 0.0f;
    float LoadWattsValue = 0.0f;
    float WattsPerPercent = 0.0f;
    float BatteryVoltageValue = 0.0f;
    float BatteryChargeValue = 0.0f;
    float PreviousValue = 0.0f;
    BoundedText<7> RtPlusBatteryVoltageText;
    BoundedText<7> RtMinusBatteryVoltageText;
    BoundedText<7> RtPlus400BatteryVoltageText;
    BoundedText<7> RtMinus400BatteryVoltageText;
    uint16_t RunTimeMinutes = 0;
    int16_t BatteryPacksValue = 0;
    int16_t RatedDigits = 0;
    int8_t LegacyVariant = 0;
    bool Online = false;
    bool LineFailAlert = false;
    bool LineRestoredAlert = false;

    // --- Loop outcomes --------------------------------------------------------------------------------
    // Set by a calibration step that ended its loop on one of the jump guards (a reading that leapt by
    // more than 30, or 5 V on the battery) rather than on the reference.
    bool CalibrationJumped = false;

    // --- Link statistics and options ------------------------------------------------------------------
    // Ends a read as soon as CR LF has arrived instead of waiting for the time-out. The answers and the
    // alert latches are the same either way, but the next command goes out sooner; off gives the plain
    // time-out rule. The identity writes turn it off while they run, so the unit has as long to store
    // each character as the plain rule gives it.
    bool EarlyCompletion = true;
    uint64_t BytesSent = 0;
    uint64_t BytesReceived = 0;

  private:
    std::string_view Transact(uint8_t command, std::size_t answerLength, bool removeAlerts);
    // Reads up to k bytes into ReadBuffer at the given offset and notes a failed device.
    ReadResult ReadInto(std::size_t at, std::size_t k, bool afterCarriageReturn);
    void SetReply(std::string_view text);
    void Pause(uint32_t ms);

    void ScanCapabilities(std::string_view capabilities);
    void ProbeWithCarriageReturn();

    template <std::size_t N>
    std::string StoreAnswer(uint8_t command, std::size_t answerLength, BoundedText<N>& member) {
        member = Exchange(command, answerLength);
        return member.Str();
    }
    uint8_t StoreRegister(uint8_t command, uint8_t& member);

    bool StepConstToward(uint8_t fixedStep2nd, BoundedText<4>& member, std::string_view target);
    std::string AdjustReading(uint8_t select, char step, std::size_t stepLength,
                              std::string (UpsLink::*reread)());
    std::string AdjustRtBattery(uint8_t select, char step, BoundedText<4>& stepReply,
                                std::string (UpsLink::*reread)());
    bool CalibrateStep(std::string_view reference, float& reading, double window2nd,
                       std::string (UpsLink::*adjust)(char), std::string (UpsLink::*step2nd)());
    std::string CycleSetting(uint8_t command, std::size_t selectLength, std::size_t stepLength,
                             std::string (UpsLink::*reread)());
    enum class Padding { ToWidth, OneSpaceAtLeast };
    void WriteText(uint8_t select, std::size_t selectLength, std::size_t width, Padding padding,
                   std::string_view text);

    LineOpener opener_;
    Sleeper* sleeper_;
    std::size_t replyLength_ = 0;
    std::string lastOpenError_;
    bool linkFailed_ = false;
    std::string linkFailure_;
};

}  // namespace kelvane
