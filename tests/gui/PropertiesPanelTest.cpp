// SPDX-License-Identifier: MIT
#include "MainWindowFixture.h"
#include "gui/QueueListView.h"
#include "queue/FileAge.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <utime.h>

namespace {

QueueEntry entryOnDisk(const QString& queueFile, int n) {
    Queue q(Queue::Environment{});
    QueueEntry entry;
    EXPECT_TRUE(q.load(queueFile).ok() && q.readEntryInto(q.recordOfEntry(n), entry));
    return entry;
}

} // namespace

class PropertiesPanelTest : public MainWindowTest {
protected:
    QString text(const char* name) const { return child<QLabel>(name).text(); }
    bool shown(const char* name) const { return !child<QWidget>(name).isHidden(); }
    void selectOnly(std::initializer_list<int> rows) {
        auto& list = child<QueueListView>("lstqueue");
        list.clearSelection();
        for (int row : rows)
            list.topLevelItem(row)->setSelected(true);
    }
};

// One image: its facts are read once and kept with its thumbnail; the stored thumbnail is
// shown from then on, until the file changes. Several: nothing of any one image. Then one
// again: its state icon comes back.
TEST_F(PropertiesPanelTest, ShowsOneImageFromItsStoredFactsAndSeveralWithoutAny) {
    makeQueue(3);
    make();
    EXPECT_EQ(child<QGroupBox>("Frame1").title(), "Queue Defaults");
    EXPECT_EQ(text("label18"), "Small img: resize");
    selectOnly({1});
    EXPECT_EQ(child<QGroupBox>("Frame1").title(), "Image Properties");
    // The path is folded to fit the line.
    EXPECT_TRUE(text("label16").startsWith("/tm...") && text("label16").endsWith("/img2.png"))
        << text("label16").toStdString();
    EXPECT_EQ(text("lblImageSize"), "64x48x16777216 Colors");
    EXPECT_EQ(text("label18"), "Default (Will Resize)");
    EXPECT_EQ(text("label19"), "Resizes to 1024x768");
    EXPECT_EQ(text("label22"), "Default (None)");
    EXPECT_TRUE(child<QRadioButton>("option11").isChecked());
    EXPECT_TRUE(shown("picture3") && !shown("picture1") && shown("Image3"));
    EXPECT_EQ(child<QLabel>("picture3").geometry(), QRect(34, 41, 152, 114));
    const QueueEntry read = entryOnDisk(app.queueFile, 2);
    EXPECT_EQ(read.factsKnown(), 1);
    EXPECT_EQ(read.fileDate(), fileage::of(dir + "/img2.png"));
    EXPECT_GT(read.thumbnail().size(), 100);

    // Shown again from the record: the file is not written.
    selectOnly({});
    EXPECT_TRUE(shown("picture1") && !shown("picture3"));
    const QByteArray stored = mtest::readFile(app.queueFile);
    selectOnly({1});
    EXPECT_EQ(mtest::readFile(app.queueFile), stored);
    EXPECT_TRUE(shown("picture3"));

    selectOnly({0, 2});
    EXPECT_EQ(text("label16"), "Set Properties for all selected images");
    EXPECT_EQ(text("lblImageSize") + text("label18") + text("label22"), "");
    EXPECT_FALSE(child<QRadioButton>("option10").isChecked() || child<QRadioButton>("option11").isChecked());
    EXPECT_FALSE(shown("Image3") || shown("picture3"));

    // A file touched since it was read is read again.
    const QString touched = dir + "/img2.png";
    struct utimbuf times {
        1000000000, 1000000000
    };
    ASSERT_EQ(::utime(QFile::encodeName(touched).constData(), &times), 0);
    selectOnly({1});
    EXPECT_TRUE(shown("Image3"));
    EXPECT_EQ(entryOnDisk(app.queueFile, 2).fileDate(), fileage::of(touched));
    EXPECT_NE(entryOnDisk(app.queueFile, 2).fileDate(), read.fileDate());
}

// Tiling from the box or the menu: the queue default with nothing selected, else every selected image.
TEST_F(PropertiesPanelTest, TilingGoesToTheDefaultOrToEverySelectedImage) {
    makeQueue(3);
    make();
    child<QRadioButton>("option10").click();
    EXPECT_EQ(headerOnDisk().tiled(), 1);
    EXPECT_TRUE(action("mnuTileOn").isChecked() && !action("MnuTileOff").isChecked());
    selectOnly({0, 2});
    auto& list = child<QueueListView>("lstqueue");
    const int single = list.rowState(0);
    action("mnuTileOn").trigger();
    const auto tiledOnDisk = [this] {
        QString flags;
        for (int n = 1; n <= 3; ++n)
            flags += QString::number(entryOnDisk(app.queueFile, n).tiled());
        return flags;
    };
    EXPECT_EQ(tiledOnDisk(), "101");
    EXPECT_NE(list.rowState(0), single);
    action("MnuTileOff").trigger();
    EXPECT_EQ(tiledOnDisk(), "000");
    EXPECT_EQ(list.rowState(0), single);
    EXPECT_EQ(headerOnDisk().tiled(), 1);
}

// The Change buttons open the queue's dialogs with nothing selected, the images' otherwise.
TEST_F(PropertiesPanelTest, ChangeButtonsActOnWhatTheBoxShows) {
    makeQueue(2);
    make();
    QStringList modes;
    dialogScript = [&](QDialog& dialog) {
        if (auto* text = dialog.findChild<QLabel*>("Label10")) modes << (text->isHidden() ? "images" : "default");
        return int(QDialog::Rejected);
    };
    child<QPushButton>("Button2").click();
    child<QPushButton>("Button3").click();
    selectOnly({1});
    child<QPushButton>("Button2").click();
    child<QPushButton>("Button3").click();
    EXPECT_EQ(dialogsShown, QStringList({"Tdefresize", "TSoundForm", "TimgResize", "TSoundForm"}));
    EXPECT_EQ(modes, QStringList({"default", "images"}));
    EXPECT_TRUE(child<QTimer>("Timer1").isActive());
}
