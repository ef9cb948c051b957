#pragma once
// What the download-and-install flow shows, as lines: its messages on stdout, its phases and
// percentages on stderr when that is a terminal.

#include "cli/Cli.h"
#include "online/DownloadFlow.h"
#include "platform/Console.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace hx::cli {

class TerminalFeedback : public DownloadFlowFeedback {
public:
    explicit TerminalFeedback(bool skipInstalled)
        : terminal_(platform::stderrIsTerminal()), skipInstalled_(skipInstalled)
    {
    }

    void showMessage(const std::string& text) override
    {
        endLine();
        std::cout << text << std::endl;
    }
    void showDetailedMessage(const std::string& text, const std::string& detail) override
    {
        showMessage(text);
        printDetail(detail);
    }
    void hideProgressPanel() override { endLine(); }
    bool confirm(const std::string& question) override
    {
        endLine();
        return answerInstalledCopy(question, skipInstalled_);
    }
    void enterPhase(FlowPhase phase) override
    {
        if (!terminal_)
            return;
        endLine();
        std::string line = phaseText(phase);
        if (const auto cut = line.find("\r\n"); cut != std::string::npos)
            line.replace(cut, 2, " ");
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    void setUnpackMeter(int percent) override
    {
        progress("unzipping " + std::to_string(percent) + "%");
    }
    void setTitles(const std::string&, const std::string& applicationTitle) override
    {
        if (applicationTitle != kApplicationTitle)
            progress(applicationTitle);
    }

private:
    void progress(const std::string& text)
    {
        if (!terminal_)
            return;
        std::fprintf(stderr, "\r%s   ", text.c_str());
        std::fflush(stderr);
        open_ = true;
    }
    void endLine()
    {
        if (open_)
            std::fputc('\n', stderr);
        open_ = false;
    }

    bool terminal_;
    bool skipInstalled_;
    bool open_ = false;
};

} // namespace hx::cli
