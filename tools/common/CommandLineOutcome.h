#pragma once

#include <QString>

namespace zenko::tools {

// Every misuse of a tool's command line ends the tool with this status.
inline constexpr int kUsageError = 2;

// What a command line asks for, apart from the settings it gives.
struct CommandLineAnswer {
    enum class Action { Run, Help, Version, Fail };
    Action action = Action::Run;
    // The help or version text, or a one-line reason for Fail.
    QString message;
    // For Fail: kUsageError.
    int exitStatus = 0;
};

template <typename Settings> struct CommandLineOutcome : CommandLineAnswer {
    Settings settings;

    static CommandLineOutcome Text(Action action, const QString& text) {
        CommandLineOutcome outcome;
        outcome.action = action;
        outcome.message = text;
        return outcome;
    }

    static CommandLineOutcome Refused(const QString& reason) {
        CommandLineOutcome outcome = Text(Action::Fail, reason);
        outcome.exitStatus = kUsageError;
        return outcome;
    }
};

} // namespace zenko::tools
