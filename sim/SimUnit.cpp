#include "sim/SimUnit.h"

#include <cstdio>
#include <utility>

#include "sim/Presets.h"

namespace kelvane::sim {

namespace {

std::string HexByte(uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
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

    auto it = def_.Items.find(byte);
    if (it == def_.Items.end()) return def_.AnswersUnknown ? def_.UnknownAnswer : std::string();
    Item& item = it->second;
    switch (item.Kind) {
        case ItemKind::Fixed:
        case ItemKind::Reading:
        case ItemKind::Text:
            return item.Text;
        case ItemKind::Constant:
        case ItemKind::Register:
        case ItemKind::EepromStart:
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
            ++item.Byte;
            return HexByte(item.Byte);
    }
    return {};
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
    auto image = def_.EepromBase;
    for (const auto& [command, item] : def_.Items) {
        if (item.EepromAddress < 0 || item.EepromAddress > 255) continue;
        const auto address = static_cast<std::size_t>(item.EepromAddress);
        switch (item.Kind) {
            case ItemKind::Constant:
            case ItemKind::ModelCodeStep:
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
