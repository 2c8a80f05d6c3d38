#include "ui/pages/ConstantsPage.h"

#include <QPlainTextEdit>
#include <array>

#include "ui/pages/PageLook.h"
#include "ui_ConstantsPage.h"

namespace kelvane {

namespace {

// Columns, counted from 1: designation from 1; constants 4, 5, 6 and 0 in 18-19, 21-22, 24-25 and 27-28
// (the header's digits stand over the second character of each); the model hex code from 33, or from 30
// when it carries a variant note; the firmware revision from 40 or 41. Models whose service values are not
// on file show their designation with the value cells left blank.
const std::array<const char*, 75> kModelLines = {
    "BP280I                          13      xx.L.I",
    "BP420I",
    "BP650I",
    "SU420v/s",
    "SU650v/s",
    "SU250",
    "SU400               EE F8 9F    E1",
    "SU600",
    "SU900",
    "SU1250",
    "SU2000",
    "SU450,700        28 F2 FA 96 07,RM=47  52.11.I",
    "SU450XL,700XL",
    "SU1000           35 EF F9 A0    0B     60.11.I",
    "SU1000XL",
    "SU1400",
    "SU1400RM",
    "SU1400R2IBX135",
    "SU1400RMXLI3U",
    "SU1400RMXLI3U",
    "SU2200I",
    "SU2200XL,3000",
    "SU3000RMXLI3Ublk",
    "SU5000I white",
    "SU1400XL,XLI,RM",
    "SU420I",
    "SU420SI",
    "SU620I",
    "BP420SI",
    "BP650SI",
    "Stack 250",
    "Stack 450",
    "SC250RMI1U",
    "SC450RMI1U",
    "SC420I",
    "SC620I",
    "SC1000I",
    "SC1500I",
    "SU1000XL",
    "MX 3000,5000    E9 F5 B0",
    "SU700RMI2U",
    "SU1000RMI2U",
    "SU1400RMI2U",
    "SUA1000I",
    "SUA1000XLI",
    "SUA750XLI",
    "SUA750I",
    "SUA750RMI2U",
    "SUA750RMI1U",
    "SUA1000RMI1U",
    "SUA1000RMI2U",
    "SUA1500I",
    "SUA1500RMI2U",
    "SUA2200I",
    "SUA2200RMI2U",
    "SUA2200XLI",
    "SUA3000XLI",
    "SUA3000RMI2U",
    "SUA3000RMXLI3U",
    "SU5000R5IBX120",
    "SUOL1000I",
    "SUOL2000XL",
    "SURT1000XLI      0A BB 19 A8    4E     411.x.I",
    "SURT3000XLI",
    "SURT3000XLI",
    "SURT5000XLI",
    "SURT6000XLI",
    "SURT7500XLI",
    "SURT8000XLI",
    "SURT10000XLI",
    "SUM1500RMXLI2U",
    "SUM3000RMXLI2U",
    "SRC3000RMI5U",
    "SMC3000I",
    "BP500AVR",
};

}  // namespace

QString ConstantsPage::referenceTable() {
    QStringList lines{QStringLiteral("UPS Model         4  5  6  0    Hex   "), QStringLiteral("Firmware")};
    for (const char* line : kModelLines) lines << QString::fromLatin1(line);
    return lines.join(QLatin1Char('\n'));
}

ConstantsPage::ConstantsPage(QWidget* parent) : QWidget(parent) {
    Ui::ConstantsPage ui;
    ui.setupUi(this);
    ui.Memo2->setFont(fixedPitchFont(8));
    useButtonFaceBackground(ui.Memo2);
    ui.Memo2->setPlainText(referenceTable());
}

}  // namespace kelvane
