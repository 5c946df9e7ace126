// SPDX-License-Identifier: MIT
#include "ImageMessages.h"

#include "imaging/Picbuf.h"
#include "queue/PathSplit.h"
#include "wallpaper/Prompter.h"

#include <QFile>
#include <QFileInfo>

namespace imagemessages {

QString forCode(int code, const QString& fileName) {
    switch (code) {
    case 20100:
    case 20101:
    case 20103:
    case 20104:
    case 20106:
    case 20109:
    case 20130:
    case 20131:
    case 20170:
    case 20180:
    case 20181:
    case 20183:
    case 20196:
    case 20300:
        return QStringLiteral("There was a problem reading ") + fileName +
               QStringLiteral(".  The file may be corrupted, or the file type is not a graphics type that this "
                              "program can read.");
    case 20102:
    case 20136:
        return QStringLiteral("The system is too low on memory for Vistrel/32 to perform this action.");
    case 20107:
    case 20182:
    case 20184:
    case 20185:
        return QStringLiteral("A file write error occurred.  There may be inadequate disk space available, or the "
                              "file may be read-only.");
    case 20133:
        return QStringLiteral("This appears to be a format that has an unsupported compression scheme.  Vistrel/32 "
                              "cannot read it.");
    case 20169:
        return QStringLiteral("This TIFF file was compressed with LZW.  Vistrel/32 is not licensed to read/write LZW "
                              "TIFF.  Another application will have to be used to convert this file to uncompressed "
                              "format before Vistrel/32 can read it.");
    case 20174:
        return fileName + QStringLiteral(" is in a JPEG file type not supported by Vistrel/32.  Vistrel/32 supports "
                                         "only JFIF standard JPEG files.  If you have another utility that will read "
                                         "this file, try loading it and resaving it.");
    case 20201:
        return fileName + QStringLiteral(" has a colorspace (perhaps CMYK?) that this program cannot read.");
    default:
        return QStringLiteral("Unexpected error number ") + QString::number(code) +
               QStringLiteral(" occurred.  Please contact the author to let him know this.");
    }
}

QString missingFile(const QString& path) {
    return path + QStringLiteral(" does not exist or has been moved");
}

void loadWithMessages(Picbuf& control, const QString& path, Prompter& prompter, bool closing) {
    if (closing) return;
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty() || !QFileInfo(trimmed).isFile()) {
        prompter.message(missingFile(path), Prompter::Icon::Information, QStringLiteral("Information"));
        control.release();
        return;
    }
    // Windows ignores trailing blanks in file names; here they would name another file.
    control.setFileName(QFile::encodeName(trimmed).toStdString());
    control.setImageNumber(0);
    // One read: the format comes from the content (TGA, which has none, from the name), so
    // trying other format codes would only decode a broken file again.
    control.setImageFormat(Picbuf::AnyFormat);
    try {
        control.load();
        return;
    } catch (const PicbufError&) {
    }
    const int error = control.errorNumber();
    control.release();
    prompter.message(forCode(error, splitPath(path.trimmed()).fileName), Prompter::Icon::Information,
                     QStringLiteral("Information"));
}

} // namespace imagemessages
