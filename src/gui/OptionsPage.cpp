// SPDX-License-Identifier: MIT
#include "gui/OptionsPage.h"

#include "gui/ImageList.h"
#include "gui/UpdatingScope.h"
#include "schedule/ChangeTimer.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace sv = settingsvalues;

namespace {

// One row per notification-area icon, in box order: the setting that stores the box and its
// value when the settings hold none.
struct TrayBoxRow {
    const char* boxName;
    const char* pictureName;
    const char* caption;
    const char* setting;
    const char* fallback;
    ImageList::Index picture;
};
constexpr TrayBoxRow kTrayBoxRows[OptionsPage::kTrayIconCount] = {
    {"CheckBox2", "Image1", "Screen Saver On/Off", "SCTrayIcon", "False", ImageList::ScreenSaverOn},
    {"CheckBox3", "Image2", "Change Timer On/Off", "WPTimerIcon", "True", ImageList::TimerOn},
    {"CheckBox4", "Image5", "Change Wallpaper", "NewPaperIcon", "True", ImageList::ChangeWallpaper},
    {"CheckBox5", "Image6", "Clear Wallpaper", "CLSIcon", "True", ImageList::ClearScreen},
};

template <typename Control> Control* named(Control* control, const char* formName, const QRect& place) {
    control->setObjectName(QString::fromLatin1(formName));
    control->setGeometry(place);
    return control;
}

} // namespace

OptionsPage::OptionsPage(AppContext& app, SettingsStore& settings, ChangeTimer& countdown, QWidget* parent)
    : QWidget(parent), m_app(app), m_settings(settings), m_countdown(countdown) {
    setObjectName(QStringLiteral("TabSheet2"));
    buildTimerControls();
    buildStartAndExitBoxes();
    buildTrayBoxes();
}

void OptionsPage::buildTimerControls() {
    auto* timerCaption = new QLabel(QStringLiteral("Timer"), this);
    timerCaption->setGeometry(10, 10, 40, 18);
    m_timerOnButton = named(new QRadioButton(QStringLiteral("On"), this), "option70", QRect(56, 10, 50, 18));
    m_timerOffButton =
        named(new QRadioButton(QStringLiteral("Off-Fixed Image"), this), "option71", QRect(110, 10, 120, 18));
    connect(m_timerOnButton, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !m_app.updating && !m_countdown.isOn()) m_countdown.toggle();
    });
    connect(m_timerOffButton, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !m_app.updating && m_countdown.isOn()) m_countdown.toggle();
    });

    m_intervalEdit = named(new QLineEdit(QStringLiteral("60"), this), "text2", QRect(10, 34, 50, 20));
    auto* minutes = new QLabel(QStringLiteral("Minutes between changes (xxx.x)"), this);
    minutes->setGeometry(66, 35, 200, 18);
    connect(m_intervalEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_app.updating) m_countdown.intervalEdited(text);
    });
}

void OptionsPage::buildStartAndExitBoxes() {
    m_changeAtStartBox = named(new QCheckBox(QStringLiteral("Change Wallpaper at Startup"), this), "ChangeAtStart",
                               QRect(10, 62, 230, 18));
    connect(m_changeAtStartBox, &QCheckBox::clicked, this, &OptionsPage::onChangeAtStartClicked);
    m_exitAfterChangingBox =
        named(new QCheckBox(QStringLiteral("Exit After Changing"), this), "CheckBox1", QRect(28, 82, 210, 18));
    connect(m_exitAfterChangingBox, &QCheckBox::clicked, this, &OptionsPage::onExitAfterChangingClicked);
    // Its caption is longer than the left column: it gets the page's last row to itself.
    m_clearAtExitBox =
        named(new QCheckBox(QStringLiteral("Clear Wallpaper at Exit (unless Exit After Changing)"), this), "Check1",
              QRect(10, 156, 460, 18));
    connect(m_clearAtExitBox, &QCheckBox::clicked, this, &OptionsPage::onClearAtExitClicked);
}

void OptionsPage::buildTrayBoxes() {
    auto* caption = new QLabel(QStringLiteral("Place these icons in the system tray:"), this);
    caption->setObjectName(QStringLiteral("Label1"));
    caption->setGeometry(260, 6, 210, 18);
    m_trayCaption = caption;
    for (int i = 0; i < kTrayIconCount; ++i) {
        const TrayBoxRow& row = kTrayBoxRows[i];
        QLabel* picture = named(new QLabel(this), row.pictureName, QRect(262, 26 + i * 31, 32, 32));
        picture->setPixmap(ImageList::picture(row.picture, 32));
        m_trayBoxes[i] =
            named(new QCheckBox(QString::fromLatin1(row.caption), this), row.boxName, QRect(300, 33 + i * 31, 170, 18));
        connect(m_trayBoxes[i], &QCheckBox::clicked, this, [this, i] { onTrayBoxClicked(static_cast<TrayIcon>(i)); });
    }
}

void OptionsPage::loadSettings() {
    m_clearAtExitBox->setChecked(
        sv::clearAtExit(m_settings.read(QStringLiteral("ClearAtExit"), QStringLiteral("FALSE"))));
    showTimerMode(m_countdown.isOn());
    {
        UpdatingScope updating(m_app);
        m_intervalEdit->setText(sv::formatMinutes(m_countdown.interval()));
    }
    m_changeAtStartBox->setChecked(sv::toBool(m_settings.read(QStringLiteral("ChangeAtStartup"), QStringLiteral("0"))));
    m_exitAfterChangingBox->setChecked(
        sv::toBool(m_settings.read(QStringLiteral("ExitAfterFirstChange"), QStringLiteral("0"))));
}

void OptionsPage::showTimerMode(bool on) {
    UpdatingScope updating(m_app);
    (on ? m_timerOnButton : m_timerOffButton)->setChecked(true);
}

void OptionsPage::readTraySettings() {
    // The screen saver's box last, so its icon comes after the others.
    for (const int i : {1, 2, 3, 0}) {
        const TrayBoxRow& row = kTrayBoxRows[i];
        QCheckBox* box = m_trayBoxes[i];
        const QString setting = QString::fromLatin1(row.setting);
        const bool on = sv::toBool(m_settings.read(setting, QString::fromLatin1(row.fallback)));
        // Checking a box is what stores it and shows its icon, so a first start records the
        // boxes its defaults check.
        if (on && !box->isChecked()) {
            box->setChecked(true);
            m_settings.write(setting, sv::fromBool(true));
            Q_EMIT trayIconSwitched(static_cast<TrayIcon>(i), true);
        } else {
            box->setChecked(on);
        }
    }
    updateAnyTrayIcon();
}

bool OptionsPage::changeAtStart() const {
    return m_changeAtStartBox->isChecked();
}

bool OptionsPage::clearAtExit() const {
    return m_clearAtExitBox->isChecked();
}

bool OptionsPage::exitAfterChanging() const {
    return m_exitAfterChangingBox->isChecked();
}

bool OptionsPage::exitAfterChangingEnabled() const {
    return m_exitAfterChangingBox->isEnabled();
}

void OptionsPage::setExitAfterChangingEnabled(bool enabled) {
    m_exitAfterChangingBox->setEnabled(enabled);
}

void OptionsPage::onChangeAtStartClicked() {
    if (m_app.updating) return;
    m_settings.write(QStringLiteral("ChangeAtStartup"), sv::fromBool(m_changeAtStartBox->isChecked()));
    m_exitAfterChangingBox->setEnabled(m_changeAtStartBox->isChecked());
}

void OptionsPage::onExitAfterChangingClicked() {
    if (m_app.updating) return;
    Q_EMIT exitAfterChangingClicked();
    m_settings.write(QStringLiteral("ExitAfterFirstChange"), sv::fromBool(m_exitAfterChangingBox->isChecked()));
}

void OptionsPage::onClearAtExitClicked() {
    if (m_app.updating) return;
    m_settings.write(QStringLiteral("ClearAtExit"), sv::fromBool(m_clearAtExitBox->isChecked()));
}

// The tray boxes store their state even while the updating flag is set.
void OptionsPage::onTrayBoxClicked(TrayIcon icon) {
    const auto i = static_cast<std::size_t>(icon);
    m_settings.write(QString::fromLatin1(kTrayBoxRows[i].setting), sv::fromBool(m_trayBoxes[i]->isChecked()));
    updateAnyTrayIcon();
    Q_EMIT trayIconSwitched(icon, m_trayBoxes[i]->isChecked());
}

void OptionsPage::updateAnyTrayIcon() {
    m_anyTrayIcon = false;
    for (const QCheckBox* box : m_trayBoxes)
        m_anyTrayIcon = m_anyTrayIcon || box->isChecked();
}

void OptionsPage::noteNoNotificationArea() {
    m_trayCaption->setToolTip(
        QStringLiteral("This desktop has no notification area, so the icons cannot be shown: a minimised "
                       "window stays with the window manager."));
}
