#pragma once

// Every message of the program goes through one component (the main window's `msgMain`),
// so tests can answer for the user and a closing program can stay silent.

#include <functional>
#include <string>

class QWidget;

enum class MessageKind { Warning, Information };
enum class MessageButtons { Ok, OkCancel };

// Shows the text and returns true when the user chose OK.
using MessageResponder = std::function<bool(const std::string& text, MessageKind, MessageButtons)>;

class TMessageBox {
public:
    explicit TMessageBox(MessageResponder responder)
        : responder_(std::move(responder))
    { }

    // True when the user chose OK. While silenced nothing is shown and the answer is Cancel.
    bool Show(const std::string& text, MessageKind kind, MessageButtons buttons);
    void Silence() { silenced_ = true; }

private:
    MessageResponder responder_;
    bool silenced_ = false;
};

// The real dialog, a skinned modal message box over `parent`.
MessageResponder DialogResponder(QWidget* parent);
