#pragma once
// How the logic layer talks to the user. Each front end implements it: modal boxes in the
// window, lines on the terminal, a recorder in the tests.

#include <string>

namespace hx {

// How a user action ended, so a front end can tell a completion from a refusal.
enum class Outcome {
    Completed, // the action did its work (possibly with a completion message)
    Refused,   // it stopped at one of the system's refusal messages
    Stopped,   // it stopped without a message (a failed download, a bad archive)
    Skipped,   // nothing was to be done: the livery is installed and no second copy was wanted
};

class Feedback {
public:
    virtual ~Feedback() = default;
    // A modal message box with the system's exact text.
    virtual void showMessage(const std::string& text) = 0;
    // The same message with a detail the user can act on (which package, what was installed).
    // The text stays the system's own; a front end without room for the detail shows the text.
    virtual void showDetailedMessage(const std::string& text, const std::string& detail)
    {
        (void)detail;
        showMessage(text);
    }
    // Hides the progress panel (install and removal failures hide it too).
    virtual void hideProgressPanel() {}
    // Lets the front end handle pending events during long work.
    virtual void processEvents() {}
    // The lists of a panel were refilled; a window shows them before the message that follows.
    virtual void listsChanged() {}
    // A question with Yes and No; true for Yes, which goes on as though it had not been asked.
    virtual bool confirm(const std::string& question)
    {
        (void)question;
        return true;
    }
};

// The text of the standard error box: the message with a full stop added when its last
// character sorts above ".".
inline std::string errorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

} // namespace hx
