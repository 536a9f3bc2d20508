// Build-time tool: writes the program's icon files from its one picture (football.xpm, built in).
//
//   icon_export OUTPUT.png SIZE   the picture as a SIZE x SIZE PNG, for the desktop's icons
//   icon_export OUTPUT.ico        the Windows icon: 16, 32 and 48 pixels in one file
//
// Scaling is nearest-neighbour. Exit status 0 when the file is written, 1 when the picture cannot
// be read or the file not written, 2 on wrong use.
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Decoded the way the window's icon is (AppIcon), so that all icons show the same pixels.
#include "app/football.xpm"

constexpr int kIcoSizes[] = {16, 32, 48};
// An .ico file: a 6-byte header with the image count, one 16-byte entry per image (its offset at
// byte 12 of the entry), then the images. Each image is a DIB: a 40-byte header (bit count at byte
// 14), the pixels, then a one-bit transparency mask with rows padded to 32 bits.
constexpr int kIcoHeader = 6;
constexpr int kIcoEntry = 16;
constexpr int kIcoEntryOffsetField = 12;
constexpr int kDibHeader = 40;
constexpr int kDibBitCountField = 14;

std::runtime_error Failure(const QString& what) {
    return std::runtime_error(what.toStdString());
}

QImage LoadPicture() {
    const QImage picture(football_xpm);
    if (picture.isNull())
        throw Failure("football.xpm: cannot read the picture");
    return picture.convertToFormat(QImage::Format_ARGB32);
}

// Smooth scaling would blend the sixteen colours into new ones and blur the pixel art.
QImage Scaled(const QImage& picture, int size) {
    return picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush())
        throw Failure(path + ": cannot write");
}

void WritePng(const QImage& picture, int size, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!Scaled(picture, size).save(&buffer, "PNG"))
        throw Failure(path + ": cannot encode the PNG");
    WriteFile(path, bytes);
}

// The plugin leaves the padding at the end of each row of the transparency mask as it found it in
// memory; zeroed, the same picture always gives the same file, which the committed icon relies on.
void ZeroMaskPadding(QByteArray& ico, int size) {
    const qsizetype image = kIcoHeader + kIcoEntry;
    const qsizetype rowBytes = (size + 31) / 32 * 4;
    const qsizetype mask = image + kDibHeader + qsizetype{size} * size * 4;
    const auto* data = reinterpret_cast<const uchar*>(ico.constData());
    if (ico.size() != mask + rowBytes * size ||
        qFromLittleEndian<quint32>(data + image) != kDibHeader ||
        qFromLittleEndian<quint16>(data + image + kDibBitCountField) != 32)
        throw Failure("ico: the plugin wrote an image of another layout");
    for (qsizetype row = mask; row < ico.size(); row += rowBytes) {
        if (size % 8 != 0)
            ico[row + size / 8] = static_cast<char>(ico[row + size / 8] & (0xFF << (8 - size % 8)));
        for (qsizetype i = (size + 7) / 8; i < rowBytes; ++i)
            ico[row + i] = 0;
    }
}

// Qt's ico plugin writes one image per file; the Windows icon wants all sizes in one.
QByteArray SingleImageIco(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        throw Failure("ico: " + writer.errorString());
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    if (bytes.size() < kIcoHeader + kIcoEntry || qFromLittleEndian<quint16>(data + 4) != 1 ||
        qFromLittleEndian<quint32>(data + kIcoHeader + kIcoEntryOffsetField) !=
            kIcoHeader + kIcoEntry)
        throw Failure("ico: the plugin wrote an icon of another layout");
    ZeroMaskPadding(bytes, image.width());
    return bytes;
}

QByteArray JoinedIco(const std::vector<QByteArray>& singles) {
    QByteArray out(kIcoHeader, '\0');
    qToLittleEndian<quint16>(1, out.data() + 2);  // type: icon
    qToLittleEndian<quint16>(static_cast<quint16>(singles.size()), out.data() + 4);
    quint32 offset = kIcoHeader + kIcoEntry * static_cast<quint32>(singles.size());
    for (const QByteArray& single : singles) {
        QByteArray entry = single.mid(kIcoHeader, kIcoEntry);
        qToLittleEndian<quint32>(offset, entry.data() + kIcoEntryOffsetField);
        out += entry;
        offset += static_cast<quint32>(single.size() - kIcoHeader - kIcoEntry);
    }
    for (const QByteArray& single : singles)
        out += single.mid(kIcoHeader + kIcoEntry);
    return out;
}

void WriteIco(const QImage& picture, const QString& path) {
    std::vector<QByteArray> singles;
    for (int size : kIcoSizes)
        singles.push_back(SingleImageIco(Scaled(picture, size)));
    WriteFile(path, JoinedIco(singles));
}

}  // namespace

int main(int argc, char** argv) {
    // The application object lets Qt find its image format plugins (ico).
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool sizeOk = false;
    const int size = args.size() == 3 ? args[2].toInt(&sizeOk) : 0;
    const bool png = args.size() == 3 && args[1].endsWith(".png") && sizeOk && size > 0;
    const bool ico = args.size() == 2 && args[1].endsWith(".ico");
    if (!png && !ico) {
        std::fputs("usage: icon_export OUTPUT.png SIZE | icon_export OUTPUT.ico\n", stderr);
        return 2;
    }
    try {
        const QImage picture = LoadPicture();
        if (png)
            WritePng(picture, size, args[1]);
        else
            WriteIco(picture, args[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "icon_export: %s\n", error.what());
        return 1;
    }
    return 0;
}
