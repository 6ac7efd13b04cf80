#pragma once

#include <cstdio>
#include <optional>

#include <QString>

#include "common/CommandLineOutcome.h"

namespace zenko::tools {

// Scripts read the lines through a pipe, so each goes out whole at once.
void PrintLine(std::FILE* stream, const QString& line);

// "tool: reason" on standard error; returns exitStatus for main to return.
int PrintFailure(const char* tool, const QString& reason, int exitStatus);

// Help and version text go to standard output with status 0, a refusal to standard error as
// one line with its status; nothing when the tool is to run.
std::optional<int> AnswerWithoutRunning(const char* tool, const CommandLineAnswer& answer);

} // namespace zenko::tools
