#include "branding/BrandingPictures.h"

#include "branding/BrandingRotation.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

std::optional<QImage> DecodeBannerPicture(const std::string& bytes, const std::string& displayPath)
{
    const std::string format = BannerPictureFormat(displayPath);
    if (format.empty())
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    buffer.open(QIODevice::ReadOnly);
    // The name says the format; bytes of another format are not guessed at. For a GIF this is
    // the reader an animation plays through, so its first frame decodes exactly when it plays.
    QImageReader reader(&buffer, QByteArray::fromStdString(format));
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

std::vector<std::string> ShowableBannerFormats()
{
    std::vector<std::string> formats;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        formats.push_back(format.toLower().toStdString());
    std::sort(formats.begin(), formats.end());
    formats.erase(std::unique(formats.begin(), formats.end()), formats.end());
    return formats;
}

bool BannerFormatShowable(const std::string& displayPath)
{
    const std::string format = BannerPictureFormat(displayPath);
    const std::vector<std::string> formats = ShowableBannerFormats();
    return !format.empty() && std::binary_search(formats.begin(), formats.end(), format);
}

std::vector<QImage> DecodeIconPictures(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path));
    std::vector<QImage> pictures;
    // An icon file holds one picture per size; each that decodes is kept.
    constexpr int kMaxPictures = 64;
    int picture = 0;
    do {
        QImage image = reader.read();
        if (!image.isNull())
            pictures.push_back(std::move(image));
    } while (++picture < kMaxPictures && reader.jumpToNextImage());
    return pictures;
}
