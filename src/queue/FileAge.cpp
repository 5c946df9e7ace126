// SPDX-License-Identifier: MIT
#include "FileAge.h"

#include <QFileInfo>

namespace fileage {

std::int32_t pack(const QDateTime& local) {
    const QDate d = local.date();
    const QTime t = local.time();
    // The packed form covers 1980..2107; dates outside it are pinned to its ends.
    const int year = std::clamp(d.year(), 1980, 2107) - 1980;
    const std::uint32_t v = (std::uint32_t(year) << 25) | (std::uint32_t(d.month()) << 21) |
                            (std::uint32_t(d.day()) << 16) | (std::uint32_t(t.hour()) << 11) |
                            (std::uint32_t(t.minute()) << 5) | std::uint32_t(t.second() / 2);
    return static_cast<std::int32_t>(v);
}

std::int32_t of(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return -1;
    return pack(info.lastModified().toLocalTime());
}

} // namespace fileage
