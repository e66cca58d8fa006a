#include "ui/UnexpectedError.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{ }

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportUnexpectedError(error.what());
    } catch (...) {
        ReportUnexpectedError("unknown error");
    }
    return false;
}

void TApplication::SetUnexpectedErrorReporter(std::function<void(const std::string&)> reporter)
{
    reporter_ = std::move(reporter);
}

void TApplication::ReportUnexpectedError(const std::string& what)
{
    const std::string text = std::string(kUnexpectedErrorText) + "\n" + what;
    if (reporter_)
        reporter_(text);
}

void RunGuarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        if (auto* application = dynamic_cast<TApplication*>(QCoreApplication::instance()))
            application->ReportUnexpectedError(error.what());
    } catch (...) {
        if (auto* application = dynamic_cast<TApplication*>(QCoreApplication::instance()))
            application->ReportUnexpectedError("unknown error");
    }
}
