#pragma once

// What the main window shows of a reseller's package: the banner picture, the skin and the
// icon. Each loader takes the bytes as they are and gives nothing for what does not decode.

#include <QIcon>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class QWidget;

struct BannerViews {
    QFrame* panBanner;
    QLabel* imgBanner;
    QLabel* gifBanner;
};

// Shows the picture held in the banner file: animated in gifBanner when the display path says
// GIF, else in imgBanner as the still format its extension names. The view takes the picture's
// size and the panel its height plus 10. False, with nothing changed, when the file is missing
// or its bytes do not decode that way.
bool ShowBannerPicture(const BannerViews& views, const std::string& bannerPath, const std::string& displayPath);

// The style sheet of a skin file, when the file holds one that the style sheet parser takes.
std::optional<QString> LoadSkinStyleSheet(const std::string& path);

// Whether Qt parses the style sheet; a sheet it cannot parse would leave a window unstyled.
bool StyleSheetParses(const QString& styleSheet);

// The icon in an icon file, when at least one of its pictures decodes.
std::optional<QIcon> LoadIconFile(const std::string& path);

// Calls `onClick` after each left click on the widget (press and release on it).
void OnClick(QWidget* widget, std::function<void()> onClick);
