#include "cli/pipeline/PipelineOptions.h"

#include <algorithm>
#include <charconv>

namespace lumerra::cli::pipeline {

namespace {

uint64_t Count(const std::string& Option, const std::string& Text, uint64_t Most) {
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (Text.empty() || error != std::errc() || end != Text.data() + Text.size() || value > Most)
        throw EUsageError("invalid value of " + Option + ": " + Text);
    return value;
}

bool Reads(const std::string& Command) {
    return Command == "info" || Command == "decode" || Command == "check" || Command == "triage" ||
           Command == "revisions" || Command == "show";
}

}  // namespace

std::optional<TPipelineOptions> TakePipelineOptions(std::vector<std::string>& Args) {
    if (Args.empty() || !Reads(Args[0])) return std::nullopt;
    const auto end = std::find(Args.begin() + 1, Args.end(), "--");
    const bool listed = std::any_of(Args.begin() + 1, end, [](const std::string& Arg) {
        return Arg == "--files-from" || Arg.rfind("--files-from=", 0) == 0;
    });
    TPipelineOptions options;
    std::vector<std::string> kept{Args[0]};
    std::string first;  // the first pipeline option
    size_t i = 1;
    for (; i < Args.size() && Args[i] != "--"; ++i) {
        std::string option = Args[i];
        std::optional<std::string> value;
        if (const size_t equals = option.find('='); option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        const bool takesValue = option == "--files-from" || option == "--timeout" || option == "--max-memory" ||
                                option == "--shard" || option == "--resume" ||
                                (listed && (option == "-j" || option == "--jobs" || option == "--threads"));
        if (!takesValue && option != "-0") {
            kept.push_back(Args[i]);
            continue;
        }
        if (first.empty()) first = option;
        if (takesValue && !value) {
            if (i + 1 >= Args.size()) throw EUsageError("option " + option + " needs a value");
            value = Args[++i];
        }
        if (option == "--files-from") {
            if (value->empty()) throw EUsageError("empty file list name");
            options.FilesFrom = *value;
        } else if (option == "-0") {
            options.Separator = '\0';
        } else if (option == "--timeout") {
            options.Limits.Timeout = std::chrono::seconds(Count(option, *value, 7 * 24 * 3600));
        } else if (option == "--max-memory") {
            options.Limits.MaxMemoryMiB = Count(option, *value, uint64_t{1} << 30);
        } else if (option == "--shard") {
            options.Shard = ParseShard(*value);
            if (!options.Shard) throw EUsageError("invalid shard (K/N with 0 <= K < N): " + *value);
        } else if (option == "--resume") {
            if (value->empty()) throw EUsageError("empty record file name");
            options.Resume = *value;
        } else {
            const uint64_t jobs = Count(option, *value, 256);
            if (jobs == 0) throw EUsageError("invalid job count: " + *value);
            options.Jobs = static_cast<int32_t>(jobs);
        }
    }
    if (first.empty()) return std::nullopt;
    if (!listed) throw EUsageError("option " + first + " needs --files-from");
    if (options.Limits.Timeout.count() == 0) options.Limits.Timeout = std::chrono::milliseconds::max() / 2;
    // The list's paths stand where the command expects its files: first,
    // so that show's WHATs still follow its file.
    kept.insert(kept.begin() + 1, ListedInputs);
    kept.insert(kept.end(), Args.begin() + static_cast<std::ptrdiff_t>(i), Args.end());
    Args = std::move(kept);
    return options;
}

bool JsonAsked(const TArguments& Arguments) {
    switch (Arguments.Command) {
        case TCommand::Decode: return Arguments.Decode.Json;
        case TCommand::Check: return Arguments.Check.Json;
        case TCommand::Show: return Arguments.Show.Json;
        default: return Arguments.Json;
    }
}

void CheckPipelineArguments(const TArguments& Arguments, const TPipelineOptions& Options) {
    const size_t inputs = Arguments.Command == TCommand::Decode  ? Arguments.Decode.Inputs.size()
                          : Arguments.Command == TCommand::Check ? Arguments.Check.Inputs.size()
                          : Arguments.Command == TCommand::Show  ? 1
                                                                 : Arguments.Inputs.size();
    if (inputs != 1) throw EUsageError("--files-from gives the files: name no FILE beside it");
    if (Arguments.Command == TCommand::Decode && !Arguments.Decode.Output.empty())
        throw EUsageError("-o names one report: use --output-dir with --files-from");
    if (!Options.Resume.empty() && !JsonAsked(Arguments)) throw EUsageError("--resume needs --json");
}

}  // namespace lumerra::cli::pipeline
