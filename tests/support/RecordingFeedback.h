#pragma once
// A feedback for tests that records what the logic layer shows the user.

#include "online/DownloadFlow.h"

#include <string>
#include <vector>

namespace hx::test {

// Records every message and counts how often the progress panel was hidden. It serves the
// download flow as well; the flow's phases, meter and titles are not recorded.
struct RecordingFeedback : DownloadFlowFeedback {
    std::vector<std::string> messages;
    int hidden = 0;

    void showMessage(const std::string& text) override { messages.push_back(text); }
    void hideProgressPanel() override { ++hidden; }
};

} // namespace hx::test
