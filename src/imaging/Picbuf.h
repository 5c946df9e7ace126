// SPDX-License-Identifier: MIT
#pragma once

#include "PicbufBitmap.h"
#include "PicbufError.h"

#include <Magick++.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

// The imaging control the forms host invisibly. It holds at most one image.
//
// A failing operation sets errorNumber() and throws PicbufError carrying the same
// code and the library's text.
//
// Formats (imageFormat): AnyFormat and AnyFormatLast detect the format from the file.
// load() detects the format by content whatever the format set (the loaders walk the
// formats in turn and should stop at the first that reads), except that Tga forces TGA,
// which has no signature; after a successful load(), imageFormat() is the format found.
// store() writes the format set.
//
// Only JPEG, GIF, BMP, PCX, PNG, TIFF and TGA are read: files in any other format the
// library knows (scripts, vector and document formats among them) are refused with
// the reading code, because every file a user drops on the program reaches load().
//
// Sizes: width()/height() are the size of the image as held (after a size
// hint, the decoded size); fileWidth()/fileHeight() are the size the file declares.
class Picbuf {
public:
    // Numbered as the format codes of the imaging control this class stands in for.
    enum Format { AnyFormat = 1, Pcx = 2, Bmp = 3, Gif = 4, Png = 5, Tiff = 6, Jpeg = 7, Tga = 8, AnyFormatLast = 9 };
    // How assignFrom scales: nearest pixel, or Lanczos resampling.
    enum class ResizeFilter { Nearest, Lanczos };
    // How assignFrom takes the other image: a copy, or scaled into this control's current size.
    enum class AssignMode { Copy, ScaleToSize };

    // Side limits and pixel count above which a file is refused as unreadable
    // before any pixel memory is taken.
    static constexpr unsigned kMaxSide = 30000;
    static constexpr std::uint64_t kMaxPixels = 120'000'000;

    // Once per process, on the main thread, before the first control is used.
    static void initialize(const char* argv0);

    Picbuf();
    ~Picbuf();
    Picbuf(const Picbuf&) = delete;
    Picbuf& operator=(const Picbuf&) = delete;

    // ---- properties
    const std::string& fileName() const { return m_fileName; }
    void setFileName(const std::string& name) { m_fileName = name; }
    Format imageFormat() const { return m_imageFormat; }
    void setImageFormat(Format format) { m_imageFormat = format; }
    int imageNumber() const { return m_imageNumber; }
    void setImageNumber(int n) { m_imageNumber = n; }
    // JPEG quality 1..100 for store() as Jpeg; other formats ignore it.
    int writeCompression() const { return m_writeCompression; }
    void setWriteCompression(int q) { m_writeCompression = q; }
    bool hasImage() const { return m_held; }
    int width() const;
    int height() const;
    // The file's own size as declared in its header (0 when no file was loaded).
    int fileWidth() const { return m_held ? m_fileWidth : 0; }
    int fileHeight() const { return m_held ? m_fileHeight : 0; }
    // 1, 4 or 8 for a palette image (greyscale counts as an 8-bit palette), 24 for
    // true colour, 0 when empty.
    int colorDepth() const;
    int errorNumber() const { return m_errorNumber; }
    AssignMode assignMode() const { return m_assignMode; }
    void setAssignMode(AssignMode mode) { m_assignMode = mode; }
    ResizeFilter resizeFilter() const { return m_resizeFilter; }
    void setResizeFilter(ResizeFilter filter) { m_resizeFilter = filter; }
    // Called with a percentage during long operations; returning false aborts the
    // operation, which then fails with PicbufCode::Aborted.
    const std::function<bool(int)>& progressCallback() const { return m_progressCallback; }
    void setProgressCallback(std::function<bool(int)> callback) { m_progressCallback = std::move(callback); }
    // Load decodes a JPEG larger than w x h at a reduced size no smaller than w x h
    // (0, 0 = full size). Other formats always load at full size.
    void setLoadSizeHint(int w, int h);
    // Asked during Load, once the file's own size is known, for the size hint to use
    // (0, 0 for none); takes precedence over setLoadSizeHint. Lets a caller that only
    // knows its target size after reading the file's header still decode it smaller.
    using SizeHintFor = std::function<std::pair<int, int>(int fileWidth, int fileHeight)>;
    void setLoadSizeHintFor(SizeHintFor hintFor) { m_hintFor = std::move(hintFor); }

    // ---- operations
    void load();
    // `written`, when given, receives the bytes written to the file.
    void store(Magick::Blob* written = nullptr);
    // Number of images in the file named by fileName().
    int imageCount();
    // depth 1, 4 or 8 gives a palette image (a grey ramp, every pixel index 0); more
    // gives a black true-colour image.
    void createImage(int depth, int width, int height);
    void assignFrom(const Picbuf& other);
    // Scales the image to width x height with the resize filter; a palette image keeps
    // its palette. The file's own size stays what it was.
    void resizeTo(int width, int height);
    // Takes the other image's palette, entry for entry, and maps every pixel to its
    // nearest entry.
    void copyPalette(const Picbuf& other);
    // 5 leaves the image as it is. Below 5 the gamma is 1 + (5 - c) / 4, above 5 it is
    // 1 - (c - 5) / 5 (c = 3 is gamma 1.5, c = 7.5 gamma 0.5). Gamma above 1 brightens
    // the mid-tones (mid-grey 128 becomes about 161 at 1.5), below 1 darkens them;
    // black and white stay.
    void gammaCorrect(double c);
    // Quantises to at most `count` colours into a palette image. `dither` chooses
    // error-diffusion dithering. It never asks for the 20166 retry.
    void reduceColors(int count, bool dither);
    // Fills a palette of fewer than 256 entries up to 256: first with the twenty
    // colours Windows reserves, then black. Pixels keep their colours.
    void completePalette();
    // bits >= 15 turns a palette image into true colour; smaller values grow the
    // palette to 2^bits entries. Never lowers the depth.
    void raiseColorDepth(int bits);
    // Palette entries as 0xRRGGBB.
    std::uint32_t paletteColor(int index) const;
    void setPaletteColor(int index, std::uint32_t rgb);
    void loadBitmap(const PicbufBitmap& bitmap);
    PicbufBitmap makeBitmap() const;
    // Empties the control.
    void release();

    // The image as held, for tests and the rendering code's own checks.
    const Magick::Image& image() const { return m_image; }

private:
    friend class PicbufMonitorScope;
    // What an exception of the imaging library means for the operation that met it.
    enum class LibraryFailure { Reading, Writing, BadArgument };
    // Whether an operation reports progress, and so can be aborted by the callback.
    enum class Progress { Reported, Silent };

    // Runs one operation's body and turns every failure in it into a PicbufError
    // whose code is left in errorNumber().
    void guarded(const char* operation, LibraryFailure meaning, Progress progress,
                 const std::function<void()>& body) const;
    [[noreturn]] void fail(int code, const std::string& text) const;
    void requireImage(const char* operation) const;
    void checkAborted(const char* operation) const;
    bool reportProgress(std::int64_t quantum, std::uint64_t span) const;
    void storeEncoded(const Magick::Blob& blob);
    Magick::Image scaledCopyOf(const Magick::Image& source, unsigned width, unsigned height, int depth) const;

    Magick::Image m_image;
    bool m_held = false;
    std::string m_fileName;
    Format m_imageFormat = AnyFormat;
    int m_imageNumber = 0;
    int m_writeCompression = 0;
    int m_fileWidth = 0;
    int m_fileHeight = 0;
    mutable int m_errorNumber = 0;
    AssignMode m_assignMode = AssignMode::Copy;
    ResizeFilter m_resizeFilter = ResizeFilter::Lanczos;
    int m_hintWidth = 0;
    int m_hintHeight = 0;
    // The operation under way: whether its callback asked to stop, and the thread it runs on.
    mutable std::atomic<bool> m_aborted{false};
    mutable std::thread::id m_owner;
    std::function<bool(int)> m_progressCallback;
    SizeHintFor m_hintFor;
};
