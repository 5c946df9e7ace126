// SPDX-License-Identifier: MIT
#pragma once

// Byte layout of a .QU3 queue file. Every queue file ever written by the program
// uses these numbers, so none of them may change: old files must stay readable and
// files we write must stay readable by older builds.

#include <cstddef>
#include <cstdint>

namespace qu3 {

// Sizes of the file's parts. A record r (1-based) starts at (r + 5) * kRecordSize;
// the header takes records 0..4 and record 5 belongs to no entry.
inline constexpr std::size_t kHeaderSize = 25600;
inline constexpr std::size_t kRecordSize = 5120;
inline constexpr int kFirstRecordSlot = 5;
inline constexpr int kMaxEntries = 6000;

constexpr std::int64_t recordOffset(int recordNumber) {
    return static_cast<std::int64_t>(recordNumber + kFirstRecordSlot) * static_cast<std::int64_t>(kRecordSize);
}

// Short strings: one length byte followed by the capacity in bytes.
inline constexpr int kFolderCapacity = 128;
inline constexpr int kPathCapacity = 255;

// Signatures: the current one and the two of earlier versions, which are refused.
inline constexpr char kSignature[] = "QU3";
inline constexpr char kOldSignatureQu2[] = "QU2";
inline constexpr char kOldSignatureQue[] = "QUE";

// Header fields (all integers little-endian, 16-bit fields signed).
namespace header {
inline constexpr std::size_t kSignature = 0;        // 3 bytes
inline constexpr std::size_t kCurrentPosition = 4;  // int16
inline constexpr std::size_t kRelinkFolder = 6;     // short string, capacity 128
inline constexpr std::size_t kImageFolder = 135;    // short string, capacity 128
inline constexpr std::size_t kOrderMode = 264;      // uint8: 1 sequential, 2 random
inline constexpr std::size_t kGammaOn = 265;        // uint8
inline constexpr std::size_t kSorted = 266;         // uint8
inline constexpr std::size_t kEntryCount = 268;     // int16
inline constexpr std::size_t kNoDefaultSound = 270; // uint8
inline constexpr std::size_t kReserved271 = 271;    // uint8, carried over by a new header
inline constexpr std::size_t kStartWithFirst = 272; // uint8
inline constexpr std::size_t kTiled = 273;          // uint8
// The two resize rules store the height before the width.
inline constexpr std::size_t kLargeMode = 274;       // uint8
inline constexpr std::size_t kLargeHeight = 276;     // int16
inline constexpr std::size_t kLargeWidth = 278;      // int16
inline constexpr std::size_t kLargeFixed = 280;      // uint8
inline constexpr std::size_t kSmallMode = 281;       // uint8
inline constexpr std::size_t kSmallHeight = 282;     // int16
inline constexpr std::size_t kSmallWidth = 284;      // int16
inline constexpr std::size_t kSmallFixed = 286;      // uint8
inline constexpr std::size_t kThresholdWidth = 288;  // int16
inline constexpr std::size_t kThresholdHeight = 290; // int16
inline constexpr std::size_t kFolderQueue = 292;     // uint8
inline constexpr std::size_t kDefaultSound = 293;    // short string, capacity 255
inline constexpr std::size_t kRecordUse = 1600;      // 6000 x int16, element r at 1600 + 2(r-1)
inline constexpr std::size_t kRecordIndex = 13600;   // 6000 x int16, entry n at 13600 + 2(n-1)
} // namespace header

// Entry record fields.
namespace entry {
inline constexpr std::size_t kFilePath = 0;       // short string, capacity 255
inline constexpr std::size_t kFileDate = 256;     // int32, DOS-packed local date and time
inline constexpr std::size_t kTiled = 260;        // uint8
inline constexpr std::size_t kBitsPerPixel = 261; // int8
inline constexpr std::size_t kReserved262 = 262;  // 2 bytes, zeroed by Add
inline constexpr std::size_t kWidth = 264;        // int16
inline constexpr std::size_t kHeight = 266;       // int16
inline constexpr std::size_t kFactsKnown = 268;   // uint8
inline constexpr std::size_t kResizeMode = 269;   // uint8, 0..3
inline constexpr std::size_t kFixedSize = 270;    // uint8
inline constexpr std::size_t kFixedWidth = 272;   // int16
inline constexpr std::size_t kFixedHeight = 274;  // int16
inline constexpr std::size_t kSoundOption = 276;  // uint8: 0 default, 1 none, 2 own
inline constexpr std::size_t kSoundPath = 277;    // short string, capacity 255
inline constexpr std::size_t kThumbnail = 1119;   // 4000 bytes of the compressed thumbnail
inline constexpr std::size_t kThumbnailSize = 4000;
} // namespace entry

static_assert(header::kRecordIndex + 2 * kMaxEntries == kHeaderSize, "record index table ends the header");
static_assert(header::kRecordUse + 2 * kMaxEntries == header::kRecordIndex, "tables are adjacent");
static_assert(header::kDefaultSound + 1 + kPathCapacity == 549, "default sound path ends at the reserved block");
static_assert(header::kImageFolder + 1 + kFolderCapacity == header::kOrderMode, "image folder precedes the order mode");
static_assert(header::kRelinkFolder + 1 + kFolderCapacity == header::kImageFolder, "folders are adjacent");
static_assert(entry::kSoundPath + 1 + kPathCapacity == 533, "sound path ends at the reserved block");
static_assert(entry::kThumbnail + entry::kThumbnailSize + 1 == kRecordSize, "one reserved byte ends a record");
static_assert(kHeaderSize == kFirstRecordSlot * kRecordSize, "the header fills the first five record slots");
static_assert(recordOffset(1) == 30720 && recordOffset(kMaxEntries) + kRecordSize == 30750720, "record placement");

// Resize modes shared by the queue rules and the entries.
enum ResizeMode : std::uint8_t { Proportional = 0, Stretch = 1, NoResize = 2, UseDefault = 3 };
// Sound options of an entry.
enum SoundOption : std::uint8_t { DefaultSound = 0, NoSound = 1, OwnSound = 2 };

} // namespace qu3
