#include "ui/QtWindowControls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>

#include "controls/Performancegraph.h"
#include "ui/StatusBar.h"
#include "ui/TForm1.h"

namespace kelvane {

namespace {

// The page control that holds a page: the page sits in the control's own stack.
QTabWidget* PageControlOf(QWidget* page) {
    for (QWidget* up = page != nullptr ? page->parentWidget() : nullptr; up != nullptr;
         up = up->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(up)) return tabs;
    }
    return nullptr;
}

}  // namespace

QtWindowControls::QtWindowControls(TForm1& window) : window_(window) {}

QString QtWindowControls::FromUnit(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string QtWindowControls::ToUnit(const QString& text) {
    return text.toLatin1().toStdString();
}

QWidget* QtWindowControls::Find(std::string_view control) {
    if (auto found = cache_.find(control); found != cache_.end()) return found->second;
    const QString name = FromUnit(control);
    QWidget* widget = window_.objectName() == name ? &window_ : window_.findChild<QWidget*>(name);
    // Every later call on a missing name does nothing; said once here, a misspelt name or a control
    // dropped from the layout does not go unnoticed.
    if (widget == nullptr)
        qWarning("Control %s is missing from the window; changes to it do nothing.", qPrintable(name));
    cache_.emplace(std::string(control), widget);
    return widget;
}

void QtWindowControls::SetText(std::string_view control, std::string_view text) {
    QWidget* widget = Find(control);
    const QString value = FromUnit(text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->setEditText(value);
    } else if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
        rich->setPlainText(value);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->setPlainText(value);
    }
}

std::string QtWindowControls::Text(std::string_view control) {
    QWidget* widget = Find(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return ToUnit(edit->text());
    if (auto* label = qobject_cast<QLabel*>(widget)) return ToUnit(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return ToUnit(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget)) return ToUnit(group->title());
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return ToUnit(combo->currentText());
    if (auto* rich = qobject_cast<QTextEdit*>(widget)) return ToUnit(rich->toPlainText());
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return ToUnit(plain->toPlainText());
    return {};
}

void QtWindowControls::SetFontColour(std::string_view control, uint32_t colour) {
    if (QWidget* widget = Find(control)) kelvane::SetFontColour(widget, colour);
}

void QtWindowControls::SetBar(std::string_view control, int position) {
    if (auto* bar = qobject_cast<QProgressBar*>(Find(control))) {
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    }
}

void QtWindowControls::SetBarMaximum(std::string_view control, int maximum) {
    if (auto* bar = qobject_cast<QProgressBar*>(Find(control))) bar->setMaximum(maximum);
}

void QtWindowControls::SetChecked(std::string_view control, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(Find(control))) button->setChecked(checked);
}

void QtWindowControls::SetEnabled(std::string_view control, bool enabled) {
    if (QWidget* widget = Find(control)) widget->setEnabled(enabled);
}

void QtWindowControls::SetVisible(std::string_view control, bool visible) {
    if (QWidget* widget = Find(control)) widget->setVisible(visible);
}

void QtWindowControls::SetTabVisible(std::string_view page, bool visible) {
    QWidget* widget = Find(page);
    if (QTabWidget* tabs = PageControlOf(widget)) tabs->setTabVisible(tabs->indexOf(widget), visible);
}

bool QtWindowControls::IsPageShowing(std::string_view page) {
    QWidget* widget = Find(page);
    const QTabWidget* tabs = PageControlOf(widget);
    // A hidden page control shows no page, whatever its current page; Qt also moves the current page
    // off a tab that is hidden, so the current page alone says little while the pages are withdrawn.
    return tabs != nullptr && !tabs->isHidden() && tabs->currentWidget() == widget;
}

void QtWindowControls::Repaint(std::string_view control) {
    QWidget* widget = Find(control);
    if (widget != nullptr && widget->isVisible()) widget->repaint();
}

void QtWindowControls::AppendText(std::string_view control, std::string_view text, uint32_t colour) {
    auto* rich = qobject_cast<QTextEdit*>(Find(control));
    if (rich == nullptr) return;
    QTextCursor cursor(rich->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(ToQColor(colour));
    cursor.insertText(FromUnit(text), format);
    rich->ensureCursorVisible();
}

void QtWindowControls::ClearText(std::string_view control) {
    QWidget* widget = Find(control);
    if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
        rich->clear();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->clear();
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->clear();
    }
}

void QtWindowControls::ChartSample(std::string_view chart, int value) {
    if (auto* graph = qobject_cast<KPerformanceGraph*>(Find(chart))) graph->UpdateData(value);
}

int QtWindowControls::Tag(std::string_view control) {
    const QWidget* widget = Find(control);
    return widget != nullptr ? widget->property("Tag").toInt() : 0;
}

void QtWindowControls::SetTag(std::string_view control, int tag) {
    if (QWidget* widget = Find(control)) widget->setProperty("Tag", tag);
}

void QtWindowControls::SetStatusText(int panel, std::string_view text) {
    window_.StatusBar1->SetPanelText(panel, FromUnit(text));
}

void QtWindowControls::SetLinkLampOnline(bool online) {
    window_.SetLinkLampOnline(online);
}

void QtWindowControls::SetMaxLength(std::string_view edit, int length) {
    if (auto* field = qobject_cast<QLineEdit*>(Find(edit))) field->setMaxLength(length);
}

void QtWindowControls::SetBackground(std::string_view edit, EditBackground background) {
    if (QWidget* widget = Find(edit)) SetEditBackground(widget, background);
}

void QtWindowControls::SetActivePage(std::string_view page) {
    QWidget* widget = Find(page);
    if (QTabWidget* tabs = PageControlOf(widget)) tabs->setCurrentWidget(widget);
}

void QtWindowControls::SetSelectedIndex(std::string_view comboBox, int index) {
    if (auto* combo = qobject_cast<QComboBox*>(Find(comboBox))) {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(index);
    }
}

}  // namespace kelvane
