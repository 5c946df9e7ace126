// SPDX-License-Identifier: MIT
#include "gui/HelpTopics.h"

#include <array>

namespace {

struct HelpPlace {
    const char* key;
    const char* target;
};

// Keywords and numbers are what the dialogs ask for; targets are files and ids under help/.
constexpr std::array kHelpPlaces{
    HelpPlace{"infMonitorColor", "colour-depth.html#colour-warning"},
    HelpPlace{"rgnDeleteButton", "delete-image.html#delete-choice"},
    HelpPlace{"infTempFolder", "temporary-folder.html#temporary-folder"},
    HelpPlace{"infAbout", "about.html#about-box"},
    HelpPlace{"infResizeImageImg", "resize-selected.html#resize-selected"},
    HelpPlace{"infdefsounds", "default-sound.html#default-sound"},
    HelpPlace{"infimgsounds", "image-sounds.html#image-sounds"},
    HelpPlace{"8", "default-resize.html#default-resize"},
    HelpPlace{"13", "add-images.html#add-images"},
    HelpPlace{"22", "about.html#program-icon"},
    HelpPlace{"23", "about.html#program-picture"},
    HelpPlace{"24", "gamma.html#gamma-correction"},
    HelpPlace{"30", "temporary-folder.html#select-folder"},
};

constexpr const char* kContentsPage = "index.html";

} // namespace

QString helpTarget(const QString& topicOrContext) {
    for (const HelpPlace& place : kHelpPlaces)
        if (topicOrContext == QLatin1String(place.key)) return QString::fromLatin1(place.target);
    return QString::fromLatin1(kContentsPage);
}

QStringList knownHelpTopics() {
    QStringList keys;
    keys.reserve(qsizetype(kHelpPlaces.size()));
    for (const HelpPlace& place : kHelpPlaces)
        keys.append(QString::fromLatin1(place.key));
    return keys;
}
