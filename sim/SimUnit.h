// A simulated unit: the one-byte smart protocol seen from the unit's side.
//
// One model, many presets. A server (the virtual-time line of the tests, the pseudo-terminal server of
// kelvane-sim and the window's port chooser) feeds it the bytes the host writes and delivers what it
// answers with its own timing; the model itself knows nothing of time or file descriptors.
//
// Thread-safety: every member locks the unit, so a test may inject an alert or mute the unit while a
// worker thread drives it through a line. What Received() and Find() return is read safely only while
// no other thread feeds the unit.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kelvane::sim {

// What a command byte is to the unit. Every answer is computed from the item's present state, so that
// a step, a cycle or a write changes what the unit answers next.
//
// In the programming mode "+" and "-" act on the item selected last (the last byte that named one):
// a constant or the model code moves by one, wrapping; a calibrated reading moves by one step of its
// last digit; a setting takes its next ("-") or previous ("+") value; "-" opens an identity text for a
// write; "+" after "#" walks the EEPROM. Outside the programming mode they are answered "NA".
enum class ItemKind {
    Fixed,          // an answer that never changes: smart-mode reply, capability list
    Reading,        // a live measurement; its text is what the unit measures now
    Text,           // an identity text the unit stores (serial number, dates, identifier, firmware code)
    Constant,       // a calibration constant: one byte, answered as two upper-case hexadecimal digits
    Register,       // a status register: one byte, answered as two upper-case hexadecimal digits
    Setting,        // a stored setting that takes one value of the unit's own list
    ProgramEntry,   // "1": the second "1" of a pair enters the programming mode
    EepromStart,    // "#" on units where it is not a constant: answers the EEPROM walk's start address
    Bypass,         // "^" on units where it is not a constant: toggles bypass
    ModelCodeStep,  // "H" of the 2nd generation: every query moves the model code on by one
    ModelCode,      // 0x02 on third-generation units: answers the model code, which "+" and "-" step
    ModelName,      // 0x01, or "V" of the 2nd generation: the name (model digit) of the present code
    FixedStep,      // "4", "2", "3" of the 2nd generation: steps constant Byte up, when it is selected
    OneWayStep,     // "a", "b", "d" of the 2nd generation: steps reading Byte down, wrapping round
    Action,         // a unit command: "W" self-test, "A" lamp test, "z" factory reset, "Z" pair, "R"
};

// How a reading takes "+" and "-".
enum class StepReply {
    None,   // it does not: a plain measurement
    Value,  // it moves and the unit answers its new text
    Ok,     // it moves and the unit answers "OK"
    Count,  // the battery packs: answers the new count, in the long dialect as "OK" and the count
};

struct Item {
    ItemKind Kind = ItemKind::Fixed;
    std::string Text;                   // Fixed, Reading, Text; ProgramEntry: the answer to the second "1"
    uint8_t Byte = 0;                   // Constant, Register; EepromStart: start address; FixedStep,
                                        // OneWayStep: the command of the constant or reading it steps
    std::vector<std::string> Choices;   // Setting: the unit's list of values
    std::size_t Choice = 0;             // Setting: index of the present value
    std::size_t DefaultChoice = 0;      // Setting: the factory value that "z" restores
    std::size_t Width = 0;              // Text: the field a write fills (and the EEPROM bytes it takes)
    int EepromAddress = -1;             // where the value lives in the EEPROM image; -1 = nowhere
    StepReply Steps = StepReply::None;  // Reading: whether "+" and "-" move it
    int Offset = 0;                     // Reading: calibration steps away from Text
    double JumpSize = 0;                // Reading: how far a jump (SetJumpAt) moves it; 0: ten steps
};

// The unit's model code and what follows from it.
struct ModelCodes {
    uint8_t Code = 0;
    // The codes the unit steps through, wrapping: First and one more per name.
    uint8_t First = 0;
    // The answer to the model-name query (0x01, or "V" of the 2nd generation) for each code.
    std::vector<std::string> Names;
    int EepromAddress = -1;
};

class SimUnit {
  public:
    // The preset names, most important first; kelvane-sim --list prints these.
    static std::vector<std::string> PresetNames();
    // A unit of the named preset; null when there is no such preset.
    static std::unique_ptr<SimUnit> FromPreset(const std::string& name);

    // Replaces the unit's answer to one command by a fixed text (kelvane-sim --answer CMD=TEXT). The
    // unit still acts on the byte (a "1" pair still enters programming mode); only what it sends
    // changes.
    //   CMD:  one printable character; "^X" for a control character ("^A" = 0x01, "^M" = carriage
    //         return, "^Z" = 0x1A); or "0xNN" with two hexadecimal digits.
    //   TEXT: the answer without its line end; escapes \r \n \0 \\ and \xNN (two hexadecimal digits).
    //         The unit appends carriage return and line feed unless TEXT already ends with a line feed,
    //         so "\r\n" is a bare line end and "\n" a lone line feed. An empty TEXT: no answer at all.
    // Returns false with the reason in *why when CMD or TEXT is malformed; the unit is then unchanged.
    bool OverrideAnswer(const std::string& command, const std::string& text, std::string* why = nullptr);

    // The unit answers the next `commands` received bytes, counted from this call, then falls silent
    // until the next call (-1 = never silent). A silent unit records what it receives but acts on
    // nothing, and its queued alerts stay unsent.
    void SetMuteAfter(int commands);

    // The `step`-th calibration step received from this call on (a "+" or "-" on a calibrated reading,
    // or a one-way step of the 2nd generation) makes the reading jump: by its JumpSize in the step's
    // direction, upward for the one-way steps, which otherwise go down. 0 or less: no jump.
    void SetJumpAt(int step);

    // The next answer the unit sends carries this alert character before its text. Several calls queue
    // up in order; an answer never sent (a silent byte) leaves them waiting for the next one.
    void InjectAlert(char alert);

    // One received byte. Returns the bytes the unit sends back, carriage return and line feed included;
    // empty when the unit does not answer this byte.
    std::string OnByte(uint8_t byte);

    // Every byte received, in order.
    const std::vector<uint8_t>& Received() const;

    // The preset this unit was built from.
    std::string Name() const;
    // True once a "1" pair has been received.
    bool InProgrammingMode() const;
    // The 256-byte EEPROM as it stands, with the present constants, settings and identity texts.
    std::array<uint8_t, 256> Eeprom() const;
    // The item behind a command byte, for tests and servers that show the unit's state; null when the
    // unit does not know that command. Overrides do not show here.
    const Item* Find(uint8_t command) const;

    // Parses a CMD of OverrideAnswer; false with a reason on a malformed one.
    static bool ParseCommand(const std::string& command, uint8_t* byte, std::string* why);
    // Expands the escapes of a TEXT of OverrideAnswer; false with a reason on a malformed one.
    static bool ParseText(const std::string& text, std::string* bytes, std::string* why);

    // Builds a unit from its parts; FromPreset is the usual way in.
    struct Definition {
        std::string Name;
        std::map<uint8_t, Item> Items;
        bool AnswersUnknown = true;  // "NA" to a command the unit does not know; false: silence
        std::string UnknownAnswer = "NA";
        std::array<uint8_t, 256> EepromBase{};  // the bytes no item covers
        ModelCodes Model;
        bool LongDialect = false;  // acknowledges a cycle with six characters ("OK" and the value)
    };
    explicit SimUnit(Definition definition);

  private:
    std::string AnswerFor(uint8_t byte);
    std::string Step(uint8_t step);
    std::string StepReading(Item& item, int direction, bool oneWay);
    std::string StepModelCode(int direction);
    std::string EditCharacter(uint8_t byte);
    std::string Act(uint8_t command);
    std::string ModelNameNow(const Item& item) const;
    std::string ReadingText(const Item& item) const;
    std::string LongAnswer(const std::string& value) const;
    std::array<uint8_t, 256> Image() const;
    std::string Frame(std::string text);

    mutable std::mutex mutex_;
    Definition def_;
    std::map<uint8_t, std::string> overrides_;
    std::vector<uint8_t> received_;
    std::string pendingAlerts_;
    int answersLeft_ = -1;
    bool pendingOne_ = false;
    bool pendingZ_ = false;
    bool programming_ = false;
    bool inBypass_ = false;
    uint8_t selected_ = 0;       // the last byte that named an item; "+" and "-" act on it
    bool editing_ = false;       // an identity text takes the bytes that follow as its characters
    std::string edited_;         // the characters received so far
    uint8_t eepromAddress_ = 0;  // where the EEPROM walk stands
    int jumpIn_ = 0;             // calibration steps until the jump; 0: none to come
};

}  // namespace kelvane::sim
