// SPDX-License-Identifier: MIT
#include "MainWindowFixture.h"
#include "gui/dialogs/AboutDialog.h"
#include "gui/dialogs/GammaDialog.h"
#include "gui/dialogs/TempFolderDialog.h"
#include "settings/SettingsValues.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
        folderDialog.change();
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
