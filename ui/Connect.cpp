// Connecting: the port chooser, the set-up routine, the worker's start and end, and the close that waits
// for it.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

#include "controls/Performancegraph.h"
#include "serial/SerialPorts.h"
#include "ui/Colours.h"
#include "ui/FamilySetup.h"
#include "ui/MessageDialogs.h"
#include "ui/QtHandOver.h"
#include "ui/QtWindowControls.h"
#include "ui/QtWindowDialogs.h"
#include "ui/SimulatedPorts.h"
#include "ui/StatusBar.h"
#include "ui/TForm1.h"
#include "ui/pages/GraphicsPage.h"
#include "ups/UpsLink.h"
#include "worker/Dispatcher.h"
#include "worker/DisplayRefresh.h"

namespace kelvane {

namespace {

constexpr uint32_t PauseAfterClosingMs = 500;

// The window as the worker sees it.
class WindowForWorker final : public PollWindow {
  public:
    explicit WindowForWorker(TForm1& window) : window_(window) {}

    bool StatusPageShowing() const override { return window_.StatusPageShowing(); }
    bool UnitIdentified() const override { return window_.UnitIdentified.load(); }
    void StartClick() override { window_.StartClick(); }
    void PollerEnded(PollWorker& worker) override {
        TForm1* window = &window_;
        PollWorker* ended = &worker;
        QMetaObject::invokeMethod(
            window, [window, ended] { window->PollerTerminated(ended); }, Qt::QueuedConnection);
    }

  private:
    TForm1& window_;
};

// The dispatcher beeps and pauses with whatever tone and sleeper the window holds when it does so; tests
// swap them after the window is built.
class WindowTone final : public Tone {
  public:
    explicit WindowTone(TForm1& window) : window_(window) {}
    void Beep() override { window_.Beeper->Beep(); }

  private:
    TForm1& window_;
};

class WindowPauses final : public Sleeper {
  public:
    explicit WindowPauses(TForm1& window) : window_(window) {}
    void SleepMs(uint32_t ms) override { window_.Pauses->SleepMs(ms); }

  private:
    TForm1& window_;
};

}  // namespace

void TForm1::SetUpConnecting() {
    Ups->SetLineOpener(serial::SystemLineOpener());
    ControlsByName = std::make_unique<QtWindowControls>(*this);
    HandOverToWindow = std::make_unique<QtHandOver>([this] {
        Snapshot.TakeFrom(*Ups);
        NoteStatusPage();
    });
    WorkerView = std::make_unique<WindowForWorker>(*this);
    SimulatedUnits = std::make_unique<SimulatedPorts>();
    Dialogs = std::make_unique<QtMessageDialogs>(this);
    FileDialogs = std::make_unique<QtWindowDialogs>(*this);
    DispatcherDialogs = std::make_unique<WindowFileDialogs>(*this);
    DispatcherTone = std::make_unique<WindowTone>(*this);
    DispatcherPauses = std::make_unique<WindowPauses>(*this);
    CommandDispatcher = std::make_unique<Dispatcher>(*Ups, *ControlsByName, *HandOverToWindow,
                                                     *DispatcherTone, *DispatcherPauses, *DispatcherDialogs,
                                                     ConstBuffer, [this] { return StopRequested.load(); });
    Dispatch = CommandDispatcher->Callback();

    FillPortChooser();
    // The chooser itself is narrow; its list is as wide as its longest name, so device paths and
    // simulated units can be told apart.
    ComboBox1->view()->setMinimumWidth(ComboBox1->view()->sizeHintForColumn(0) + 24);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    if (QLineEdit* edit = ComboBox1->lineEdit()) {
        // A typed name is tried once, when editing ends, not at every keystroke. Enter on the text of an
        // item selects that item, which the list choice above handles.
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            if (ComboBox1->findText(ComboBox1->currentText()) < 0) ComboBox1Change();
        });
        connect(edit, &QLineEdit::editingFinished, this, [this] { PortEditingFinished(); });
    }
    connect(Reconnect, &QPushButton::clicked, this, [this] { ReconnectClick(); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { NoteStatusPage(); });
}

void TForm1::NoteStatusPage() {
    StatusPageShown.store(ControlsByName->IsPageShowing(StatusPageName));
}

void TForm1::FillPortChooser() {
    for (const serial::SerialPortInfo& port : serial::ListSerialPorts()) {
        const QString name = QString::fromLocal8Bit(port.Name.c_str());
        if (ComboBox1->findText(name) < 0) ComboBox1->addItem(name);
    }
    ComboBox1->addItems(SimulatedPorts::Labels());
    ComboBox1->setCurrentIndex(-1);
}

void TForm1::PortEditingFinished() {
    // Leaving the field after a list choice, or with the text of the last attempt, is no new choice.
    if (ComboBox1->currentText() != LastPortChoice) ComboBox1Change();
}

HandOver& TForm1::WindowHandOver() {
    return *HandOverToWindow;
}

bool TForm1::PortNameForChoice(const QString& choice, std::string& portName, QString& reason) {
    if (!SimulatedPorts::IsSimulated(choice)) {
        portName = choice.toLocal8Bit().toStdString();
        return true;
    }
    std::string why;
    portName = SimulatedUnits->DevicePath(choice, &why);
    reason = QString::fromLocal8Bit(why.c_str());
    return !portName.empty();
}

void TForm1::ComboBox1Change() {
    // The chooser is disabled while a worker polls; a choice that still arrives (from code) must not put
    // a second thread on the link.
    if (std::any_of(Workers.begin(), Workers.end(), [](const PollWorker* worker) {
            return worker->HowEnded() == PollWorker::Ending::Running;
        })) {
        return;
    }
    SetTag(0);
    if (Ups->Port.IsOpen()) {
        if (!Ups->ClosePort()) {
            Dialogs->ShowError(MsgCloseFailed);
            return;
        }
        Pauses->SleepMs(PauseAfterClosingMs);
    }

    const QString choice = ComboBox1->currentText();
    LastPortChoice = choice;
    std::string portName;
    QString reason;
    const bool known = PortNameForChoice(choice, portName, reason);
    if (!known || !Ups->OpenPort(portName)) {
        if (known) reason = QString::fromLocal8Bit(Ups->LastOpenError().c_str());
        // The system's reason goes on a line of its own: "permission denied" and "no such device" call for
        // different remedies, and the fixed first line alone would leave the technician guessing.
        Dialogs->ShowError(reason.isEmpty() ? MsgOpenFailed : MsgOpenFailed + QLatin1Char('\n') + reason);
        return;
    }

    const bool smart = Ups->CheckSmartMode();
    SetLinkLampOnline(Ups->Online);
    if (!smart) {
        StatusBar1->SetPanelText(0, MsgNoConnection);
        StatusBar1->repaint();
        return;
    }
    StatusBar1->SetPanelText(0, MsgConnected);
    StatusBar1->repaint();
    ControlsByName->ClearText("UPSMessage");
    ComboBox1->setEnabled(false);
    Reconnect->setEnabled(false);

    StartClick();
    StartPoller();
}

void TForm1::ReconnectClick() {
    ComboBox1Change();
}

void TForm1::StartClick() {
    QtWindowControls& controls = *ControlsByName;
    ApplyStartingState(controls);
    for (std::string_view chart : {"KPerformanceGraph1", "KPerformanceGraph2"}) {
        if (auto* graph = qobject_cast<KPerformanceGraph*>(controls.Find(chart))) graph->DrawGrid();
    }

    if (Ups->Identify()) {
        if (Ups->AprogMode) {
            StatusBar1->SetPanelText(0, MsgMonitorOnly);
            StatusBar1->repaint();
            controls.AppendText("UPSMessage", QtWindowControls::ToUnit(MsgMonitorOnly + QLatin1Char('\n')),
                                Colour::Black);
        }
        SetFontColour(Memo1, ColourBlack);
        controls.ClearText("ManufactureDate");
        controls.ClearText("BatteriesReplaseDate");
        UnitIdentified.store(true);
        for (std::string_view field : {"ModelConst", "LineFrequency", "SerialNumber", "ID"})
            controls.ClearText(field);
        controls.SetMaxLength("LoadSmartConst", Ups->RatedDigits);
        controls.SetMaxLength("LoadSmart2nd", Ups->RatedDigits);

        bool intervalChanged = false;
        SelfTestSwitchOff(intervalChanged);

        ApplyFamilyBlock(*Ups, controls);
        if (Ups->Family == FamilyUnidentified) {
            controls.SetVisible("ModelConst", false);
        } else {
            HexCodeDetection(intervalChanged);
            controls.SetVisible("ModelConst", true);
            ApplyModelFlagExtras(*Ups, controls);
        }
        ApplyMonitorModeGate(*Ups, controls);
    }

    if (Ups->Family == FamilySmart && AUTO1->isChecked()) BatteryConstantFix();

    GraphicsChange();
    repaint();
    Snapshot.TakeFrom(*Ups);
}

void TForm1::GraphicsChange() {
    if (auto* page = findChild<GraphicsPage*>(QStringLiteral("TabSheet7"))) page->GraphicsChange();
}

void TForm1::StartPoller() {
    // The termination handler is in place before the thread starts: PollerEnded posts it.
    auto* worker = new PollWorker(*Ups, Commands, *ControlsByName, *HandOverToWindow, *WorkerView, Dispatch);
    Workers.push_back(worker);
    Poller = worker;
    StopRequested.store(false);
    PollerFinished = 0;
    NoteStatusPage();
    worker->Start();
}

void TForm1::PollerTerminated(PollWorker* worker) {
    const auto found = std::find(Workers.begin(), Workers.end(), worker);
    if (found == Workers.end()) return;
    Workers.erase(found);
    // A late handler of an earlier worker must not mark the newer one as ended.
    const bool current = worker == Poller;
    if (current) Poller = nullptr;
    delete worker;  // joins the thread, which has nothing left to do but end

    if (Tag() == 1 && Workers.empty()) {
        Commands.clear();
        if (Ups->Port.IsOpen()) {
            // A unit that no longer answers gets no closing command: it would only wait out its time-out.
            if (Ups->Online) Ups->SendCloseCommand();
            Ups->ClosePort();
        }
        PollerFinished = 1;
        close();
    }
    if (current) PollerFinished = 1;
}

}  // namespace kelvane
