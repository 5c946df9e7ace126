// SPDX-License-Identifier: MIT
#include "MainWindowFixture.h"
#include "gui/QueueListView.h"
#include "gui/dialogs/AboutDialog.h"
#include "gui/dialogs/GammaDialog.h"
#include "gui/dialogs/TempFolderDialog.h"
#include "settings/SettingsValues.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

QPushButton* button(QWidget& dialog, const QString& text) {
    for (auto* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    throw std::runtime_error("no button " + text.toStdString());
}

int centreGrey(const GammaDialog& dialog) {
    return qRed(dialog.preview().pixel(30, 30));
}

} // namespace

TEST(GammaDialogTest, SliderShowsTheValueAndThePreviewOnlyOkTakesIt) {
    Picbuf::initialize(nullptr);
    const QImage picture = GammaDialog::testPicture();
    EXPECT_EQ(picture.size(), QSize(62, 62));
    for (const auto& [x, y, grey] : {std::tuple{0, 0, 255},
                                     {1, 0, 0},
                                     {0, 1, 0},
                                     {15, 16, 0},
                                     {16, 16, 127},
                                     {45, 45, 127},
                                     {46, 45, 0},
                                     {46, 46, 255}})
        EXPECT_EQ(qRed(picture.pixel(x, y)), grey) << x << "," << y;
    EXPECT_EQ(GammaDialog::sliderPosition(0.29f), 28) << "0.29 is held a little below";

    GammaDialog dialog(1.0f, {});
    auto* slider = dialog.findChild<QSlider*>("Slider1");
    auto* value = dialog.findChild<QLineEdit*>("text1");
    ASSERT_TRUE(slider && value);
    EXPECT_EQ(slider->value(), 100);
    EXPECT_EQ(slider->minimum(), 1);
    EXPECT_EQ(slider->maximum(), 199);
    EXPECT_EQ(value->text(), "1");
    EXPECT_EQ(centreGrey(dialog), 127) << "gamma 1 leaves the picture alone";
    slider->setValue(120);
    EXPECT_EQ(value->text(), "1.20000004768372");
    EXPECT_GT(centreGrey(dialog), 127);
    slider->setValue(50);
    EXPECT_EQ(value->text(), "0.5");
    EXPECT_LT(centreGrey(dialog), 127);
    EXPECT_EQ(dialog.gamma(), 1.0f);
    value->setText("0.75");
    button(dialog, "OK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.gamma(), 0.75f);
}

struct GammaText {
    const char* text;
    float previous;
    float accepted;
};
class GammaAccepted : public ::testing::TestWithParam<GammaText> {};

TEST_P(GammaAccepted, OutOfRangeIsOneAndNotANumberKeepsTheOld) {
    EXPECT_EQ(GammaDialog::acceptedGamma(GetParam().text, GetParam().previous), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(Texts, GammaAccepted,
                         ::testing::Values(GammaText{"2", 0.7f, 1.0f}, GammaText{"0.0005", 0.7f, 1.0f},
                                           GammaText{"1.999", 0.7f, 1.999f}, GammaText{"0.001", 0.7f, 0.001f},
                                           GammaText{"abc", 0.7f, 0.7f}, GammaText{"-1", 0.7f, 1.0f}));

// On asks for the value; OK stores it and switches correction on in the queue; a click on the
// checked item switches it off without asking; Cancel leaves it off.
TEST_F(MainWindowTest, GammaCorrectionIsSwitchedOnWithTheDialogAndOffWithout) {
    makeQueue(1);
    make();
    dialogScript = [this](QDialog& dialog) {
        EXPECT_FALSE(child<QTimer>("Timer1").isActive()) << "the countdown runs during the dialog";
        dialog.findChild<QLineEdit*>("text1")->setText("1.999");
        button(dialog, "OK")->click();
        return dialog.result();
    };
    action("mnuGamma").trigger();
    EXPECT_EQ(dialogsShown, QStringList({"TGammaCorr"}));
    EXPECT_EQ(headerOnDisk().gammaOn(), 1);
    EXPECT_EQ(get("GammaCorrection"), "1.99899995326996");
    EXPECT_EQ(engine->gamma(), 1.999f);
    EXPECT_TRUE(action("mnuGamma").isChecked());
    EXPECT_TRUE(child<QTimer>("Timer1").isActive());

    action("mnuGamma").trigger();
    EXPECT_EQ(dialogsShown.size(), 1);
    EXPECT_EQ(headerOnDisk().gammaOn(), 0);
    EXPECT_FALSE(action("mnuGamma").isChecked());

    dialogScript = {};
    action("mnuGamma").trigger();
    EXPECT_EQ(dialogsShown.size(), 2);
    EXPECT_EQ(headerOnDisk().gammaOn(), 0);
    EXPECT_FALSE(action("mnuGamma").isChecked());
    EXPECT_EQ(get("GammaCorrection"), "1.99899995326996");
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
    EXPECT_EQ(texts.front(), TempFolderDialog::describe(dir + "/"));
    EXPECT_TRUE(texts.front().contains("Windows with the file format it needs to make "))
        << texts.front().toStdString();
    EXPECT_EQ(texts.back(), TempFolderDialog::describe(walls + "/"));
    EXPECT_EQ(get("TempDirectory"), walls + "/");
    EXPECT_EQ(app.tempFolder, walls);
    EXPECT_EQ(app.wallpaperBitmap, walls + "/muralo32.bmp");
    EXPECT_EQ(chooser.folderStarts, QStringList({dir + "/"}));

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

TEST_F(MainWindowTest, AboutBoxOffersSystemInformationOnlyWhereThereIsSome) {
    make();
    QList<bool> offered;
    dialogScript = [&](QDialog& dialog) {
        EXPECT_FALSE(child<QTimer>("Timer1").isActive());
        offered << !dialog.findChild<QPushButton*>("SystemInfoButton")->isHidden();
        return int(QDialog::Accepted);
    };
    systemInformation = dir + "/no-such-program";
    action("Aboutwc").trigger();
    ASSERT_TRUE(mtest::writeFile(dir + "/sysinfo", "#!/bin/sh\n"));
    systemInformation = dir + "/sysinfo";
    action("Aboutwc").trigger();
    EXPECT_EQ(offered, QList<bool>({false, true}));
    EXPECT_EQ(dialogsShown, QStringList({"TAbout", "TAbout"}));
    EXPECT_TRUE(child<QTimer>("Timer1").isActive());

    QStringList started, helped;
    AboutDialog about(
        {dir + "/sysinfo", [&](const QString& p) { started << p; }, [&](const QString& topic) { helped << topic; }});
    button(about, "System Info")->click();
    button(about, "Help")->click();
    QTest::mouseClick(about.findChild<QLabel*>("Image1"), Qt::LeftButton);
    QTest::mouseClick(about.findChild<QLabel*>("Image2"), Qt::LeftButton);
    EXPECT_EQ(started, QStringList({dir + "/sysinfo"}));
    EXPECT_EQ(helped, QStringList({"infAbout", "23", "22"}));
}

namespace {

// Sound option and own sound path of entry n, as the queue file holds them.
QString soundOnDisk(const QString& queueFile, int n) {
    Queue q(Queue::Environment{});
    QueueEntry entry;
    if (!q.load(queueFile).ok() || !q.readEntryInto(q.recordOfEntry(n), entry)) return "<unreadable>";
    return QString::number(entry.soundOption()) + ":" + entry.soundPath();
}

QString checkedOption(QDialog& dialog) {
    for (const char* name : {"option10", "option11", "option12"})
        if (dialog.findChild<QRadioButton*>(name)->isChecked()) return QString::fromLatin1(name);
    return {};
}

} // namespace

// A default sound picked in the dialog is the queue's at once, even after Cancel; while the
// default sound is off it stays off. OK switches it on or off.
TEST_F(MainWindowTest, DefaultSoundIsPickedAtOnceAndSwitchedWithOk) {
    makeQueue(1);
    make();
    const QString sounds = mtest::freshDir("sounds");
    ASSERT_TRUE(mtest::writeFile(sounds + "/bell.wav", "RIFF"));
    action("mnuDefSound").trigger(); // from on to off
    QStringList seen;
    dialogScript = [&](QDialog& dialog) {
        EXPECT_FALSE(child<QTimer>("Timer1").isActive());
        seen << checkedOption(dialog) << dialog.findChild<QLabel*>("Label20")->text();
        seen << (dialog.findChild<QPushButton*>("Command1")->isHidden() ? "hidden" : "shown");
        dialog.findChild<QRadioButton*>("option11")->click();
        return int(QDialog::Accepted);
    };
    action("mnuDefSound").trigger();
    EXPECT_EQ(seen, QStringList({"option10", "(None)", "shown"}));
    EXPECT_EQ(headerOnDisk().noDefaultSound(), 1);
    EXPECT_TRUE(queue->workingDefaultSound.isEmpty());

    seen.clear();
    chooser.answer = FileChooser::Answer{{sounds + "/bell.wav"}, 0};
    dialogScript = [&](QDialog& dialog) {
        seen << checkedOption(dialog) << (dialog.findChild<QPushButton*>("Command1")->isHidden() ? "hidden" : "shown");
        dialog.findChild<QRadioButton*>("option10")->click();
        seen << (dialog.findChild<QPushButton*>("Command1")->isHidden() ? "hidden" : "shown");
        dialog.findChild<QPushButton*>("Command1")->click();
        seen << dialog.findChild<QLabel*>("Label20")->text();
        return int(QDialog::Rejected);
    };
    action("mnuDefSound").trigger();
    EXPECT_EQ(seen, QStringList({"option11", "hidden", "shown", "bell.wav"}));
    EXPECT_EQ(chooser.requests.back().title, "Choose a Sound File");
    EXPECT_EQ(chooser.requests.back().preview, FileChooser::Preview::Sound);
    EXPECT_EQ(chooser.requests.back().folder, app.programFolder);
    EXPECT_EQ(headerOnDisk().defaultSound(), sounds + "/bell.wav");
    EXPECT_EQ(headerOnDisk().noDefaultSound(), 1) << "Cancel keeps the default sound off";
    EXPECT_TRUE(queue->workingDefaultSound.isEmpty());
    EXPECT_EQ(get("SoundPath"), sounds + "/");

    dialogScript = [&](QDialog& dialog) {
        dialog.findChild<QRadioButton*>("option10")->click();
        return int(dialog.findChild<QLabel*>("Label20")->text() == "bell.wav");
    };
    action("mnuDefSound").trigger();
    EXPECT_EQ(headerOnDisk().noDefaultSound(), 0);
    EXPECT_EQ(queue->workingDefaultSound, sounds + "/bell.wav");
    EXPECT_EQ(chooser.requests.size(), 1u);
}

// One image opens with its own option and sound; OK gives every selected image the option and
// the sound file picked last, whichever option is chosen.
TEST_F(MainWindowTest, SoundForSelectedImagesGivesEachTheOptionAndTheLastSound) {
    makeQueue(3);
    make();
    const QString sounds = mtest::freshDir("image-sounds");
    ASSERT_TRUE(mtest::writeFile(sounds + "/one.mid", "MThd"));
    auto& list = child<QueueListView>("lstqueue");
    EXPECT_FALSE(action("mnuSound").isEnabled());
    list.topLevelItem(1)->setSelected(true);
    EXPECT_TRUE(action("mnuSound").isEnabled());
    QStringList seen;
    chooser.answer = FileChooser::Answer{{sounds + "/one.mid"}, 0};
    dialogScript = [&](QDialog& dialog) {
        EXPECT_TRUE(dialog.findChild<QLabel*>("Label10")->isHidden());
        seen << checkedOption(dialog) << dialog.findChild<QLabel*>("Label21")->text();
        dialog.findChild<QRadioButton*>("option12")->click();
        dialog.findChild<QPushButton*>("Command1")->click();
        return int(QDialog::Accepted);
    };
    action("mnuSound").trigger();
    EXPECT_EQ(seen, QStringList({"option10", "(None)"}));
    EXPECT_EQ(soundOnDisk(app.queueFile, 2), "2:" + sounds + "/one.mid");
    EXPECT_TRUE(child<QTimer>("Timer1").isActive());

    seen.clear();
    list.topLevelItem(1)->setSelected(true);
    dialogScript = [&](QDialog& dialog) {
        seen << checkedOption(dialog) << dialog.findChild<QLabel*>("Label21")->text();
        return int(QDialog::Rejected);
    };
    action("mnuSound").trigger();
    EXPECT_EQ(seen, QStringList({"option12", "one.mid"}));

    // Several rows: the default option, no name, and the sound picked last goes to each.
    seen.clear();
    list.selectAllRows();
    dialogScript = [&](QDialog& dialog) {
        seen << checkedOption(dialog) << dialog.findChild<QLabel*>("Label21")->text();
        dialog.findChild<QRadioButton*>("option11")->click();
        return int(QDialog::Accepted);
    };
    action("mnuSound").trigger();
    EXPECT_EQ(seen, QStringList({"option10", ""}));
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(soundOnDisk(app.queueFile, n), "1:" + sounds + "/one.mid") << n;
    EXPECT_EQ(chooser.requests.size(), 1u);
}
