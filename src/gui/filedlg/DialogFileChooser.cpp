// SPDX-License-Identifier: MIT
#include "gui/filedlg/DialogFileChooser.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QStringList DialogFileChooser::nameFilters(const QString& filter) {
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            patterns << trimmed;
            if (trimmed.toLower() != trimmed) patterns << trimmed.toLower();
        }
        // A description that lists its patterns already ("All Files *.*") is kept as it is.
        QString description = parts[i].trimmed();
        description.remove(QStringLiteral(" *.*"));
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

int DialogFileChooser::styleAfter(int asked, bool details) {
    if (details) return 1;
    // The list keeps the icon styles this dialog cannot show; after details it is the plain list.
    return asked == 1 ? 3 : asked;
}

void DialogFileChooser::addPreview(QFileDialog& dialog, FileChooser::Preview preview) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (preview == Preview::None || !grid) return;
    const auto kind = preview == Preview::Image ? PreviewPanel::Kind::Image : PreviewPanel::Kind::Sound;
    auto* panel = new PreviewPanel(kind, m_preview ? m_preview() : PreviewPanel::Services{}, &dialog);
    grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Select"));
    QObject::connect(&dialog, &QFileDialog::currentChanged, panel, &PreviewPanel::setCurrentFile);
    QObject::connect(&dialog, &QFileDialog::directoryEntered, panel, &PreviewPanel::folderChanged);
    QObject::connect(&dialog, &QDialog::finished, panel, &PreviewPanel::stop);
}

void DialogFileChooser::prepare(QFileDialog& dialog, const Request& request) {
    dialog.setWindowTitle(request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(nameFilters(request.filter));
    if (QFileInfo(request.folder).isDir()) dialog.setDirectory(request.folder);
    dialog.setViewMode(request.style == 1 ? QFileDialog::Detail : QFileDialog::List);
}

int DialogFileChooser::run(QFileDialog& dialog, const QString& helpTopic) {
    // Last: the dialog makes its buttons only once its mode is set.
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    if (m_openHelp && !helpTopic.isEmpty() && buttons) {
        QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
        QObject::connect(help, &QPushButton::clicked, &dialog, [this, helpTopic] { m_openHelp(helpTopic); });
    }
    return m_run ? m_run(dialog) : dialog.exec();
}

std::optional<FileChooser::Answer> DialogFileChooser::openFiles(const Request& request) {
    QFileDialog dialog(m_owner);
    dialog.setObjectName(QStringLiteral("TOpenFileDialog"));
    prepare(dialog, request);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    addPreview(dialog, request.preview);
    if (run(dialog, request.helpTopic) != QDialog::Accepted) return std::nullopt;
    Answer answer;
    answer.style = styleAfter(request.style, dialog.viewMode() == QFileDialog::Detail);
    for (const QString& file : dialog.selectedFiles())
        answer.files << QDir::toNativeSeparators(file);
    return answer;
}

std::optional<QString> DialogFileChooser::saveFile(const Request& request) {
    QFileDialog dialog(m_owner);
    dialog.setObjectName(QStringLiteral("TSaveFileDialog"));
    prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The callers ask their own question before a file is replaced.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (run(dialog, request.helpTopic) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

QString DialogFileChooser::chooseFolder(const QString& startFolder) {
    QFileDialog dialog(m_owner);
    dialog.setObjectName(QStringLiteral("TSaveFileDialog"));
    dialog.setWindowTitle(QStringLiteral("Select Folder"));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (QFileInfo(startFolder).isDir()) dialog.setDirectory(startFolder);
    // A folder is chosen by going into it: the answer is the folder the dialog shows.
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Choose"));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Folder:"));
    for (const char* name : {"fileNameLabel", "fileNameEdit", "fileTypeLabel", "fileTypeCombo"})
        if (auto* control = dialog.findChild<QWidget*>(QLatin1String(name))) control->hide();
    if (run(dialog, QStringLiteral("30")) != QDialog::Accepted) return QString();
    const QString native = QDir::toNativeSeparators(dialog.directory().absolutePath());
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}
