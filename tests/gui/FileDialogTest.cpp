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

// Every pixel of a picture, row by row.
QList<QRgb> pixelsOf(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QList<QRgb> pixels;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            pixels << rgb.pixel(x, y);
    return pixels;
}

int colourCount(const QImage& image) {
    const QList<QRgb> pixels = pixelsOf(image);
    return int(QSet<QRgb>(pixels.begin(), pixels.end()).size());
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

TEST(PreviewMonitorDrawing, PictureFitsTheScreenArea) {
    for (const auto& [w, h, place] : {std::tuple{640, 480, QRect(12, 7, 120, 90)}, // the whole screen
                                      {800, 1200, QRect(42, 7, 60, 90)},           // portrait, x 42 to 102
                                      {1920, 1080, QRect(12, 19, 120, 67)},        // wide, centred on y 52
                                      {400, 300, QRect(12, 7, 120, 90)},           // exactly 4:3
                                      {401, 300, QRect(12, 8, 120, 89)},           // just wider than 4:3
                                      {1, 1000, QRect(72, 7, 1, 90)},              // never narrower than a pixel
                                      {0, 480, QRect()},
                                      {640, 0, QRect()}})
        EXPECT_EQ(PreviewMonitor::pictureRect(w, h), place) << w << "x" << h;
}

TEST(PreviewMonitorDrawing, PartsSitWhereTheyAreDrawn) {
    QImage box(PreviewMonitor::kWidth, PreviewMonitor::kHeight, QImage::Format_RGB32);
    QPainter p(&box);
    const QColor boxColour(0x12, 0x34, 0x56), screen(0x3A, 0x6E, 0xA5), grey(0x80, 0x80, 0x80);
    PreviewMonitor::drawMonitor(p, boxColour, screen);
    p.end();
    // By colour: the screen; its black edge, the bezel's foot and lower edge, the stand's one-pixel lines; the
    // frame, the bezel's shadow and lower edges, the dotted bevel and the stand in grey; the lit corner, the ends of
    // lines and the bevel's other dots in white; the box's colour past the ends of lines, between the bevel's dots
    // and outside; the power light.
    const std::pair<QColor, std::vector<QPoint>> pixels[] = {
        {screen, {{12, 7}, {131, 96}}},
        {Qt::black, {{132, 97}, {142, 107}, {74, 109}, {50, 107}, {60, 116}, {97, 120}, {102, 113}}},
        {grey, {{10, 5}, {133, 98}, {144, 106}, {36, 130}, {141, 5}, {50, 105}, {50, 106}}},
        {grey, {{70, 125}, {47, 120}, {107, 127}, {35, 127}, {85, 112}, {91, 110}}},
        {Qt::white,
         {{135, 99}, {10, 100}, {1, 1}, {4, 3}, {70, 126}, {36, 127}, {77, 111}, {80, 111}, {77, 110}, {80, 110}}},
        {boxColour, {{136, 100}, {143, 107}, {145, 107}, {87, 111}, {5, 3}, {141, 6}}},
        {QColor(0x008000), {{85, 110}, {86, 111}}}};
    for (const auto& [colour, points] : pixels)
        for (const QPoint& point : points)
            EXPECT_EQ(box.pixelColor(point), colour) << point.x() << "," << point.y();

    // An animated picture carries a red "A" in its top-left corner.
    PreviewMonitor monitor;
    QImage blue(8, 6, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    const auto redInCorner = [&](bool animated) {
        monitor.setPicture(blue, {640, 480}, animated);
        return pixelsOf(monitor.grab().toImage().copy(12, 7, 20, 20)).count(qRgb(255, 0, 0));
    };
    EXPECT_GT(redInCorner(true), 5);
    EXPECT_EQ(redInCorner(false), 0);
}

TEST_F(FileDialogTest, PreviewTellsSizeAndColoursMarksAnimationsAndSaysWhatIsKnownOfBadFiles) {
    const ImagePreview big = previewImage(save("big.jpg", colourful(2400, 1800)), 24);
    EXPECT_EQ(std::tuple(big.status, big.size, big.animated),
              std::tuple(QString("2400x1800x16777216 Colors"), QSize(2400, 1800), false));
    EXPECT_LE(big.picture.width(), 240) << "the picture is kept at the size it is drawn";

    // A screen of 256 colours shows the picture in the colours it has; a deeper one as it is.
    const QString small = save("small.png", colourful(100, 75));
    EXPECT_LE(colourCount(previewImage(small, 8).picture), 236);
    EXPECT_GT(colourCount(previewImage(small, 24).picture), 236);
    EXPECT_EQ(previewImage(small, 8).status, "100x75x16777216 Colors");

    // Two black palette entries show black on white.
    QImage mono(16, 8, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(0, 0, 0)});
    mono.fill(0);
    for (int i = 0; i < 64; ++i) // the right half
        mono.setPixel(8 + i % 8, i / 8, 1);
    const ImagePreview monoShown = previewImage(save("mono.bmp", mono), 24);
    ASSERT_FALSE(monoShown.picture.isNull());
    EXPECT_EQ(std::tuple(monoShown.status, monoShown.picture.pixelColor(2, 2), monoShown.picture.pixelColor(12, 2)),
              std::tuple(QString("16x8x2 Colors"), QColor(Qt::black), QColor(Qt::white)));

    // Animated GIFs are marked.
    std::vector<Magick::Image> frames{Magick::Image(Magick::Geometry(8, 8), Magick::Color("red")),
                                      Magick::Image(Magick::Geometry(8, 8), Magick::Color("blue"))};
    const QString gif = dir + "/anim.gif";
    Magick::writeImages(frames.begin(), frames.end(), gif.toStdString());
    EXPECT_TRUE(previewImage(gif, 24).animated);
    frames.front().write(QString(dir + "/still.gif").toStdString());
    EXPECT_FALSE(previewImage(dir + "/still.gif", 24).animated);

    // No file: an empty screen and no facts. A damaged one: what the imaging control says.
    ASSERT_TRUE(mtest::writeFile(dir + "/bad.jpg", "not a picture"));
    for (const auto& [name, status] : {std::pair{"none.png", ""}, {"bad.jpg", "0x0x1 Colors"}}) {
        const ImagePreview shown = previewImage(dir + "/" + name, 24);
        EXPECT_EQ(std::tuple(shown.picture.isNull(), shown.status), std::tuple(true, QString(status))) << name;
    }
}

TEST_F(FileDialogTest, PanelsPreviewOnRequestOrAutomatically) {
    const QString image = save("a.png", colourful(64, 48));
    PreviewPanel panel(PreviewPanel::Kind::Image, {});
    auto* button = panel.findChild<QPushButton*>("PreviewButton");
    auto* box = panel.findChild<QCheckBox*>("autoprev");
    ASSERT_TRUE(button && box);
    EXPECT_FALSE(button->isHidden());

    panel.setCurrentFile(image);
    EXPECT_TRUE(panel.monitor()->picture().isNull()) << "nothing is read until asked";
    button->click();
    EXPECT_EQ(std::tuple(panel.statusText(), panel.monitor()->picturePlace()),
              std::tuple(QString("64x48x16777216 Colors"), QRect(12, 7, 120, 90)));

    // Another file clears the screen until it is previewed; Auto Preview previews at once.
    panel.setCurrentFile(save("b.png", colourful(30, 60)));
    EXPECT_TRUE(panel.monitor()->picture().isNull());
    box->click();
    EXPECT_EQ(std::tuple(panel.autoPreview(), button->isHidden(), panel.statusText()),
              std::tuple(true, true, QString("30x60x16777216 Colors")));
    panel.setCurrentFile(image);
    EXPECT_EQ(panel.statusText(), "64x48x16777216 Colors");
    panel.folderChanged();
    EXPECT_EQ(std::tuple(panel.monitor()->picture().isNull(), panel.statusText()), std::tuple(true, QString()));
    box->click();
    EXPECT_FALSE(button->isHidden());

    // A sound panel plays and stops.
    RecordingSound sound;
    PreviewPanel soundPanel(PreviewPanel::Kind::Sound, {&sound, {}, Qt::black});
    EXPECT_TRUE(soundPanel.findChild<QWidget*>("PicturePanel")->isHidden());
    soundPanel.setCurrentFile("/s/one.wav");
    EXPECT_TRUE(sound.played.isEmpty());
    soundPanel.preview();
    soundPanel.setAutoPreview(true);
    EXPECT_TRUE(soundPanel.findChild<QCheckBox*>("autoprev")->isChecked());
    soundPanel.setCurrentFile("/s/two.mid");
    soundPanel.folderChanged();
    soundPanel.stop();
    EXPECT_EQ(sound.played, QStringList({"/s/one.wav", "/s/one.wav", "/s/two.mid", "", ""}));
}

TEST(DialogFileChooserTest, ListStyleKeepsWhatTheDialogCannotShow) {
    for (const auto& [asked, details, kept] :
         {std::tuple{0, false, 0}, {2, false, 2}, {3, false, 3}, {1, false, 3}, {0, true, 1}, {1, true, 1}})
        EXPECT_EQ(DialogFileChooser::styleAfter(asked, details), kept) << asked << (details ? " details" : " list");
}

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
        EXPECT_EQ(std::tuple(dialog.windowTitle(), dialog.labelText(QFileDialog::Accept), dialog.viewMode(),
                             dialog.nameFilters()),
                  std::tuple(QString("Add Image(s)"), QString("Select"), QFileDialog::Detail,
                             QStringList({"Internet PNG (*.PNG *.png)", "All Files (*.*)"})));
        EXPECT_TRUE(dialog.testOption(QFileDialog::ReadOnly)) << "files are picked here, not renamed or deleted";
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
    EXPECT_EQ(std::tuple(answer->files, answer->style, status, helped),
              std::tuple(QStringList({QDir::toNativeSeparators(image)}), 3, QString("80x60x16777216 Colors"),
                         QStringList({"13"})));

    // A queue is opened without a preview; a cancelled dialog gives nothing.
    request.preview = FileChooser::Preview::None;
    chooser.setRunner([](QFileDialog& dialog) {
        EXPECT_EQ(dialog.findChild<PreviewPanel*>(), nullptr);
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(chooser.openFiles(request));

    // A save dialog answers the name given, and nothing when cancelled, whatever was typed.
    const QString named = dir + "/new.qu3";
    for (const int result : {int(QDialog::Rejected), int(QDialog::Accepted)}) {
        chooser.setRunner([&](QFileDialog& dialog) {
            EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
            dialog.selectFile(named);
            return result;
        });
        EXPECT_EQ(chooser.saveFile(request),
                  result == QDialog::Accepted ? std::optional(QDir::toNativeSeparators(named)) : std::nullopt);
    }
}

TEST_F(FileDialogTest, FolderDialogAnswersTheFolderItShows) {
    ASSERT_TRUE(QDir(dir).mkpath("walls/inner"));
    DialogFileChooser chooser;
    chooser.setRunner([&](QFileDialog& dialog) {
        EXPECT_EQ(std::tuple(dialog.objectName(), dialog.labelText(QFileDialog::Accept),
                             dialog.labelText(QFileDialog::LookIn)),
                  std::tuple(QString("TSaveFileDialog"), QString("Choose"), QString("Folder:")));
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
