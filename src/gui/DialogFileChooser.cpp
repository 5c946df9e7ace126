// SPDX-License-Identifier: MIT
#include "gui/DialogFileChooser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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

void DialogFileChooser::prepare(QFileDialog& dialog, const Request& request) {
    dialog.setWindowTitle(request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(nameFilters(request.filter));
    if (QFileInfo(request.folder).isDir()) dialog.setDirectory(request.folder);
    dialog.setViewMode(request.style == 1 ? QFileDialog::Detail : QFileDialog::List);
    if (!m_openHelp || request.helpTopic.isEmpty()) return;
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
        QObject::connect(help, &QPushButton::clicked, &dialog,
                         [this, topic = request.helpTopic] { m_openHelp(topic); });
    }
}

std::optional<FileChooser::Answer> DialogFileChooser::openFiles(const Request& request) {
    QFileDialog dialog(m_owner);
    dialog.setObjectName(QStringLiteral("TOpenFileDialog"));
    prepare(dialog, request);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    Answer answer;
    for (const QString& file : dialog.selectedFiles())
        answer.files << QDir::toNativeSeparators(file);
    answer.style = dialog.viewMode() == QFileDialog::Detail ? 1 : 0;
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

QString DialogFileChooser::chooseFolder(const QString& startFolder) {
    const QString folder = QFileDialog::getExistingDirectory(
        m_owner, QStringLiteral("Select Folder"), QFileInfo(startFolder).isDir() ? startFolder : QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty()) return QString();
    const QString native = QDir::toNativeSeparators(folder);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}
