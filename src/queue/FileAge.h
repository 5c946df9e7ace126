// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// The file-age value that queue entries store: the file's modification time as a
// DOS-packed local date and time (32-bit). Entries written by every version compare
// this value to tell whether their cached facts are stale.
namespace fileage {

// -1 when the file does not exist.
std::int32_t of(const QString& path);
std::int32_t pack(const QDateTime& local);

} // namespace fileage
