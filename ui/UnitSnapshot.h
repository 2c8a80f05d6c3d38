// The values of the unit that the window's own handlers read (Esc puts back the last value read, the range
// checks use the rating, the B.B.D. pair its number of digits). The worker rewrites those members while it
// runs, so the window keeps copies, refreshed only when the link is not being driven by another thread: at
// the start of every hand-over (the worker is then waiting) and at the end of the set-up routine.
#pragma once

#include <cstdint>
#include <string>

#include "ups/UpsLink.h"

namespace kelvane {

struct UnitSnapshot {
    std::string ManufactureDateText;
    std::string BatteryReplaceDateText;
    std::string UpsIdText;
    std::string SerialNumberText;
    std::string Const0Text;
    std::string Const4Text;
    std::string Const5Text;
    std::string Const6Text;
    std::string ConstHashText;
    std::string ConstDollarText;
    std::string ConstPercentText;
    std::string ConstCaretText;
    std::string ConstCtrlDText;
    std::string ModelCodeText;
    std::string SkuCodeText;
    float RatedPower = 0.0f;
    int16_t RatedDigits = 0;

    // Must run while no other thread drives the link.
    void TakeFrom(const UpsLink& ups) {
        ManufactureDateText = ups.ManufactureDateText.Str();
        BatteryReplaceDateText = ups.BatteryReplaceDateText.Str();
        UpsIdText = ups.UpsIdText.Str();
        SerialNumberText = ups.SerialNumberText.Str();
        Const0Text = ups.Const0Text.Str();
        Const4Text = ups.Const4Text.Str();
        Const5Text = ups.Const5Text.Str();
        Const6Text = ups.Const6Text.Str();
        ConstHashText = ups.ConstHashText.Str();
        ConstDollarText = ups.ConstDollarText.Str();
        ConstPercentText = ups.ConstPercentText.Str();
        ConstCaretText = ups.ConstCaretText.Str();
        ConstCtrlDText = ups.ConstCtrlDText.Str();
        ModelCodeText = ups.ModelCodeText.Str();
        SkuCodeText = ups.SkuCodeText.Str();
        RatedPower = ups.RatedPower;
        RatedDigits = ups.RatedDigits;
    }
};

}  // namespace kelvane
