// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>

class PreviewMonitor;
class QCheckBox;
class QLabel;
class QPushButton;
class SoundOutput;

// The part of the file dialog beside the file list that previews the current file: images on
// a small monitor with their size and colours, sounds through the sound player.
class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Image, Sound };
    struct Services {
        // Plays sound previews (none: sounds are not previewed).
        SoundOutput* sound = nullptr;
        // The display's depth class: 1, 2, 4, 8 or 24 (none: 24).
        std::function<int()> screenDepth;
        // The desktop colour the monitor's screen shows around a picture.
        QColor screenColour = Qt::black;
    };

    PreviewPanel(Kind kind, Services services, QWidget* parent = nullptr);
    ~PreviewPanel() override;

    Kind kind() const { return m_kind; }
    bool autoPreview() const { return m_autoPreview; }
    QString statusText() const;
    PreviewMonitor* monitor() const { return m_monitor; }

public:
    // The dialog's current file changed (empty when none is current).
    void setCurrentFile(const QString& path);
    // The dialog went to another folder: nothing there is current yet.
    void folderChanged();
    // Shows (or plays) the current file now.
    void preview();
    void setAutoPreview(bool on);
    // The dialog closes: a sound still playing stops.
    void stop();

private:
    void previewImage();

    Kind m_kind;
    Services m_services;
    QString m_current;
    bool m_autoPreview = false;
    PreviewMonitor* m_monitor = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_previewButton = nullptr;
    QCheckBox* m_autoPreviewBox = nullptr;
};
