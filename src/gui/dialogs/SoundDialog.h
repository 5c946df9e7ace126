// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QRadioButton;

// Chooses the queue's default sound, or the sound of the selected images: the default, none,
// or a file of their own.
class SoundDialog : public QDialog {
    Q_OBJECT
public:
    enum class Mode { DefaultSound = 1, SelectedImages = 2 };
    // What an image's sound option means.
    enum Option { UseDefault = 0, NoSound = 1, OwnSound = 2 };
    struct Setup {
        Mode mode = Mode::DefaultSound;
        // The queue's default sound file, and whether the default sound is off.
        QString defaultSound;
        bool defaultOff = false;
        // With exactly one image selected: its option and own sound file.
        std::optional<std::pair<int, QString>> single;
        // The sound file the dialog starts from with several images selected.
        QString chosenSound;
        // "Choose a sound": the file the user picked, or an empty string. In default-sound mode
        // the caller makes it the queue's default sound at once (Cancel does not take it back).
        std::function<QString()> pickSound;
        std::function<void()> openHelp;
    };

    explicit SoundDialog(Setup setup, QWidget* parent = nullptr);

    // The option selected; in default-sound mode only NoSound means anything.
    Option option() const;
    // The sound file picked last (or carried in); given to every selected image on OK.
    const QString& chosenSound() const { return m_chosen; }

    // The "Choose a sound" button.
    void chooseSound();

private:
    void showChooseButtonFor(Option option);
    void showStartingChoice();
    static QString shownName(const QString& path);

    Setup m_setup;
    QString m_chosen;
    QRadioButton* m_useDefault = nullptr;
    QRadioButton* m_noSound = nullptr;
    QRadioButton* m_ownSound = nullptr;
    QLabel* m_defaultName = nullptr;
    QLabel* m_ownName = nullptr;
    QPushButton* m_choose = nullptr;
};
