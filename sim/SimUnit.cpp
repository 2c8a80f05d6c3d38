#include "sim/SimUnit.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "sim/Presets.h"

namespace kelvane::sim {

namespace {

std::string HexByte(uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

// A reading as a whole number of units of its last digit, so that steps neither drift by rounding nor
// depend on the locale a host program may have set.
struct FixedPoint {
    long long Units = 0;
    int Decimals = 0;
};

std::optional<FixedPoint> ParseFixed(const std::string& text) {
    FixedPoint value;
    bool negative = false;
    bool point = false;
    bool digits = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i == 0 && (c == '-' || c == '+')) {
            negative = c == '-';
        } else if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9' && value.Units < 100'000'000'000LL) {
            value.Units = value.Units * 10 + (c - '0');
            if (point) ++value.Decimals;
            digits = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    if (negative) value.Units = -value.Units;
    return value;
}

// Zero-padded to the width the unit answers in, as "032.7".
std::string FormatFixed(long long units, int decimals, std::size_t width) {
    std::string digits = std::to_string(units < 0 ? -units : units);
    if (digits.size() <= static_cast<std::size_t>(decimals)) {
        digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    }
    if (decimals > 0) digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
    const std::size_t room = width > (units < 0 ? 1u : 0u) ? width - (units < 0 ? 1u : 0u) : 0;
    if (digits.size() < room) digits.insert(0, room - digits.size(), '0');
    return (units < 0 ? "-" : "") + digits;
}

long long PowerOfTen(int exponent) {
    long long value = 1;
    for (int i = 0; i < exponent; ++i) value *= 10;
    return value;
}

}  // namespace

std::vector<std::string> SimUnit::PresetNames() {
    return PresetNameList();
}

std::unique_ptr<SimUnit> SimUnit::FromPreset(const std::string& name) {
    auto definition = PresetDefinition(name);
    if (!definition) return nullptr;
    return std::make_unique<SimUnit>(std::move(*definition));
}

SimUnit::SimUnit(Definition definition) : def_(std::move(definition)) {}

bool SimUnit::OverrideAnswer(const std::string& command, const std::string& text, std::string* why) {
    uint8_t byte = 0;
    std::string bytes;
    if (!ParseCommand(command, &byte, why) || !ParseText(text, &bytes, why)) return false;
    std::lock_guard lock(mutex_);
    overrides_[byte] = std::move(bytes);
    return true;
}

void SimUnit::SetMuteAfter(int commands) {
    std::lock_guard lock(mutex_);
    answersLeft_ = commands < 0 ? -1 : commands;
}

void SimUnit::SetJumpAt(int step) {
    std::lock_guard lock(mutex_);
    jumpIn_ = step > 0 ? step : 0;
}

void SimUnit::InjectAlert(char alert) {
    std::lock_guard lock(mutex_);
    pendingAlerts_.push_back(alert);
}

std::string SimUnit::OnByte(uint8_t byte) {
    std::lock_guard lock(mutex_);
    received_.push_back(byte);
    if (answersLeft_ == 0) return {};
    if (answersLeft_ > 0) --answersLeft_;

    std::string text = AnswerFor(byte);
    if (auto it = overrides_.find(byte); it != overrides_.end()) text = it->second;
    return Frame(std::move(text));
}

// Acts on one command byte and returns the text of the answer, without alerts and line end; empty
// when the unit does not answer.
std::string SimUnit::AnswerFor(uint8_t byte) {
    const bool secondOne = pendingOne_;
    pendingOne_ = false;
    const bool secondZ = pendingZ_;
    pendingZ_ = false;

    if (editing_) return EditCharacter(byte);
    if (byte == '+' || byte == '-') return Step(byte);

    auto it = def_.Items.find(byte);
    const bool stepsAnother = it != def_.Items.end() && (it->second.Kind == ItemKind::FixedStep ||
                                                         it->second.Kind == ItemKind::OneWayStep);
    if (!stepsAnother) selected_ = byte;
    if (it == def_.Items.end()) return def_.AnswersUnknown ? def_.UnknownAnswer : std::string();
    Item& item = it->second;
    switch (item.Kind) {
        case ItemKind::Fixed:
        case ItemKind::Text:
            return item.Text;
        case ItemKind::Reading:
            return ReadingText(item);
        case ItemKind::Constant:
        case ItemKind::Register:
            return HexByte(item.Byte);
        case ItemKind::EepromStart:
            eepromAddress_ = item.Byte;
            return HexByte(item.Byte);
        case ItemKind::Setting:
            return item.Choices.empty() ? std::string() : item.Choices[item.Choice % item.Choices.size()];
        case ItemKind::ProgramEntry:
            // The host sends "1", waits, sends "1"; only the second one is answered.
            if (!secondOne) {
                pendingOne_ = true;
                return {};
            }
            programming_ = true;
            return item.Text;
        case ItemKind::Bypass:
            inBypass_ = !inBypass_;
            return inBypass_ ? "BYP" : "INV";
        case ItemKind::ModelCodeStep:
            return StepModelCode(+1);
        case ItemKind::ModelCode:
            return HexByte(def_.Model.Code);
        case ItemKind::ModelName:
            return ModelNameNow(item);
        case ItemKind::FixedStep: {
            auto constant = def_.Items.find(item.Byte);
            if (!programming_ || selected_ != item.Byte || constant == def_.Items.end()) {
                return def_.UnknownAnswer;
            }
            ++constant->second.Byte;
            return HexByte(constant->second.Byte);
        }
        case ItemKind::OneWayStep: {
            auto reading = def_.Items.find(item.Byte);
            if (!programming_ || reading == def_.Items.end()) return def_.UnknownAnswer;
            StepReading(reading->second, -1, true);
            return "OK";
        }
        case ItemKind::Action:
            if (byte == 'Z') {
                // The pair stores what was changed and restarts the unit's controller, which leaves
                // the programming mode.
                if (secondZ) {
                    programming_ = false;
                } else {
                    pendingZ_ = true;
                }
                return "Z";
            }
            return Act(byte);
    }
    return {};
}

std::string SimUnit::Act(uint8_t command) {
    switch (command) {
        case 'z':
            for (auto& [unused, item] : def_.Items) {
                if (item.Kind == ItemKind::Setting) item.Choice = item.DefaultChoice;
            }
            return "OK";
        case 'R':
            programming_ = false;
            return "BYE";
        default:
            return "OK";
    }
}

std::string SimUnit::Step(uint8_t step) {
    const int direction = step == '+' ? +1 : -1;
    auto it = def_.Items.find(selected_);
    if (!programming_ || it == def_.Items.end()) return def_.UnknownAnswer;
    Item& item = it->second;
    switch (item.Kind) {
        case ItemKind::Constant:
            item.Byte = static_cast<uint8_t>(item.Byte + direction);
            return HexByte(item.Byte);
        case ItemKind::ModelCode:
            return StepModelCode(direction);
        case ItemKind::Text:
            // Without a query of its own, the model code is stepped after "b", the firmware query.
            if (selected_ == 'b' && def_.Items.count(0x02) == 0 && def_.Model.EepromAddress >= 0) {
                return StepModelCode(direction);
            }
            if (direction > 0) return def_.UnknownAnswer;
            editing_ = true;
            edited_.clear();
            return "-";
        case ItemKind::Reading:
            return StepReading(item, direction, false);
        case ItemKind::Setting: {
            if (item.Choices.empty()) return def_.UnknownAnswer;
            const std::size_t count = item.Choices.size();
            item.Choice = (item.Choice % count + (direction < 0 ? 1 : count - 1)) % count;
            if (def_.LongDialect && selected_ != 'o') return LongAnswer(item.Choices[item.Choice]);
            return "OK";
        }
        case ItemKind::EepromStart:
            if (direction < 0) return def_.UnknownAnswer;
            ++eepromAddress_;
            return HexByte(Image()[eepromAddress_]);
        default:
            return def_.UnknownAnswer;
    }
}

// A calibrated reading: steps of one unit of its last digit, within 64 steps either way of where it
// started (a one-way step wraps round instead), unless this is the step that jumps.
std::string SimUnit::StepReading(Item& item, int direction, bool oneWay) {
    const std::optional<FixedPoint> base = ParseFixed(item.Text);
    if (item.Steps == StepReply::None || !base) return def_.UnknownAnswer;
    constexpr int kReach = 64;
    if (jumpIn_ > 0 && --jumpIn_ == 0) {
        const double size =
            item.JumpSize > 0 ? item.JumpSize * static_cast<double>(PowerOfTen(base->Decimals)) : 10.0;
        const int steps = static_cast<int>(size + 0.5);
        item.Offset += oneWay ? steps : direction * steps;
    } else if (oneWay) {
        item.Offset = item.Offset - 1 < -kReach ? kReach - 1 : item.Offset - 1;
    } else {
        // At the end of its reach the reading stays; a jump may have carried it past, and then it
        // still steps back.
        const int next = item.Offset + direction;
        if (next >= -kReach && next < kReach) {
            item.Offset = next;
        } else if ((next < -kReach) != (direction < 0)) {
            item.Offset = next;
        }
    }
    switch (item.Steps) {
        case StepReply::Value:
            return ReadingText(item);
        case StepReply::Count:
            return def_.LongDialect ? LongAnswer(ReadingText(item)) : ReadingText(item);
        default:
            return "OK";
    }
}

std::string SimUnit::StepModelCode(int direction) {
    ModelCodes& model = def_.Model;
    const int count = model.Names.empty() ? 256 : static_cast<int>(model.Names.size());
    const int index = (static_cast<int>(model.Code) - model.First + 256) % 256;
    const int next = ((index % count) + direction + count) % count;
    model.Code = static_cast<uint8_t>(model.First + next);
    return HexByte(model.Code);
}

std::string SimUnit::ModelNameNow(const Item& item) const {
    const ModelCodes& model = def_.Model;
    const auto index = static_cast<std::size_t>((model.Code - model.First + 256) % 256);
    return index < model.Names.size() ? model.Names[index] : item.Text;
}

// An identity write: every byte is a character, echoed; the field is taken once it is full.
std::string SimUnit::EditCharacter(uint8_t byte) {
    auto it = def_.Items.find(selected_);
    if (it == def_.Items.end()) {
        editing_ = false;
        return def_.UnknownAnswer;
    }
    Item& item = it->second;
    edited_.push_back(static_cast<char>(byte));
    if (edited_.size() >= item.Width) {
        // A field narrower than the text (the SKU code in front of the firmware) keeps the rest.
        item.Text = edited_ + (item.Text.size() > item.Width ? item.Text.substr(item.Width) : std::string());
        editing_ = false;
    }
    return std::string(1, static_cast<char>(byte));
}

std::string SimUnit::ReadingText(const Item& item) const {
    const std::optional<FixedPoint> base = ParseFixed(item.Text);
    if (item.Offset == 0 || !base) return item.Text;
    return FormatFixed(base->Units + item.Offset, base->Decimals, item.Text.size());
}

// The long dialect's acknowledgement: "OK" and the value in four places.
std::string SimUnit::LongAnswer(const std::string& value) const {
    std::string field =
        value.size() >= 4 ? value.substr(value.size() - 4) : std::string(4 - value.size(), ' ') + value;
    return "OK" + field;
}

std::string SimUnit::Frame(std::string text) {
    if (text.empty()) return {};
    std::string answer = std::move(pendingAlerts_);
    pendingAlerts_.clear();
    answer += text;
    if (answer.back() != '\n') answer += "\r\n";
    return answer;
}

const std::vector<uint8_t>& SimUnit::Received() const {
    return received_;
}

std::string SimUnit::Name() const {
    std::lock_guard lock(mutex_);
    return def_.Name;
}

bool SimUnit::InProgrammingMode() const {
    std::lock_guard lock(mutex_);
    return programming_;
}

std::array<uint8_t, 256> SimUnit::Eeprom() const {
    std::lock_guard lock(mutex_);
    return Image();
}

std::array<uint8_t, 256> SimUnit::Image() const {
    auto image = def_.EepromBase;
    if (def_.Model.EepromAddress >= 0 && def_.Model.EepromAddress <= 255) {
        image[static_cast<std::size_t>(def_.Model.EepromAddress)] = def_.Model.Code;
    }
    for (const auto& [command, item] : def_.Items) {
        if (item.EepromAddress < 0 || item.EepromAddress > 255) continue;
        const auto address = static_cast<std::size_t>(item.EepromAddress);
        switch (item.Kind) {
            case ItemKind::Constant:
                image[address] = item.Byte;
                break;
            case ItemKind::Setting:
                image[address] = static_cast<uint8_t>(item.Choice);
                break;
            case ItemKind::Text:
                // The field is padded with blanks, as the unit pads a write.
                for (std::size_t i = 0; i < item.Width && address + i < image.size(); ++i) {
                    image[address + i] = i < item.Text.size() ? static_cast<uint8_t>(item.Text[i]) : ' ';
                }
                break;
            default:
                break;
        }
    }
    return image;
}

const Item* SimUnit::Find(uint8_t command) const {
    std::lock_guard lock(mutex_);
    auto it = def_.Items.find(command);
    return it == def_.Items.end() ? nullptr : &it->second;
}

}  // namespace kelvane::sim
