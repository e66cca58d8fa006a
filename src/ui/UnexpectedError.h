#pragma once

// The application object. An exception that escapes an event handler ends that handler
// only: the reporter shows it and the program goes on.

#include <QApplication>

#include <functional>
#include <string>

inline constexpr const char* kUnexpectedErrorText = "An unexpected error occurred:";

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Receives "An unexpected error occurred:", a line break and the error's text.
    void SetUnexpectedErrorReporter(std::function<void(const std::string&)> reporter);
    void ReportUnexpectedError(const std::string& what);

private:
    std::function<void(const std::string&)> reporter_;
};

// Runs an event handler's work: an exception escaping it is reported through the
// application's handler and goes no further. Handlers are wrapped where they are connected,
// so an error never unwinds through the toolkit's own event code; `notify` is the last resort.
void RunGuarded(const std::function<void()>& work);

// A handler of `owner` as a slot that runs guarded.
template <typename Owner, typename... Args> auto Guarded(Owner* owner, void (Owner::*handler)(Args...))
{
    return [owner, handler](Args... args) { RunGuarded([&] { (owner->*handler)(args...); }); };
}
