#include "ui/TForm1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QUrl>

#include "ui/ActionButtons.h"
#include "ui/Colours.h"
#include "ui/EntryFields.h"
#include "ui/HintFilter.h"
#include "ui/MessageDialogs.h"
#include "ui/OptionsStore.h"
#include "ui/QtHandOver.h"
#include "ui/QtWindowControls.h"
#include "ui/SimulatedPorts.h"
#include "ui/StatusBar.h"
#include "ui/StyleManager.h"
#include "ui/SystemTone.h"
#include "ui/pages/GeneralInfoPanel.h"
#include "ui_TForm1.h"
#include "ups/Sleeper.h"
#include "ups/UpsLink.h"

namespace kelvane {

TForm1* Form1 = nullptr;

namespace {

constexpr int ClientWidth = 642;
constexpr int ClientHeight = 504;
constexpr int LinkLabelLeft = 330;
// The outer width FormCreate assumes when it pulls a window back from beyond the work area.
constexpr int OuterWidthAllowance = 650;

const QString Separator = QString(39, QLatin1Char('_'));

}  // namespace

QStringList DisclaimerRows() {
    return {
        QStringLiteral("                     PLEASE ATTENTION!"),
        QStringLiteral("        USE THAT SOFTWARE WiTH CAUTION."),
        QStringLiteral("     DO NOT EXPERIMENT WiTH SETTINGS."),
        QString(),
        QStringLiteral("English:"),
        Separator,
        QStringLiteral("_"),
        QStringLiteral("Аuthor will NOT be responsible for Your acts of "),
        QStringLiteral("using this software. In any case please contact"),
        QStringLiteral("an authorised Service center in Your country for efficient"),
        QStringLiteral("assistance."),
        QStringLiteral("https://service.example.com/en"),
        QString(),
        QStringLiteral("This program has been written for speed up the "),
        QStringLiteral("calibration process and display the UPS condition"),
        QStringLiteral("more ostensive."),
        QString(),
        QStringLiteral("Russian:"),
        Separator,
        QStringLiteral("Автор НЕ несёт ответственности за "),
        QStringLiteral("Ваши действия по использованию этой "),
        QStringLiteral("программы и возможные повреждения "),
        QStringLiteral("Вашей техники."),
        QStringLiteral("В любом случае рекомендую обращаться в "),
        QStringLiteral("официальные сервисные центры производителя за"),
        QStringLiteral("квалифицированной помощью. "),
        QStringLiteral("https://service.example.com/ru"),
        QString(),
        QStringLiteral("Эта программа предназначена для ускорения"),
        QStringLiteral("процесса калибровки и наглядного "),
        QStringLiteral("отображения состояния UPS при настройке."),
    };
}

TForm1::TForm1(QWidget* parent) : TForm1(MakeIniOptionsBackend(OptionsStore::DefaultPath()), parent) {}

TForm1::TForm1(std::unique_ptr<OptionsBackend> options, QWidget* parent)
    : QMainWindow(parent), Layout(std::make_unique<Ui::TForm1>()) {
    Form1 = this;
    SetUpFrame();

    StyleManager = std::make_unique<kelvane::StyleManager>();
    Ups = std::make_unique<UpsLink>();
    ConstBuffer.fill('\0');
    Beeper = std::make_unique<SystemTone>(RealSleeper::Instance());

    Registry = std::make_unique<OptionsStore>(std::move(options));
    Registry->WriteMissingDefaults();
    RestoreOptions();

    Hints = new HintFilter(this);
    qApp->installEventFilter(Hints);

    PageControl1->setCurrentWidget(Layout->TabSheet1);
    PageControl1->hide();
    PageControl1->setEnabled(false);
    GroupBox7->hide();
    GroupBox7->setEnabled(false);
    for (int page = 0; page < 5; ++page) {
        PageControl1->widget(page)->setEnabled(false);
        PageControl1->setTabVisible(page, false);
    }

    SetUpConnecting();
    InstallEntryFields(*this);
    InstallActionButtons(*this);

    FormCreate();
}

TForm1::~TForm1() {
    // A window destroyed without the closing handshake still must not leave a worker on its link.
    TerminatePoller();
    if (HandOverToWindow) HandOverToWindow->Close();
    for (PollWorker* worker : Workers) delete worker;
    Workers.clear();
    Poller = nullptr;
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::SetUpFrame() {
    setFont(WindowFont());
    Layout->setupUi(this);
    setWindowTitle(QStringLiteral(" Kelvane   Rev 2.8.1.196"));
    setProperty("Tag", 0);

    GroupBox7 = Layout->GroupBox7;
    Memo1 = Layout->Memo1;
    GroupBox2 = Layout->GroupBox2;
    ComboBox1 = Layout->ComboBox1;
    Reconnect = Layout->Reconnect;
    Leds = Layout->Leds;
    Test = Layout->Test;
    ByPass = Layout->ByPass;
    PageControl1 = Layout->PageControl1;
    StatusBar1 = Layout->StatusBar1;
    LinkLabel1 = Layout->LinkLabel1;
    SelfTestON1 = Layout->SelfTestON1;
    AUTO1 = Layout->AUTO1;
    HexCodeON = Layout->HexCodeON;

    // The client area is fixed; the window takes its size from it and the menu bar.
    Layout->ClientArea->setFixedSize(ClientWidth, ClientHeight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    if (GroupBox7->title().isEmpty()) GroupBox7->setTitle(QStringLiteral("General UPS Information"));
    if (GroupBox7->toolTip().isEmpty()) GroupBox7->setToolTip(QStringLiteral("General UPS Information."));
    GroupBox7->setProperty("ShowHint", true);
    GroupBox7->setGeometry(8, 8, 249, 316);

    Memo1->setProperty("ShowHint", true);
    Memo1->setPlainText(DisclaimerRows().join(QLatin1Char('\n')));
    SetEditBackground(Memo1, EditBackground::White);

    SetEditBackground(ComboBox1, EditBackground::White);
    ComboBox1->setCurrentIndex(-1);

    StatusBar1->SetPanels({
        {220, true, false, QString()},
        {25, false, true, QString()},
        {75, false, false, QStringLiteral("  Support -->")},
        {105, true, false, QString()},
        {60, false, false, QStringLiteral(" Kelvane")},
    });
    StatusBar1->DrawPanel = [this](QPainter& painter, int panel, const QRect& rect) {
        StatusBar1DrawPanel(painter, panel, rect);
    };
    ImageList1 = ImageList::LinkLamps();

    const QString address = QString::fromLatin1(SupportAddress);
    LinkLabel1->setText(QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(address));
    LinkLabel1->raise();
    connect(LinkLabel1, &QLabel::linkActivated, this, [this] { LinkLabel1Click(); });

    const std::array<std::pair<QAction*, void (TForm1::*)()>, 8> styleItems{{
        {Layout->Windows1, &TForm1::Windows1Click},
        {Layout->Emerald1, &TForm1::Emerald1Click},
        {Layout->Iceberg1, &TForm1::Iceberg1Click},
        {Layout->Classico1, &TForm1::Classico1Click},
        {Layout->Ametist1, &TForm1::Ametist1Click},
        {Layout->Cobalt1, &TForm1::Cobalt1Click},
        {Layout->Golden1, &TForm1::Golden1Click},
        {Layout->Ruby1, &TForm1::Ruby1Click},
    }};
    for (const auto& [item, handler] : styleItems) {
        connect(item, &QAction::triggered, this, handler);
    }

    OpenDialog1 = {QString(), QStringLiteral("Kelvane UPS Settings Backup (*.kvn);;All Files (*)"),
                   QStringLiteral("kvn"), false};
    SaveDialog1 = {
        QStringLiteral("Save EEPROM as"),
        QStringLiteral("Kelvane EEPROM Dump File (*.bin);;Kelvane UPS Settings Backup File (*.kvn);;"
                       "Text File (*.txt);;All Files (*)"),
        QStringLiteral("bin"), true};
}

void TForm1::RestoreOptions() {
    SelfTestON1->setChecked(Registry->ReadBool(QStringLiteral("SelfTest")));
    AUTO1->setChecked(Registry->ReadBool(QStringLiteral("AUTOSU3Gen")));
    HexCodeON->setChecked(Registry->ReadBool(QStringLiteral("HexCode")));

    // The chart chooser belongs to the Graphics page; its change handler runs only on the user's choice.
    StoredGraphics = Registry->ReadInteger(QStringLiteral("Graphics"));
    auto* graphics = findChild<QComboBox*>(QStringLiteral("Graphics"));
    int selected = StoredGraphics >= 0 && StoredGraphics <= 3 ? StoredGraphics : -1;
    if (graphics != nullptr) {
        const QSignalBlocker quiet(graphics);
        if (selected >= graphics->count()) selected = -1;
        graphics->setCurrentIndex(selected);
        graphics->setEditText(selected >= 0 ? graphics->itemText(selected) : QString());
        graphics->setProperty("Tag", selected);
    }
    if (auto* upperChart = findChild<QWidget*>(QStringLiteral("GroupBox26")))
        upperChart->setProperty("Tag", selected);

    ApplyStyle(Registry->ReadString(QStringLiteral("Style")));
}

void TForm1::FormCreate() {
    const bool plainLook = StyleManager->ActiveStyleName() == QLatin1String(StyleManager::DefaultStyleName);
    LinkLabel1->move(LinkLabelLeft, plainLook ? 476 : 467);

    int left = Registry->ReadInteger(QStringLiteral("Left"));
    int top = Registry->ReadInteger(QStringLiteral("Top"));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect workArea = screen->availableGeometry();
        if (left > workArea.width()) left = workArea.width() - OuterWidthAllowance;
        if (top > workArea.height()) top = 0;
    }
    move(left, top);
}

void TForm1::FormResize() {
    LinkLabel1->move(LinkLabelLeft, StatusBar1->y() + 5);
}

void TForm1::FormClose(QCloseEvent* event) {
    // A worker whose body has ended may still wait for its termination handler; no close gets through
    // while any worker exists, so the handler can still finish the link.
    if (!Workers.empty()) {
        TerminatePoller();
        SetTag(1);
        event->ignore();
        return;
    }
    SaveOptions();
    event->accept();
}

void TForm1::TerminatePoller() {
    // The dispatcher's loops watch this flag, so a running calibration ends after its current step.
    StopRequested.store(true);
    for (PollWorker* worker : Workers) worker->Terminate();
}

void TForm1::SaveOptions() {
    Registry->WriteInteger(QStringLiteral("Left"), x());
    Registry->WriteInteger(QStringLiteral("Top"), y());
    Registry->WriteBool(QStringLiteral("AUTOSU3Gen"), AUTO1->isChecked());
    Registry->WriteBool(QStringLiteral("SelfTest"), SelfTestON1->isChecked());
    Registry->WriteBool(QStringLiteral("HexCode"), HexCodeON->isChecked());
    const auto* graphics = findChild<QComboBox*>(QStringLiteral("Graphics"));
    Registry->WriteInteger(QStringLiteral("Graphics"),
                           graphics != nullptr ? graphics->currentIndex() : StoredGraphics);
    Registry->WriteString(QStringLiteral("Style"), StyleManager->ActiveStyleName());
    Registry->Flush();
}

void TForm1::ApplyStyle(const QString& name) {
    StyleManager->SetStyle(name);
    MarkStyle(name);
}

void TForm1::MarkStyle(const QString& name) {
    const std::array<QAction*, 8> items{Layout->Windows1,  Layout->Emerald1, Layout->Iceberg1,
                                        Layout->Classico1, Layout->Ametist1, Layout->Cobalt1,
                                        Layout->Golden1,   Layout->Ruby1};
    const QStringList& names = StyleManager::StyleNames();
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i]->setChecked(names.at(static_cast<qsizetype>(i)) == name);
    }
}

void TForm1::Windows1Click() {
    ApplyStyle(QStringLiteral("Windows"));
}
void TForm1::Emerald1Click() {
    ApplyStyle(QStringLiteral("Emerald Light Slate"));
}
void TForm1::Iceberg1Click() {
    ApplyStyle(QStringLiteral("Iceberg Classico"));
}
void TForm1::Classico1Click() {
    ApplyStyle(QStringLiteral("Slate Classico"));
}
void TForm1::Ametist1Click() {
    ApplyStyle(QStringLiteral("Amethyst Kamri"));
}
void TForm1::Cobalt1Click() {
    ApplyStyle(QStringLiteral("Cobalt XEMedia"));
}
void TForm1::Golden1Click() {
    ApplyStyle(QStringLiteral("Golden Graphite"));
}
void TForm1::Ruby1Click() {
    ApplyStyle(QStringLiteral("Ruby Graphite"));
}

int TForm1::Tag() const {
    return property("Tag").toInt();
}

void TForm1::SetTag(int tag) {
    setProperty("Tag", tag);
}

void TForm1::SetLinkLampOnline(bool online) {
    LampOnline = online;
    StatusBar1->update(StatusBar1->PanelRect(1));
}

void TForm1::StatusBar1DrawPanel(QPainter& painter, int panel, const QRect& rect) {
    if (panel != 1) return;
    const QPoint topLeft(rect.left() + (rect.width() - ImageList1.ImageWidth()) / 2,
                         rect.top() + (rect.height() - ImageList1.ImageHeight()) / 2);
    ImageList1.Draw(painter, topLeft, LinkLampOnline() ? 0 : 1);
}

void TForm1::LinkLabel1Click() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(SupportAddress)));
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose(event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

}  // namespace kelvane
