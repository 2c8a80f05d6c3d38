#include "ui/ActionButtons.h"

#include <QAbstractButton>
#include <QTabWidget>
#include <QtDebug>
#include <functional>

#include "ui/TForm1.h"

namespace kelvane {
namespace {

constexpr int Buffer2Offset = 256;

// Units whose rating has other than four digits step B.B.D. the other way round, so there the buttons swap
// their step characters to keep the meaning of their captions.
char BbdStep(const TForm1& window, char stepOnLargeUnits) {
    if (window.Snapshot.RatedDigits == 4) return stepOnLargeUnits;
    return stepOnLargeUnits == '+' ? '-' : '+';
}

void Connect(TForm1& window, const char* name, std::function<void()> click) {
    auto* button = window.findChild<QAbstractButton*>(QLatin1String(name));
    if (button == nullptr) {
        qWarning("Button %s is missing from the window; it does nothing.", name);
        return;
    }
    QObject::connect(button, &QAbstractButton::clicked, &window, [click = std::move(click)] { click(); });
}

}  // namespace

void InstallActionButtons(TForm1& window) {
    struct Entry {
        const char* Name;
        char Code;
        char Argument;
    };
    const Entry table[] = {
        // Step pairs: the argument is the step the worker sends to the unit.
        {"ModelMinus", '1', '-'},
        {"ModelPlus", '1', '+'},
        {"LoadMinus", '2', '-'},
        {"LoadPlus", '2', '+'},
        {"InputVoltageMinus", '3', '-'},
        {"InputVoltagePlus", '3', '+'},
        {"BatteryVoltageMinus", '4', '-'},
        {"BatteryVoltagePlus", '4', '+'},
        {"BatteryPacksMinus", '5', '-'},
        {"BatteryPacksPlus", '5', '+'},
        {"Load2ndMinus", '6', '-'},
        {"InputVoltage2ndMinus", '7', '-'},
        {"Bat2ndMinus", 'R', '-'},
        {"LoadBackProMinus", 'f', '-'},
        {"LoadBackProPlus", 'f', '+'},
        {"InputVoltageBackProMinus", 'g', '-'},
        {"InputVoltageBackProPlus", 'g', '+'},
        {"RatioMinus", 'A', '-'},
        {"RatioPlus", 'A', '+'},
        {"EUTVoltageMinus", 'C', '-'},
        {"EUTVoltagePlus", 'C', '+'},
        {"BatteryVoltageBackProMinus", 'D', '-'},
        {"BatteryVoltageBackProPlus", 'D', '+'},
        // The unit's float step runs against its caption.
        {"FloatBackProMinus", 'E', '+'},
        {"FloatBackProPlus", 'E', '-'},
        {"DCOffsetMinus", 'F', '-'},
        {"DCOffsetPlus", 'F', '+'},
        {"CapasitorLoadMinus", 'G', '-'},
        {"CapasitorLoadPlus", 'G', '+'},
        {"FirstRTminusBatVoltageButton", '#', '-'},
        {"FirstRTplusBatVoltageButton", '#', '+'},
        {"SecondRTminusBatVoltageButton", '$', '-'},
        {"SecondRTplusBatVoltageButton", '$', '+'},
        {"FirstRTminusBat400VoltageButton", '%', '-'},
        {"FirstRTplusBat400VoltageButton", '%', '+'},
        {"SecondRTminusBat400VoltageButton", '^', '-'},
        {"SecondRTplusBat400VoltageButton", '^', '+'},
        // "Change" buttons: the worker moves the setting to the next value of the unit's own list.
        {"UpVoltageConstChange", '8', '-'},
        {"LowVoltageConstChange", '9', '-'},
        {"OutVoltageConstChange", 'a', '-'},
        {"UpVoltageChange2nd", 'b', '-'},
        {"LowVoltageChange2nd", 'c', '-'},
        {"OutVoltageChange2nd", 'd', '-'},
        {"LowBatWarningChange", 'S', '-'},
        {"ShutDownDelayChange", 'u', '-'},
        {"WakeUpDelayChange", 'v', '-'},
        {"SelfTestChange", 'w', '-'},
        {"ThresholdChange", 'M', '-'},
        {"SensitivityChange", 'x', '-'},
        {"AlarmDelayChange", 'y', '-'},
        // Actions.
        {"ResetAll", 'N', 'z'},
        {"Leds", 'z', '-'},
        {"Test", 'P', '-'},
        {"ByPass", '~', '-'},
        {"Button1", 'T', '-'},
        {"ReadEE", 'W', '-'},
        {"SaveEE", 'X', '-'},
        {"CompareEE", 'Y', '-'},
    };
    for (const Entry& entry : table) {
        Connect(window, entry.Name, [&window, code = entry.Code, argument = entry.Argument] {
            window.Commands.push(code, argument);
        });
    }
    Connect(window, "BBDVoltageMinus", [&window] { window.Commands.push('B', BbdStep(window, '-')); });
    Connect(window, "BBDVoltagePlus", [&window] { window.Commands.push('B', BbdStep(window, '+')); });

    auto* buffers = window.findChild<QTabWidget*>(QStringLiteral("PageControl2"));
    auto* readButton = window.findChild<QWidget*>(QStringLiteral("ReadEE"));
    auto* compareButton = window.findChild<QWidget*>(QStringLiteral("CompareEE"));
    if (buffers == nullptr) {
        qWarning("The EEPROM page's buffer tabs are missing from the window.");
        return;
    }
    QObject::connect(buffers, &QTabWidget::currentChanged, &window, [buffers, readButton, compareButton] {
        PageControl2Change(buffers, readButton, compareButton);
    });
}

void PageControl2Change(QTabWidget* buffers, QWidget* readButton, QWidget* compareButton) {
    const QWidget* page = buffers->currentWidget();
    const QString chosen = page != nullptr ? page->objectName() : QString();
    if (chosen == QLatin1String("Buffer1")) buffers->setProperty("Tag", 0);
    if (chosen == QLatin1String("Buffer2")) buffers->setProperty("Tag", Buffer2Offset);
    const bool comparing = chosen == QLatin1String("Compare");
    if (readButton != nullptr) readButton->setEnabled(!comparing);
    if (compareButton != nullptr) compareButton->setEnabled(comparing);
}

}  // namespace kelvane
