#include "common/ToolOutput.h"

#include <QByteArray>

namespace zenko::tools {

void PrintLine(std::FILE* stream, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

int PrintFailure(const char* tool, const QString& reason, int exitStatus) {
    PrintLine(stderr, QLatin1String(tool) + QLatin1String(": ") + reason);
    return exitStatus;
}

std::optional<int> AnswerWithoutRunning(const char* tool, const CommandLineAnswer& answer) {
    switch (answer.action) {
    case CommandLineAnswer::Action::Help:
    case CommandLineAnswer::Action::Version:
        std::fputs(answer.message.toUtf8().constData(), stdout);
        return 0;
    case CommandLineAnswer::Action::Fail:
        return PrintFailure(tool, answer.message, answer.exitStatus);
    case CommandLineAnswer::Action::Run:
        break;
    }
    return std::nullopt;
}

} // namespace zenko::tools
