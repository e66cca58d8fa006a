#pragma once

// A balloon hint: a shaped window with a pointer whose tip sits on a screen point, the body
// opening below and to the left of it, with a 4-pixel shadow, in the tool-tip colours. It
// goes away at the user's next key press or mouse click, or when the program loses the
// activation.

#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>

class QWidget;

class TMessageHint : public QObject {
    Q_OBJECT
public:
    explicit TMessageHint(QObject* parent = nullptr);
    ~TMessageHint() override;

    // Lines are separated by CR LF (or a lone LF or CR). A balloon still showing goes first.
    void ShowMessage(const QString& text, const QPoint& screenPoint);
    void HideMessage();
    bool IsShowing() const;

    // What is showing, for whoever needs to look: the text, the tip's screen point, the window.
    QString Text() const { return text_; }
    QPoint TipPoint() const { return tip_; }
    QWidget* Window() const;

    static constexpr int kShadowDepth = 4;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Balloon;
    std::unique_ptr<Balloon> balloon_;
    QString text_;
    QPoint tip_;
    bool filtering_ = false;
};
