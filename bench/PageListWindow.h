#pragma once

// The main window, shown offscreen with no server, and page-list answers of any size for it.

#include "shell/FMain.h"

#include <QTimer>

#include <cstdio>
#include <random>
#include <string>

// Pages in a thousand sections with random names and hit counts, the same on every run.
inline std::string PageListAnswer(int records)
{
    std::mt19937 random(7);
    std::string answer;
    answer.reserve(static_cast<size_t>(records) * 48);
    for (int i = 0; i < records; ++i) {
        answer += "\"" + std::to_string(i) + "\",\"/section" + std::to_string(random() % 1000) + "/page"
            + std::to_string(random()) + ".php\",\"" + std::to_string(random() % 100000) + "\"^";
    }
    return answer + "OK";
}

// A window that lives as long as the program; every question is answered with Cancel, and
// a message, which no benchmark expects, is printed.
inline TfrmMain& ShownWindow(AppContext context = {})
{
    context.programDirectory = "/nonexistent";
    context.messageResponder = [](const std::string& text, MessageKind, MessageButtons) {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return false;
    };
    auto* window = new TfrmMain(std::move(context));
    window->Timer1->stop();
    window->show();
    return *window;
}
