#pragma once
// Shared conventions of hangarix-cli. Each sub-command lives in a file of its own and registers
// itself with HX_CLI_COMMAND; main.cpp parses the global options, runs the start-up steps the
// window runs, and dispatches.
//
// Exit status: 0 when the action ends normally or with its completion message, 1 when it ends
// at one of the system's refusal messages, 2 on an error (printed on stderr).

#include "history/History.h"
#include "packages/Feedback.h"
#include "packages/Simulator.h"
#include "platform/Registry.h"

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hx::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitError = 2;

// A refusal and a stop without a message both end with kExitRefused; a livery left alone
// because it is installed already ends normally.
inline int exitCode(Outcome outcome)
{
    return outcome == Outcome::Completed || outcome == Outcome::Skipped ? kExitOk : kExitRefused;
}

// The window's question about a livery already installed, answered on stderr: Yes, as the
// window's Yes, unless --skip-installed was given.
inline bool answerInstalledCopy(const std::string& question, bool skipInstalled)
{
    std::cerr << question << (skipInstalled ? " No (--skip-installed)" : " Yes") << std::endl;
    return !skipInstalled;
}

// A message's detail (what was installed, skipped, or where a run stopped), on stderr.
inline void printDetail(const std::string& detail)
{
    if (!detail.empty())
        std::cerr << detail << std::endl;
}

// Messages of the window's boxes become lines on stdout; their details lines on stderr.
class CliFeedback : public Feedback {
public:
    void showMessage(const std::string& text) override { std::cout << text << std::endl; }
    void showDetailedMessage(const std::string& text, const std::string& detail) override
    {
        showMessage(text);
        printDetail(detail);
    }
    bool confirm(const std::string& question) override
    {
        return answerInstalledCopy(question, skipInstalled);
    }
    bool skipInstalled = false; // --skip-installed
};

struct Context {
    std::string startupFolder; // the current folder after -C, without trailing separator
    Simulator sim;             // after the start-up look-up and --sim/--root
    std::string catalogueUrl;  // --catalogue-url or the built-in one
    std::unique_ptr<platform::Registry> registry;
    std::unique_ptr<History> history; // in the start-up folder; every change records into it
    CliFeedback feedback;
};

using CommandFn = int (*)(Context& ctx, const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* usage;   // arguments, e.g. "PRODUCT INDEX"
    const char* summary; // one line
    CommandFn run;
};

// Registers a command at static-initialisation time (the CLI links its objects directly).
struct CommandRegistrar {
    explicit CommandRegistrar(const Command& command);
};
const std::vector<Command>& commands();

// Thrown by a command for wrong arguments: printed with the usage, exit 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a non-negative index argument or throws UsageError.
int parseIndex(const std::string& text);

} // namespace hx::cli

#define HX_CLI_CONCAT2(a, b) a##b
#define HX_CLI_CONCAT(a, b) HX_CLI_CONCAT2(a, b)
#define HX_CLI_COMMAND(name, usage, summary, fn)                                                   \
    static const ::hx::cli::CommandRegistrar HX_CLI_CONCAT(hxCliCommand_, __LINE__)(               \
        ::hx::cli::Command{name, usage, summary, fn})
