// SPDX-License-Identifier: MIT
#include "MainWindowFixture.h"
#include "gui/QueueListView.h"
#include "queue/FileAge.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include <utime.h>

class PropertiesPanelTest : public MainWindowTest {
protected:
    QString text(const char* name) const { return child<QLabel>(name).text(); }
    // Which of the named controls show, one digit each.
    QString shown(std::initializer_list<const char*> names) const {
        QString digits;
        for (const char* name : names)
            digits += child<QWidget>(name).isHidden() ? '0' : '1';
        return digits;
    }
    QString title() const { return child<QGroupBox>("Frame1").title(); }
};

// One image: its facts are read once and kept with its thumbnail; the stored thumbnail is
// shown from then on, until the file changes. Several: nothing of any one image. Then one
// again: its state icon comes back.
TEST_F(PropertiesPanelTest, ShowsOneImageFromItsStoredFactsAndSeveralWithoutAny) {
    makeWithImages(3);
    EXPECT_EQ(std::tuple(title(), text("label18")),
              std::tuple(QString("Queue Defaults"), QString("Small img: resize")));
    selectRows({1});
    EXPECT_EQ(std::tuple(title(), text("lblImageSize"), text("label18"), text("label19"), text("label22")),
              std::tuple(QString("Image Properties"), QString("64x48x16777216 Colors"),
                         QString("Default (Will Resize)"), QString("Resizes to 1024x768"), QString("Default (None)")));
    // The path is folded to fit the line.
    EXPECT_TRUE(text("label16").startsWith("/tm...") && text("label16").endsWith("/img2.png"))
        << text("label16").toStdString();
    EXPECT_TRUE(child<QRadioButton>("option11").isChecked());
    EXPECT_EQ(shown({"picture3", "picture1", "Image3"}), "101");
    EXPECT_EQ(child<QLabel>("picture3").geometry(), QRect(34, 41, 152, 114));
    const QueueEntry read = entryOnDisk(2);
    EXPECT_EQ(std::tuple(int(read.factsKnown()), read.fileDate()), std::tuple(1, fileage::of(dir + "/img2.png")));
    EXPECT_GT(read.thumbnail().size(), 100);

    // Shown again from the record: the file is not written.
    selectRows({});
    EXPECT_EQ(shown({"picture3", "picture1"}), "01");
    const QByteArray stored = mtest::readFile(app.queueFile);
    selectRows({1});
    EXPECT_EQ(mtest::readFile(app.queueFile), stored);
    EXPECT_EQ(shown({"picture3"}), "1");

    selectRows({0, 2});
    EXPECT_EQ(text("label16"), "Set Properties for all selected images");
    EXPECT_EQ(text("lblImageSize") + text("label18") + text("label22"), "");
    EXPECT_FALSE(child<QRadioButton>("option10").isChecked() || child<QRadioButton>("option11").isChecked());
    EXPECT_EQ(shown({"Image3", "picture3"}), "00");

    // A file touched since it was read is read again.
    const QString touched = dir + "/img2.png";
    struct utimbuf times {
        1000000000, 1000000000
    };
    ASSERT_EQ(::utime(QFile::encodeName(touched).constData(), &times), 0);
    selectRows({1});
    EXPECT_EQ(shown({"Image3"}), "1");
    EXPECT_EQ(entryOnDisk(2).fileDate(), fileage::of(touched));
    EXPECT_NE(entryOnDisk(2).fileDate(), read.fileDate());
}

// Tiling from the box or the menu: the queue default with nothing selected, else every selected image.
TEST_F(PropertiesPanelTest, TilingGoesToTheDefaultOrToEverySelectedImage) {
    makeWithImages(3);
    child<QRadioButton>("option10").click();
    EXPECT_EQ(headerOnDisk().tiled(), 1);
    EXPECT_TRUE(action("mnuTileOn").isChecked() && !action("MnuTileOff").isChecked());
    selectRows({0, 2});
    const int single = list().rowState(0);
    const auto tiledOnDisk = [this] {
        QString flags;
        for (int n = 1; n <= 3; ++n)
            flags += QString::number(entryOnDisk(n).tiled());
        return flags;
    };
    action("mnuTileOn").trigger();
    EXPECT_EQ(tiledOnDisk(), "101");
    EXPECT_NE(list().rowState(0), single);
    action("MnuTileOff").trigger();
    EXPECT_EQ(std::tuple(tiledOnDisk(), list().rowState(0), int(headerOnDisk().tiled())),
              std::tuple(QString("000"), single, 1));
}

// The Change buttons open the queue's dialogs with nothing selected, the images' otherwise. A
// resize from the box's own image shows at once what the record now holds.
TEST_F(PropertiesPanelTest, ChangeButtonsActOnWhatTheBoxShows) {
    makeWithImages(2);
    QStringList modes;
    dialogScript = [&](QDialog& dialog) {
        if (auto* text = dialog.findChild<QLabel*>("Label10")) modes << (text->isHidden() ? "images" : "default");
        return int(QDialog::Rejected);
    };
    for (const QList<int>& selected : {QList<int>{}, QList<int>{1}}) {
        selectRows(selected);
        clickOn("Button2");
        clickOn("Button3");
    }
    EXPECT_EQ(dialogsShown, QStringList({"Tdefresize", "TSoundForm", "TimgResize", "TSoundForm"}));
    EXPECT_EQ(modes, QStringList({"default", "images"}));
    EXPECT_TRUE(countingDown());

    EXPECT_EQ(text("label18"), "Default (Will Resize)");
    dialogScript = [](QDialog& dialog) {
        for (auto* radio : dialog.findChildren<QRadioButton*>())
            if (radio->text() == "None") radio->click();
        buttonIn(dialog, "OK").click();
        return dialog.result();
    };
    action("mnuResiz").trigger();
    EXPECT_EQ(text("label18"), "Not resized");
}
