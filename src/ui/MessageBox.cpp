#include "ui/MessageBox.h"

#include "ui/Text.h"

#include <QMessageBox>
#include <QPointer>

bool TMessageBox::Show(const std::string& text, MessageKind kind, MessageButtons buttons)
{
    if (silenced_ || !responder_)
        return false;
    return responder_(text, kind, buttons);
}

MessageResponder DialogResponder(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const std::string& text, MessageKind kind, MessageButtons buttons) {
        // A line break written as CR LF or LF CR is one break on screen, as the texts mean it.
        QString shown = ToDisplay(text);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
        QMessageBox box(kind == MessageKind::Warning ? QMessageBox::Warning : QMessageBox::Information,
            owner ? owner->window()->windowTitle() : QString(), shown,
            buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
            owner.data());
        box.setDefaultButton(QMessageBox::Ok);
        // Messages name files and carry lines to copy (the statement to add by hand): shown
        // as written, never read as HTML, and selectable.
        box.setTextFormat(Qt::PlainText);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        return box.exec() == QMessageBox::Ok;
    };
}
