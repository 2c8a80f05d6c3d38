#include "ui/pages/GraphicsPage.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <array>

#include "controls/Performancegraph.h"
#include "ui_GraphicsPage.h"

namespace kelvane {

namespace {

enum class Quantity { InputVoltage, RunTime, BatteryCharge, Load, OutputVoltage };

struct ScaleMark {
    const char* text;
    int top;
};

// How one chart's group reads for a quantity; tops are in pixels within the group.
struct ChartLegend {
    const char* caption;
    std::array<ScaleMark, 4> labels;
    std::array<int, 4> ticks;
};

constexpr ChartLegend kInputVoltage{
    " Input Voltage ", {{{"253v", 27}, {"220v", 43}, {"188v", 58}, {"160v", 73}}}, {32, 47, 62, 78}};
constexpr ChartLegend kRunTime{
    " Run Time ", {{{"45m", 19}, {"25m", 77}, {"10m", 126}, {" 3m", 145}}}, {24, 81, 130, 150}};
constexpr ChartLegend kBatteryCharge{
    " Battery Charged ", {{{"75%", 34}, {"50%", 76}, {"35%", 98}, {"25%", 114}}}, {40, 79, 104, 119}};
constexpr ChartLegend kLoad{" Load ", kBatteryCharge.labels, kBatteryCharge.ticks};
constexpr ChartLegend kOutputVoltage{
    " Output Voltage ", {{{"253v", 27}, {"220v", 42}, {"188v", 57}, {"160v", 72}}}, {31, 45, 61, 77}};

const ChartLegend& legendOf(Quantity quantity) {
    switch (quantity) {
        case Quantity::InputVoltage:
            return kInputVoltage;
        case Quantity::RunTime:
            return kRunTime;
        case Quantity::BatteryCharge:
            return kBatteryCharge;
        case Quantity::Load:
            return kLoad;
        case Quantity::OutputVoltage:
            return kOutputVoltage;
    }
    return kInputVoltage;
}

struct ChartPair {
    Quantity upper;
    Quantity lower;
};

// In the order of the items of Graphics.
constexpr std::array<ChartPair, 4> kSelections{{{Quantity::InputVoltage, Quantity::BatteryCharge},
                                                {Quantity::RunTime, Quantity::BatteryCharge},
                                                {Quantity::RunTime, Quantity::Load},
                                                {Quantity::InputVoltage, Quantity::OutputVoltage}}};

bool isSelection(int n) {
    return n >= 0 && n < int(kSelections.size());
}

void showLegend(QGroupBox* group, const std::array<QLabel*, 4>& labels, const std::array<QFrame*, 4>& ticks,
                const ChartLegend& legend) {
    group->setTitle(QString::fromLatin1(legend.caption));
    for (size_t i = 0; i < labels.size(); ++i) {
        labels[i]->setText(QString::fromLatin1(legend.labels[i].text));
        labels[i]->move(labels[i]->x(), legend.labels[i].top);
        ticks[i]->move(ticks[i]->x(), legend.ticks[i]);
    }
}

// A tick mark is drawn as a line along the bottom of its frame, under its scale label.
void drawTickAlongBottom(QFrame* tick) {
    tick->setFrameRect(QRect(0, tick->height() - 2, tick->width(), 2));
}

}  // namespace

GraphicsPage::GraphicsPage(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::GraphicsPage>()) {
    ui->setupUi(this);
    for (QFrame* tick :
         {ui->Bevel2, ui->Bevel3, ui->Bevel4, ui->Bevel8, ui->Bevel5, ui->Bevel6, ui->Bevel7, ui->Bevel9}) {
        drawTickAlongBottom(tick);
    }

    QComboBox* box = ui->Graphics;
    // Reachable by mouse, never by Tab; typed text is taken as it stands, never completed or added.
    box->setFocusPolicy(Qt::ClickFocus);
    box->lineEdit()->setFocusPolicy(Qt::ClickFocus);
    box->setCompleter(nullptr);
    box->setInsertPolicy(QComboBox::NoInsert);
    // Only the user's own changes run GraphicsChange: a choice from the list (activated) or typing
    // (textEdited). Neither fires when code sets the index.
    connect(box, &QComboBox::activated, this, [this] { GraphicsChange(); });
    connect(box->lineEdit(), &QLineEdit::textEdited, this, &GraphicsPage::userEditedSelection);
}

GraphicsPage::~GraphicsPage() = default;

void GraphicsPage::GraphicsChange() {
    const int selection = ui->Graphics->currentIndex();
    const int laidOutFor = ui->Graphics->property("Tag").toInt();

    if (isSelection(selection)) {
        const ChartPair& now = kSelections[size_t(selection)];
        showLegend(ui->GroupBox26, {ui->Label7, ui->Label3, ui->Label8, ui->Label12},
                   {ui->Bevel2, ui->Bevel3, ui->Bevel4, ui->Bevel8}, legendOf(now.upper));
        showLegend(ui->GroupBox27, {ui->Label9, ui->Label10, ui->Label11, ui->Label13},
                   {ui->Bevel5, ui->Bevel6, ui->Bevel7, ui->Bevel9}, legendOf(now.lower));

        // A chart whose quantity stays keeps its trace. After "none" (or anything unknown) neither
        // trace belongs to the new layout.
        const bool known = isSelection(laidOutFor);
        const ChartPair before = known ? kSelections[size_t(laidOutFor)] : ChartPair{};
        if (!known || before.upper != now.upper) ui->KPerformanceGraph1->DrawGrid();
        if (!known || before.lower != now.lower) ui->KPerformanceGraph2->DrawGrid();
    }

    ui->Graphics->setProperty("Tag", selection);
    ui->GroupBox26->setProperty("Tag", selection);
}

void GraphicsPage::userEditedSelection(const QString& text) {
    QComboBox* box = ui->Graphics;
    // The item index follows the typed text: the matching item, or -1 when the text is none of them.
    const int selection = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (selection != box->currentIndex()) {
        QLineEdit* field = box->lineEdit();
        const int cursor = field->cursorPosition();
        box->setCurrentIndex(selection);
        if (selection < 0) {
            // Clearing the index empties the field; the technician's text stays.
            field->setText(text);
            field->setCursorPosition(cursor);
        }
    }
    GraphicsChange();
}

}  // namespace kelvane
