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
