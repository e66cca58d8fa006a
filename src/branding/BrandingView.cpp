#include "branding/BrandingView.h"

#include "branding/BrandingFile.h"
#include "branding/BrandingRotation.h"
#include "branding/SkinFile.h"
#include "ui/Text.h"

#include <QBuffer>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPixmap>
#include <QWidget>

namespace {

// Banner pictures and skins are small; anything larger is not a reseller's file.
constexpr std::size_t kMaxBannerFileSize = 32u << 20;
constexpr std::size_t kMaxSkinFileSize = 32u << 20;

QByteArray ToBytes(const std::string& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::optional<QPixmap> DecodeStill(const QByteArray& bytes, const std::string& format)
{
    if (format.empty())
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The name says the format; bytes of another format are not guessed at.
    QImageReader reader(&buffer, QByteArray::fromStdString(format));
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return QPixmap::fromImage(image);
}

// A movie over its own copy of the bytes, stopped on its first frame; nothing when that frame
// does not decode.
QMovie* DecodeAnimated(const QByteArray& bytes, QObject* owner)
{
    auto* movie = new QMovie(owner);
    auto* buffer = new QBuffer(movie);
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    movie->setDevice(buffer);
    movie->setFormat("gif");
    if (!movie->isValid() || !movie->jumpToFrame(0) || movie->currentPixmap().isNull()) {
        delete movie;
        return nullptr;
    }
    return movie;
}

class ClickFilter final : public QObject {
public:
    ClickFilter(QWidget* widget, std::function<void()> onClick)
        : QObject(widget),
          onClick_(std::move(onClick))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* widget = static_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint()))
                onClick_();
        }
        return false;
    }

private:
    std::function<void()> onClick_;
};

} // namespace

bool ShowBannerPicture(const BannerViews& views, const std::string& bannerPath, const std::string& displayPath)
{
    const std::optional<std::string> file = ReadPackageFile(bannerPath, kMaxBannerFileSize);
    if (!file)
        return false;
    const QByteArray bytes = ToBytes(*file);
    if (IsAnimatedBannerPath(displayPath)) {
        QMovie* movie = DecodeAnimated(bytes, views.gifBanner);
        if (movie == nullptr)
            return false;
        views.imgBanner->hide();
        views.gifBanner->show();
        views.gifBanner->setMovie(movie);
        views.gifBanner->resize(movie->currentPixmap().size());
        movie->start();
        views.panBanner->setFixedHeight(views.gifBanner->height() + 10);
        return true;
    }
    const std::optional<QPixmap> picture = DecodeStill(bytes, StillBannerFormat(BannerDisplayName(displayPath)));
    if (!picture)
        return false;
    views.gifBanner->hide();
    views.imgBanner->show();
    views.imgBanner->setPixmap(*picture);
    views.imgBanner->resize(picture->size());
    views.panBanner->setFixedHeight(views.imgBanner->height() + 10);
    return true;
}

bool StyleSheetParses(const QString& styleSheet)
{
    // Qt reports a sheet it cannot parse only as a warning when a widget is polished with it.
    static bool failed = false;
    static QtMessageHandler previous = nullptr;
    failed = false;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type == QtWarningMsg && message.startsWith(QLatin1String("Could not parse")))
            failed = true;
        else if (previous != nullptr)
            previous(type, context, message);
    });
    {
        QWidget probe;
        probe.setStyleSheet(styleSheet);
        probe.ensurePolished();
    }
    qInstallMessageHandler(previous);
    return !failed;
}

std::optional<QString> LoadSkinStyleSheet(const std::string& path)
{
    const std::optional<std::string> file = ReadPackageFile(path, kMaxSkinFileSize);
    if (!file)
        return std::nullopt;
    const std::optional<std::string> styleSheet = ReadSkinFile(*file);
    if (!styleSheet)
        return std::nullopt;
    QString sheet = ToDisplay(*styleSheet);
    if (sheet.trimmed().isEmpty() || !StyleSheetParses(sheet))
        return std::nullopt;
    return sheet;
}

std::optional<QIcon> LoadIconFile(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path));
    QIcon icon;
    // An icon file holds one picture per size; each that decodes is kept.
    constexpr int kMaxPictures = 64;
    int picture = 0;
    do {
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    } while (++picture < kMaxPictures && reader.jumpToNextImage());
    if (icon.isNull())
        return std::nullopt;
    return icon;
}

void OnClick(QWidget* widget, std::function<void()> onClick)
{
    new ClickFilter(widget, std::move(onClick));
}
