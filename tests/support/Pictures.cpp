#include "support/Pictures.h"

#include <QBuffer>
#include <QImage>

#include <stdexcept>

std::string StillPicture(const char* format, int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        throw std::runtime_error(std::string("Qt cannot write ") + format);
    return bytes.toStdString();
}
