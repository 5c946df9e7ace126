// SPDX-License-Identifier: MIT
#include "MainWindowFixture.h"
#include "gui/QueueListView.h"
#include "gui/dialogs/AboutDialog.h"
#include "gui/dialogs/GammaDialog.h"
#include "gui/dialogs/TempFolderDialog.h"
#include "settings/SettingsValues.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

int centreGrey(const GammaDialog& dialog) {
    return qRed(dialog.preview().pixel(30, 30));
}

// The sound dialog as the user sees it: the checked option, then the sound's name in the label.
QString soundDialogSeen(QDialog& dialog, const char* nameLabel) {
    for (const char* name : {"option10", "option11", "option12"})
        if (dialog.findChild<QRadioButton*>(name)->isChecked())
            return QString::fromLatin1(name) + " " + dialog.findChild<QLabel*>(nameLabel)->text();
    return "none " + dialog.findChild<QLabel*>(nameLabel)->text();
}

QString chooseButtonShown(QDialog& dialog) {
    return dialog.findChild<QPushButton*>("Command1")->isHidden() ? "hidden" : "shown";
}

// An entry's sound option and own sound file.
QString soundOf(const QueueEntry& entry) {
    return QString::number(entry.soundOption()) + ":" + entry.soundPath();
}

} // namespace

TEST(GammaDialogTest, SliderShowsTheValueAndThePreviewOkTakesOnlyAValueInRange) {
    Picbuf::initialize(nullptr);
    const QImage picture = GammaDialog::testPicture();
    EXPECT_EQ(picture.size(), QSize(62, 62));
    const int greys[][3] = {{0, 0, 255},   {1, 0, 0},     {0, 1, 0},   {15, 16, 0},
                            {16, 16, 127}, {45, 45, 127}, {46, 45, 0}, {46, 46, 255}};
    for (const auto& [x, y, grey] : greys)
        EXPECT_EQ(qRed(picture.pixel(x, y)), grey) << x << "," << y;
    EXPECT_EQ(GammaDialog::sliderPosition(0.29f), 28) << "0.29 is held a little below";
    // Out of range is 1; not a number keeps the old value.
    for (const auto& [text, accepted] :
         {std::pair{"2", 1.0f}, {"0.0005", 1.0f}, {"1.999", 1.999f}, {"0.001", 0.001f}, {"abc", 0.7f}, {"-1", 1.0f}})
        EXPECT_EQ(GammaDialog::acceptedGamma(text, 0.7f), accepted) << text;

    GammaDialog dialog(1.0f, {});
    auto* slider = dialog.findChild<QSlider*>("Slider1");
    auto* value = dialog.findChild<QLineEdit*>("text1");
    ASSERT_TRUE(slider && value);
    // Gamma 1 leaves the picture alone.
    EXPECT_EQ(std::tuple(slider->value(), slider->minimum(), slider->maximum(), value->text(), centreGrey(dialog)),
              std::tuple(100, 1, 199, QString("1"), 127));
    // Above 1 the preview brightens, below it darkens.
    for (const auto& [position, shown, brighter] : {std::tuple{120, "1.20000004768372", true}, {50, "0.5", false}}) {
        slider->setValue(position);
        EXPECT_EQ(std::tuple(value->text(), centreGrey(dialog) > 127, centreGrey(dialog) < 127),
                  std::tuple(QString(shown), brighter, !brighter));
    }
    EXPECT_EQ(dialog.gamma(), 1.0f);
    value->setText("0.75");
    buttonIn(dialog, "OK").click();
    EXPECT_EQ(std::tuple(dialog.result(), dialog.gamma()), std::tuple(int(QDialog::Accepted), 0.75f));
}

// On asks for the value; OK stores it and switches correction on in the queue; a click on the
// checked item switches it off without asking; Cancel leaves it off.
TEST_F(MainWindowTest, GammaCorrectionIsSwitchedOnWithTheDialogAndOffWithout) {
    makeWithImages(1);
    dialogScript = [this](QDialog& dialog) {
        EXPECT_FALSE(countingDown()) << "the countdown runs during the dialog";
        dialog.findChild<QLineEdit*>("text1")->setText("1.999");
        buttonIn(dialog, "OK").click();
        return dialog.result();
    };
    const auto state = [this] {
        return std::tuple(dialogsShown.join(' '), int(headerOnDisk().gammaOn()), action("mnuGamma").isChecked(),
                          get("GammaCorrection"));
    };
    const QString stored = "1.99899995326996";
    action("mnuGamma").trigger();
    EXPECT_EQ(state(), std::tuple(QString("TGammaCorr"), 1, true, stored));
    EXPECT_EQ(engine->gamma(), 1.999f);
    EXPECT_TRUE(countingDown());

    action("mnuGamma").trigger();
    EXPECT_EQ(state(), std::tuple(QString("TGammaCorr"), 0, false, stored));
    dialogScript = {};
    action("mnuGamma").trigger();
    EXPECT_EQ(state(), std::tuple(QString("TGammaCorr TGammaCorr"), 0, false, stored));
}

// Change moves the bitmap's folder at once (there is no cancel); a refused folder is explained
// and changes nothing.
TEST_F(MainWindowTest, TemporaryFolderChangesAtOnceAndRefusesAMissingFolder) {
    make();
    const QString walls = mtest::freshDir("walls");
    QStringList texts;
    dialogScript = [&](QDialog& dialog) {
        auto& folderDialog = dynamic_cast<TempFolderDialog&>(dialog);
        texts << folderDialog.text();
        folderDialog.findChild<QPushButton*>("ChangeButton")->click();
        texts << folderDialog.text();
        return int(QDialog::Accepted);
    };
    chooser.folder = walls + "/";
    action("mnuWallFolder").trigger();
    EXPECT_EQ(texts, QStringList({TempFolderDialog::describe(dir + "/"), TempFolderDialog::describe(walls + "/")}));
    EXPECT_TRUE(texts.front().contains("Windows with the file format it needs to make "))
        << texts.front().toStdString();
    EXPECT_EQ(std::tuple(get("TempDirectory"), app.tempFolder, app.wallpaperBitmap, chooser.folderStarts),
              std::tuple(walls + "/", walls, walls + "/muralo32.bmp", QStringList({dir + "/"})));

    texts.clear();
    chooser.folder = walls + "/gone/";
    action("mnuWallFolder").trigger();
    EXPECT_EQ(texts.back(), TempFolderDialog::describe(walls + "/"));
    EXPECT_EQ(get("TempDirectory"), walls + "/");
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages.front().startsWith("The folder " + walls + "/gone/ does not exist."));
    chooser.folder.clear();
    action("mnuWallFolder").trigger();
    EXPECT_EQ(get("TempDirectory"), walls + "/");
}

TEST_F(MainWindowTest, AboutBoxShowsTheBuildAndOffersSystemInformationOnlyWhereThereIsSome) {
    make();
    QList<bool> offered;
    dialogScript = [&](QDialog& dialog) {
        EXPECT_FALSE(countingDown());
        offered << !dialog.findChild<QPushButton*>("SystemInfoButton")->isHidden();
        return int(QDialog::Accepted);
    };
    systemInformation = dir + "/no-such-program";
    action("Aboutwc").trigger();
    ASSERT_TRUE(mtest::writeFile(dir + "/sysinfo", "#!/bin/sh\n"));
    systemInformation = dir + "/sysinfo";
    action("Aboutwc").trigger();
    EXPECT_EQ(std::tuple(offered, dialogsShown),
              std::tuple(QList<bool>({false, true}), QStringList({"TAbout", "TAbout"})));
    EXPECT_TRUE(countingDown());

    QStringList started, helped;
    AboutDialog about(
        {dir + "/sysinfo", [&](const QString& p) { started << p; }, [&](const QString& topic) { helped << topic; }});
    buttonIn(about, "System Info").click();
    buttonIn(about, "Help").click();
    QTest::mouseClick(about.findChild<QLabel*>("Image1"), Qt::LeftButton);
    QTest::mouseClick(about.findChild<QLabel*>("Image2"), Qt::LeftButton);
    EXPECT_EQ(std::tuple(started, helped),
              std::tuple(QStringList({dir + "/sysinfo"}), QStringList({"infAbout", "23", "22"})));
    EXPECT_EQ(about.findChild<QLabel*>("BuildVersion")->text(), "Version " MURALO_VERSION);
}

// A default sound picked in the dialog is the queue's at once, even after Cancel; while the
// default sound is off it stays off. OK switches it on or off.
TEST_F(MainWindowTest, DefaultSoundIsPickedAtOnceAndSwitchedWithOk) {
    makeWithImages(1);
    const QString sounds = mtest::freshDir("sounds");
    ASSERT_TRUE(mtest::writeFile(sounds + "/bell.wav", "RIFF"));
    action("mnuDefSound").trigger(); // from on to off
    // Whether the queue's default sound is off, and the sound that plays.
    const auto offAndPlaying = [this] {
        return std::tuple(int(headerOnDisk().noDefaultSound()), queue->workingDefaultSound);
    };
    QStringList seen;
    dialogScript = [&](QDialog& dialog) {
        EXPECT_FALSE(countingDown());
        seen << soundDialogSeen(dialog, "Label20") << chooseButtonShown(dialog);
        dialog.findChild<QRadioButton*>("option11")->click();
        return int(QDialog::Accepted);
    };
    action("mnuDefSound").trigger();
    EXPECT_EQ(seen, QStringList({"option10 (None)", "shown"}));
    EXPECT_EQ(offAndPlaying(), std::tuple(1, QString()));

    seen.clear();
    chooser.answer = FileChooser::Answer{{sounds + "/bell.wav"}, 0};
    dialogScript = [&](QDialog& dialog) {
        seen << soundDialogSeen(dialog, "Label20") << chooseButtonShown(dialog);
        dialog.findChild<QRadioButton*>("option10")->click();
        seen << chooseButtonShown(dialog);
        dialog.findChild<QPushButton*>("Command1")->click();
        seen << soundDialogSeen(dialog, "Label20");
        return int(QDialog::Rejected);
    };
    action("mnuDefSound").trigger();
    EXPECT_EQ(seen, QStringList({"option11 (None)", "hidden", "shown", "option10 bell.wav"}));
    const FileChooser::Request& asked = chooser.requests.back();
    EXPECT_EQ(std::tuple(asked.title, asked.preview, asked.folder),
              std::tuple(QString("Choose a Sound File"), FileChooser::Preview::Sound, app.programFolder));
    EXPECT_EQ(std::tuple(headerOnDisk().defaultSound(), get("SoundPath")),
              std::tuple(sounds + "/bell.wav", sounds + "/"));
    EXPECT_EQ(offAndPlaying(), std::tuple(1, QString())) << "Cancel keeps the default sound off";

    dialogScript = [&](QDialog& dialog) {
        dialog.findChild<QRadioButton*>("option10")->click();
        return int(dialog.findChild<QLabel*>("Label20")->text() == "bell.wav");
    };
    action("mnuDefSound").trigger();
    EXPECT_EQ(offAndPlaying(), std::tuple(0, sounds + "/bell.wav"));
    EXPECT_EQ(chooser.requests.size(), 1u);
}

// One image opens with its own option and sound; OK gives every selected image the option and
// the sound file picked last, whichever option is chosen.
TEST_F(MainWindowTest, SoundForSelectedImagesGivesEachTheOptionAndTheLastSound) {
    makeWithImages(3);
    const QString sounds = mtest::freshDir("image-sounds");
    ASSERT_TRUE(mtest::writeFile(sounds + "/one.mid", "MThd"));
    EXPECT_FALSE(action("mnuSound").isEnabled());
    selectRows({1});
    EXPECT_TRUE(action("mnuSound").isEnabled());
    QStringList seen;
    chooser.answer = FileChooser::Answer{{sounds + "/one.mid"}, 0};
    // Shows what it opened with, then picks the chosen option (if any) and the sound file.
    const auto answerWith = [&](const char* option, bool pickSound, int result) {
        dialogScript = [&seen, option, pickSound, result](QDialog& dialog) {
            EXPECT_TRUE(dialog.findChild<QLabel*>("Label10")->isHidden());
            seen << soundDialogSeen(dialog, "Label21");
            if (option) dialog.findChild<QRadioButton*>(option)->click();
            if (pickSound) dialog.findChild<QPushButton*>("Command1")->click();
            return result;
        };
    };
    answerWith("option12", true, QDialog::Accepted);
    action("mnuSound").trigger();
    EXPECT_EQ(soundOf(entryOnDisk(2)), "2:" + sounds + "/one.mid");
    EXPECT_TRUE(countingDown());

    selectRows({1});
    answerWith(nullptr, false, QDialog::Rejected);
    action("mnuSound").trigger();

    // Several rows: the default option, no name, and the sound picked last goes to each.
    list().selectAllRows();
    answerWith("option11", false, QDialog::Accepted);
    action("mnuSound").trigger();
    EXPECT_EQ(seen, QStringList({"option10 (None)", "option12 one.mid", "option10 "}));
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(soundOf(entryOnDisk(n)), "1:" + sounds + "/one.mid") << n;
    EXPECT_EQ(chooser.requests.size(), 1u);
}
