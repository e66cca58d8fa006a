#include "ui/Skin.h"

#include <QApplication>
#include <QFile>

static void InitSkinResource()
{
    Q_INIT_RESOURCE(skin);
}

QString BuiltInSkin()
{
    InitSkinResource();
    QFile file(QStringLiteral(":/skin/tallywick.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QIcon BuiltInIcon()
{
    InitSkinResource();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icon/%1.png").arg(size), QSize(size, size));
    return icon;
}

void ApplyWidgetStyle(QApplication& application)
{
    application.setStyle(QStringLiteral("Fusion"));
}
