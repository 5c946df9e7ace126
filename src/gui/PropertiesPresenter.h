// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QList>
#include <QSize>

#include <functional>
#include <memory>

class Picbuf;
class PropertiesPanel;
class Prompter;
class QLabel;
class Queue;
class QueueListView;
class WallpaperEngine;
struct AppContext;

// Fills the Image Properties box for what the list has selected: the queue's defaults, one
// image (reading its facts and thumbnail anew only when the file has changed), or several.
class PropertiesPresenter {
public:
    enum class View { Defaults, Single, Several };
    struct Deps {
        AppContext* app = nullptr;
        Queue* queue = nullptr;
        WallpaperEngine* engine = nullptr;
        Prompter* prompter = nullptr;
        QueueListView* list = nullptr;
        PropertiesPanel* panel = nullptr;
        // The picture of the desktop on the monitor, and the image thumbnail shown in its place.
        QLabel* desktopPicture = nullptr;
        QLabel* thumbnail = nullptr;
        // The display's depth class (1, 2, 4, 8 or 24).
        std::function<int()> colourDepth;
        // The screen size the settings were read with.
        std::function<QSize()> screenSize;
        // Checks the tiling menu items.
        std::function<void(bool tiled)> showTiledMenu;
        std::function<bool()> closing;
    };

    explicit PropertiesPresenter(Deps deps);
    ~PropertiesPresenter();

    View view() const { return m_view; }
    // Shows the view that the number of selected rows calls for; the list has just read the
    // chosen row's entry into the queue's buffer.
    void refresh(int selectedRows);
    // After a command changed records: the current one is read again before it is shown.
    void refresh();
    void showDefaults();
    void showSeveral();
    // The entry in the queue's current-entry buffer.
    void showSingleImage();
    // "Tiled" or "Single Image" clicked (or chosen in the menu): the queue default with no
    // row selected, else every selected image.
    void setTiling(bool tiled);

private:
    void refreshFacts(const QString& path);
    void showThumbnail();

    Deps m_deps;
    View m_view = View::Defaults;
    int m_selected = 0;
    // Drawn once: every selection of one image shows one of them.
    QList<QIcon> m_stateIcons;
    std::unique_ptr<Picbuf> m_loader;
    std::unique_ptr<Picbuf> m_work;
};
