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

void ApplyWidgetStyle(QApplication& application)
{
    application.setStyle(QStringLiteral("Fusion"));
}
