#include "ui/QtWindowDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>

#include "ui/MessageDialogs.h"
#include "ui/QtWindowControls.h"
#include "ui/TForm1.h"

namespace kelvane {

namespace {

// "Text File (*.txt)" gives "txt"; a filter without one extension ("All Files (*)") gives none.
QString ExtensionOf(const QString& filter) {
    static const QRegularExpression single(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
    const QRegularExpressionMatch match = single.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

std::optional<std::string> QtWindowDialogs::AskSaveFileName(const SaveFileRequest& request) {
    const FileDialogSettings& settings = window_.SaveDialog1;
    QFileDialog dialog(&window_, QtWindowControls::FromUnit(request.Title));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !settings.ConfirmOverwrite);

    const QStringList filters = settings.Filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    dialog.setNameFilters(filters);
    const auto index = static_cast<qsizetype>(request.Filter) - 1;
    QString extension = settings.DefaultSuffix;
    if (index >= 0 && index < filters.size()) {
        dialog.selectNameFilter(filters[index]);
        extension = ExtensionOf(filters[index]);
    }
    // A name typed without an extension takes the one of the file type chosen, so a comparison is not
    // saved as "name.bin".
    dialog.setDefaultSuffix(extension);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) { dialog.setDefaultSuffix(ExtensionOf(filter)); });
    dialog.selectFile(QtWindowControls::FromUnit(request.ProposedName));

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
    return QFile::encodeName(chosen.first()).toStdString();
}

void QtWindowDialogs::ShowError(std::string_view text) {
    // The worker's error texts carry a file path and the system's reason, both in the system's 8-bit
    // encoding, not the unit's Latin-1.
    QtMessageDialogs(&window_).ShowError(
        QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
}

std::optional<std::string> WindowFileDialogs::AskSaveFileName(const SaveFileRequest& request) {
    return window_.FileDialogs->AskSaveFileName(request);
}

void WindowFileDialogs::ShowError(std::string_view text) {
    window_.FileDialogs->ShowError(text);
}

}  // namespace kelvane
