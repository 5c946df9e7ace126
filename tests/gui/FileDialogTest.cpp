// SPDX-License-Identifier: MIT
#include "TestSupport.h"
#include "gui/filedlg/DialogFileChooser.h"
#include "gui/filedlg/ImagePreview.h"
#include "gui/filedlg/PreviewMonitor.h"
#include "gui/filedlg/PreviewPanel.h"
#include "imaging/Picbuf.h"
#include "wallpaper/SoundOutput.h"

#include <Magick++.h>

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSet>

#include <gtest/gtest.h>

namespace {

class RecordingSound : public SoundOutput {
public:
    void play(const QString& path) override { played << path; }
    QStringList played;
};

// A picture with a different colour in every pixel, so a reduction shows in the count.
QImage colourful(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x * y) % 256));
    return image;
}

int colourCount(const QImage& image) {
    QSet<QRgb> colours;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            colours.insert(rgb.pixel(x, y));
    return int(colours.size());
}

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        Picbuf::initialize(nullptr);
        dir = mtest::freshDir(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }
    QString save(const QString& name, const QImage& image) {
        const QString path = dir + "/" + name;
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        return path;
    }
    QString dir;
};

} // namespace

struct PlaceCase {
    int w, h;
    QRect place;
};
class PreviewPlace : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PreviewPlace, FitsTheScreenArea) {
    EXPECT_EQ(PreviewMonitor::pictureRect(GetParam().w, GetParam().h), GetParam().place);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewPlace,
                         ::testing::Values(PlaceCase{640, 480, {12, 7, 120, 90}},    // the whole screen
                                           PlaceCase{800, 1200, {42, 7, 60, 90}},    // portrait, x 42 to 102
                                           PlaceCase{1920, 1080, {12, 19, 120, 67}}, // wide, centred on y 52
                                           PlaceCase{400, 300, {12, 7, 120, 90}},    // exactly 4:3
                                           PlaceCase{401, 300, {12, 8, 120, 89}},    // just wider than 4:3
                                           PlaceCase{1, 1000, {72, 7, 1, 90}},       // never narrower than a pixel
                                           PlaceCase{0, 480, {}}, PlaceCase{640, 0, {}}));

TEST(PreviewMonitorDrawing, PartsSitWhereTheyAreDrawn) {
    QImage box(PreviewMonitor::kWidth, PreviewMonitor::kHeight, QImage::Format_RGB32);
    QPainter p(&box);
    const QColor boxColour(0x12, 0x34, 0x56), screen(0x3A, 0x6E, 0xA5), grey(0x80, 0x80, 0x80);
    PreviewMonitor::drawMonitor(p, boxColour, screen);
    p.end();
    const struct {
        int x, y;
        QColor colour;
    } pixels[] = {
        {12, 7, screen},
        {131, 96, screen},
        {132, 97, Qt::black}, // the screen and its black edge
        {10, 5, QColor(0x808080)},
        {133, 98, QColor(0x808080)}, // the frame
        {135, 99, Qt::white},
        {10, 100, Qt::white},
        {136, 100, boxColour}, // lines end before their end point
        {142, 107, Qt::black},
        {143, 107, boxColour},
        {144, 106, QColor(0x808080)}, // the bezel's foot and shadow
        {1, 1, Qt::white},
        {145, 107, boxColour}, // the lit corner; outside
        {85, 110, QColor(0x008000)},
        {86, 111, QColor(0x008000)},
        {87, 111, boxColour}, // the power light
        {74, 109, Qt::black},
        {36, 130, QColor(0x808080)}, // the stand
        // The dotted bevel, every other pixel.
        {4, 3, Qt::white},
        {5, 3, boxColour},
        {141, 5, grey},
        {141, 6, boxColour},
        // The bezel's lower edges.
        {50, 105, grey},
        {50, 106, grey},
        {50, 107, Qt::black},
        // The stand's lines of one pixel.
        {60, 116, Qt::black},
        {97, 120, Qt::black},
        {102, 113, Qt::black},
        {70, 125, grey},
        {47, 120, grey},
        {107, 127, grey},
        {35, 127, grey},
        {70, 126, Qt::white},
        {36, 127, Qt::white},
        {77, 111, Qt::white},
        {80, 111, Qt::white},
        {85, 112, grey},
        {91, 110, grey},
    };
    for (const auto& pixel : pixels)
        EXPECT_EQ(box.pixelColor(pixel.x, pixel.y), pixel.colour) << pixel.x << "," << pixel.y;

    // An animated picture carries a red "A" in its top-left corner.
    PreviewMonitor monitor;
    QImage blue(8, 6, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    const auto redInCorner = [&](bool animated) {
        monitor.setPicture(blue, {640, 480}, animated);
        const QImage shown = monitor.grab().toImage().copy(12, 7, 20, 20);
        int red = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                red += shown.pixelColor(x, y) == QColor(Qt::red);
        return red;
    };
    EXPECT_GT(redInCorner(true), 5);
    EXPECT_EQ(redInCorner(false), 0);
}

TEST_F(FileDialogTest, PreviewTellsSizeAndColoursAndDecodesSmall) {
    const ImagePreview big = previewImage(save("big.jpg", colourful(2400, 1800)), 24);
    EXPECT_EQ(big.status, "2400x1800x16777216 Colors");
    EXPECT_EQ(big.size, QSize(2400, 1800));
    EXPECT_LE(big.picture.width(), 240) << "the picture is kept at the size it is drawn";
    EXPECT_FALSE(big.animated);

    // A screen of 256 colours shows the picture in the colours it has; a deeper one as it is.
    const QString small = save("small.png", colourful(100, 75));
    EXPECT_LE(colourCount(previewImage(small, 8).picture), 236);
    EXPECT_GT(colourCount(previewImage(small, 24).picture), 236);
    EXPECT_EQ(previewImage(small, 8).status, "100x75x16777216 Colors");
}

TEST_F(FileDialogTest, TwoBlackPaletteEntriesShowBlackOnWhite) {
    QImage mono(16, 8, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(0, 0, 0)});
    mono.fill(0);
    for (int x = 8; x < 16; ++x)
        for (int y = 0; y < 8; ++y)
            mono.setPixel(x, y, 1);
    const ImagePreview shown = previewImage(save("mono.bmp", mono), 24);
    ASSERT_FALSE(shown.picture.isNull());
    EXPECT_EQ(shown.status, "16x8x2 Colors");
    EXPECT_EQ(shown.picture.pixelColor(2, 2), QColor(Qt::black));
    EXPECT_EQ(shown.picture.pixelColor(12, 2), QColor(Qt::white));
}

TEST_F(FileDialogTest, AnimatedGifsAreMarkedAndBadFilesSayWhatIsKnown) {
    std::vector<Magick::Image> frames{Magick::Image(Magick::Geometry(8, 8), Magick::Color("red")),
                                      Magick::Image(Magick::Geometry(8, 8), Magick::Color("blue"))};
    const QString gif = dir + "/anim.gif";
    Magick::writeImages(frames.begin(), frames.end(), gif.toStdString());
    EXPECT_TRUE(previewImage(gif, 24).animated);
    frames.front().write(QString(dir + "/still.gif").toStdString());
    EXPECT_FALSE(previewImage(dir + "/still.gif", 24).animated);

    // No file: an empty screen and no facts. A damaged one: what the imaging control says.
    const ImagePreview missing = previewImage(dir + "/none.png", 24);
    EXPECT_TRUE(missing.picture.isNull());
    EXPECT_TRUE(missing.status.isEmpty());
    ASSERT_TRUE(mtest::writeFile(dir + "/bad.jpg", "not a picture"));
    const ImagePreview bad = previewImage(dir + "/bad.jpg", 24);
    EXPECT_TRUE(bad.picture.isNull());
    EXPECT_EQ(bad.status, "0x0x1 Colors");
}

TEST_F(FileDialogTest, ImagePanelPreviewsOnRequestOrAutomatically) {
    const QString image = save("a.png", colourful(64, 48));
    PreviewPanel panel(PreviewPanel::Kind::Image, {});
    auto* button = panel.findChild<QPushButton*>("PreviewButton");
    auto* box = panel.findChild<QCheckBox*>("autoprev");
    ASSERT_TRUE(button && box);
    EXPECT_FALSE(button->isHidden());

    panel.setCurrentFile(image);
    EXPECT_TRUE(panel.monitor()->picture().isNull()) << "nothing is read until asked";
    button->click();
    EXPECT_EQ(panel.statusText(), "64x48x16777216 Colors");
    EXPECT_EQ(panel.monitor()->picturePlace(), QRect(12, 7, 120, 90));

    // Another file clears the screen until it is previewed; Auto Preview previews at once.
    panel.setCurrentFile(save("b.png", colourful(30, 60)));
    EXPECT_TRUE(panel.monitor()->picture().isNull());
    box->click();
    EXPECT_TRUE(panel.autoPreview());
    EXPECT_TRUE(button->isHidden());
    EXPECT_EQ(panel.statusText(), "30x60x16777216 Colors");
    panel.setCurrentFile(image);
    EXPECT_EQ(panel.statusText(), "64x48x16777216 Colors");
    panel.folderChanged();
    EXPECT_TRUE(panel.monitor()->picture().isNull());
    EXPECT_TRUE(panel.statusText().isEmpty());
    box->click();
    EXPECT_FALSE(button->isHidden());
}

TEST_F(FileDialogTest, SoundPanelPlaysAndStops) {
    RecordingSound sound;
    PreviewPanel panel(PreviewPanel::Kind::Sound, {&sound, {}, Qt::black});
    EXPECT_TRUE(panel.findChild<QWidget*>("PicturePanel")->isHidden());
    panel.setCurrentFile("/s/one.wav");
    EXPECT_TRUE(sound.played.isEmpty());
    panel.preview();
    panel.setAutoPreview(true);
    EXPECT_TRUE(panel.findChild<QCheckBox*>("autoprev")->isChecked());
    panel.setCurrentFile("/s/two.mid");
    panel.folderChanged();
    panel.stop();
    EXPECT_EQ(sound.played, QStringList({"/s/one.wav", "/s/one.wav", "/s/two.mid", "", ""}));
}

struct StyleCase {
    int asked;
    bool details;
    int kept;
};
class ListStyle : public ::testing::TestWithParam<StyleCase> {};

TEST_P(ListStyle, KeepsWhatTheDialogCannotShow) {
    EXPECT_EQ(DialogFileChooser::styleAfter(GetParam().asked, GetParam().details), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Styles, ListStyle,
                         ::testing::Values(StyleCase{0, false, 0}, StyleCase{2, false, 2}, StyleCase{3, false, 3},
                                           StyleCase{1, false, 3}, StyleCase{0, true, 1}, StyleCase{1, true, 1}));

TEST_F(FileDialogTest, OpenDialogPreviewsAndReturnsTheChosenFiles) {
    const QString image = save("pick.png", colourful(80, 60));
    QStringList helped;
    DialogFileChooser chooser(
        nullptr, [&](const QString& topic) { helped << topic; },
        [] {
            return PreviewPanel::Services{nullptr, [] { return 24; }, Qt::red};
        });
    FileChooser::Request request{
        "Add Image(s)", "Internet PNG|*.PNG|All Files|*.*", dir, true, {}, 1, FileChooser::Preview::Image};
    request.helpTopic = "13";
    QString status;
    chooser.setRunner([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Add Image(s)");
        EXPECT_EQ(dialog.labelText(QFileDialog::Accept), "Select");
        EXPECT_EQ(dialog.viewMode(), QFileDialog::Detail);
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Internet PNG (*.PNG *.png)", "All Files (*.*)"}));
        for (auto* button : dialog.findChildren<QPushButton*>())
            if (button->text().contains("Help")) button->click();
        auto* panel = dialog.findChild<PreviewPanel*>();
        if (!panel) return int(QDialog::Rejected);
        panel->setAutoPreview(true);
        Q_EMIT dialog.currentChanged(image);
        dialog.selectFile(image);
        status = panel->statusText();
        dialog.setViewMode(QFileDialog::List);
        return int(QDialog::Accepted);
    });
    const auto answer = chooser.openFiles(request);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->files, QStringList({QDir::toNativeSeparators(image)}));
    EXPECT_EQ(answer->style, 3);
    EXPECT_EQ(status, "80x60x16777216 Colors");
    EXPECT_EQ(helped, QStringList({"13"}));

    // A queue is opened without a preview; a cancelled dialog gives nothing.
    request.preview = FileChooser::Preview::None;
    chooser.setRunner([](QFileDialog& dialog) {
        EXPECT_EQ(dialog.findChild<PreviewPanel*>(), nullptr);
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(chooser.openFiles(request));
}

TEST_F(FileDialogTest, FolderDialogAnswersTheFolderItShows) {
    ASSERT_TRUE(QDir(dir).mkpath("walls/inner"));
    DialogFileChooser chooser;
    chooser.setRunner([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "TSaveFileDialog");
        EXPECT_EQ(dialog.labelText(QFileDialog::Accept), "Choose");
        EXPECT_EQ(dialog.labelText(QFileDialog::LookIn), "Folder:");
        auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
        EXPECT_TRUE(name && name->isHidden());
        // A folder picked in the list but not gone into is not the answer.
        dialog.setDirectory(dir + "/walls");
        dialog.selectFile(dir + "/walls/inner");
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(chooser.chooseFolder(dir), QDir::toNativeSeparators(dir + "/walls/"));
    chooser.setRunner([](QFileDialog&) { return int(QDialog::Rejected); });
    EXPECT_EQ(chooser.chooseFolder(dir), QString());
}
