#include "sim/SimUnit.h"

#include <utility>

namespace kelvane::sim {

std::vector<std::string> SimUnit::PresetNames() {
    return {"smart",
            "smart-small",
            "smart-xl",
            "smart-sc",
            "smart-3g",
            "surt",
            "no-serial",
            "back-pro",
            "back-pro-1500",
            "second-gen",
            "second-gen-legacy1",
            "second-gen-legacy2",
            "monitor-only",
            "silent",
            "not-ups"};
}

std::unique_ptr<SimUnit> SimUnit::FromPreset(const std::string&) {
    return nullptr;
}

SimUnit::SimUnit(Definition definition) : def_(std::move(definition)) {}

bool SimUnit::OverrideAnswer(const std::string&, const std::string&, std::string* why) {
    if (why) *why = "not built yet";
    return false;
}

void SimUnit::SetMuteAfter(int commands) {
    std::lock_guard lock(mutex_);
    answersLeft_ = commands;
}

void SimUnit::InjectAlert(char alert) {
    std::lock_guard lock(mutex_);
    pendingAlerts_.push_back(alert);
}

std::string SimUnit::OnByte(uint8_t byte) {
    std::lock_guard lock(mutex_);
    received_.push_back(byte);
    return {};
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
    return def_.EepromBase;
}

const Item* SimUnit::Find(uint8_t command) const {
    std::lock_guard lock(mutex_);
    auto it = def_.Items.find(command);
    return it == def_.Items.end() ? nullptr : &it->second;
}

bool SimUnit::ParseCommand(const std::string&, uint8_t*, std::string* why) {
    if (why) *why = "not built yet";
    return false;
}

bool SimUnit::ParseText(const std::string&, std::string*, std::string* why) {
    if (why) *why = "not built yet";
    return false;
}

std::string SimUnit::AnswerFor(uint8_t) {
    return {};
}
std::string SimUnit::Frame(std::string text) {
    return text;
}

}  // namespace kelvane::sim
