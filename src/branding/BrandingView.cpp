#include "branding/BrandingView.h"

#include "branding/BrandingFile.h"
#include "branding/BrandingPictures.h"
#include "branding/BrandingRotation.h"
#include "branding/SkinFile.h"
#include "ui/Text.h"

#include <QBuffer>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPixmap>
#include <QWidget>

namespace {

// Skins are small; anything larger is not a reseller's file.
constexpr std::size_t kMaxSkinFileSize = 32u << 20;

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
    // The same decision the reseller's tool makes before it packs a picture.
    const std::optional<QImage> picture = DecodeBannerPicture(*file, displayPath);
    if (!picture)
        return false;
    if (IsAnimatedBannerPath(displayPath)) {
        auto* movie = new QMovie(views.gifBanner);
        auto* buffer = new QBuffer(movie);
        buffer->setData(file->data(), static_cast<qsizetype>(file->size()));
        buffer->open(QIODevice::ReadOnly);
        movie->setDevice(buffer);
        movie->setFormat("gif");
        views.imgBanner->hide();
        views.gifBanner->show();
        views.gifBanner->setMovie(movie);
        views.gifBanner->resize(picture->size());
        movie->start();
        views.panBanner->setFixedHeight(views.gifBanner->height() + 10);
        return true;
    }
    views.gifBanner->hide();
    views.imgBanner->show();
    views.imgBanner->setPixmap(QPixmap::fromImage(*picture));
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
    QIcon icon;
    for (const QImage& picture : DecodeIconPictures(path))
        icon.addPixmap(QPixmap::fromImage(picture));
    if (icon.isNull())
        return std::nullopt;
    return icon;
}

void OnClick(QWidget* widget, std::function<void()> onClick)
{
    new ClickFilter(widget, std::move(onClick));
}
