#include "cli/pipeline/PipelineRun.h"

#include <unistd.h>

#include <iostream>
#include <map>
#include <set>

#include "cli/JsonLines.h"
#include "cli/pipeline/FileList.h"
#include "cli/pipeline/FileStatus.h"
#include "cli/pipeline/FileWork.h"
#include "cli/pipeline/ResumeLog.h"
#include "common/Exceptions.h"

namespace lumerra::cli::pipeline {

namespace {

const char* CommandName(TCommand Command) {
    switch (Command) {
        case TCommand::Info: return "info";
        case TCommand::Decode: return "decode";
        case TCommand::Check: return "check";
        case TCommand::Triage: return "triage";
        case TCommand::Revisions: return "revisions";
        case TCommand::Show: return "show";
        default: return "command";
    }
}

// What the parent writes for one input: its record or its text, and its
// messages.
struct TFileOutput {
    std::string Out;
    std::string Err;
    int ExitCode = ExitOk;
};

// The worker's frames and the supervisor's view made into the file's output.
class TRecordMaker {
public:
    TRecordMaker(const TArguments& Arguments, const TPipelineOptions& Options)
        : FArguments(Arguments), FOptions(Options), FJson(JsonAsked(Arguments)) {}

    TFileOutput Make(const std::string& Path, const TTaskEnd& End) const {
        TFileOutput output;
        TJson record = {{"file", Path}, {"size", nullptr}, {"sha256", nullptr}};
        std::string status;
        TJson keys;
        for (const TFrame& frame : End.Frames) {
            if (frame.Kind == 'S' && frame.Fields.size() == 2 && !frame.Fields[1].empty()) {
                record["size"] = std::stoll(frame.Fields[0]);
                record["sha256"] = frame.Fields[1];
            } else if (frame.Kind == FinalFrame && frame.Fields.size() == 5) {
                status = frame.Fields[0];
                output.ExitCode = std::stoi(frame.Fields[1]);
                if (!frame.Fields[2].empty()) keys = TJson::parse(frame.Fields[2], nullptr, false);
                output.Out = frame.Fields[3];
                output.Err = frame.Fields[4];
            }
        }
        if (End.Kind != TTaskEnd::TKind::Done || status.empty()) {
            const TMessage why = Why(End);
            status = End.Kind == TTaskEnd::TKind::TimedOut      ? StatusName(TFileStatus::Timeout)
                     : End.Kind == TTaskEnd::TKind::MemoryLimit ? StatusName(TFileStatus::MemoryLimit)
                                                                 : StatusName(TFileStatus::Crashed);
            output.Err += ErrorLine(Path, Exception(why));
            output.ExitCode = ExitFailed;
        }
        record["status"] = status;
        if (status == StatusName(TFileStatus::Crashed)) {
            if (End.Signal != 0) record["signal"] = End.Signal;
            else record["exit-status"] = End.ExitStatus;
        }
        record["elapsed-ms"] = End.ElapsedMs;
        if (!keys.is_null() && !keys.is_discarded()) record[CommandName(FArguments.Command)] = std::move(keys);
        if (FJson) output.Out = Dump(record) + "\n";
        return output;
    }

private:
    TMessage Why(const TTaskEnd& End) const {
        switch (End.Kind) {
            case TTaskEnd::TKind::TimedOut:
                return MakeMessage(TMessageCode::FileTimedOut,
                                   std::chrono::duration_cast<std::chrono::seconds>(FOptions.Limits.Timeout).count());
            case TTaskEnd::TKind::MemoryLimit:
                return MakeMessage(TMessageCode::FileMemoryLimit, FOptions.Limits.MaxMemoryMiB);
            default: return MakeMessage(TMessageCode::WorkerCrashed, End.Signal);
        }
    }

    const TArguments& FArguments;
    const TPipelineOptions& FOptions;
    bool FJson;
};

// Writes each file's output once all those before it in the list are
// written, whole, one write per record.
class TOrderedWriter {
public:
    TOrderedWriter(int Records, bool BlankBetween) : FRecords(Records), FBlankBetween(BlankBetween) {}

    // False once a write failed.
    bool Put(size_t Index, TFileOutput Output) {
        FWaiting.emplace(Index, std::move(Output));
        for (auto next = FWaiting.find(FNext); next != FWaiting.end(); next = FWaiting.find(++FNext)) {
            const TFileOutput& output = next->second;
            // Several files' text reports of triage are told apart by a
            // blank line, as in a run over them all.
            if (FBlankBetween && FWritten && !output.Out.empty()) FOk = WriteAll(FRecords, "\n") && FOk;
            if (!output.Out.empty()) FWritten = true;
            FOk = WriteAll(FRecords, output.Out) && FOk;
            WriteAll(STDERR_FILENO, output.Err);
            FExitCode = WorseExitCode(FExitCode, output.ExitCode);
            FWaiting.erase(next);
        }
        return FOk;
    }
    int ExitCode() const { return FExitCode; }
    bool Ok() const { return FOk; }

private:
    int FRecords;
    bool FBlankBetween;
    std::map<size_t, TFileOutput> FWaiting;
    size_t FNext = 0;
    bool FWritten = false;
    bool FOk = true;
    int FExitCode = ExitOk;
};

}  // namespace

int RunPipeline(const TArguments& Arguments, const TPipelineOptions& Options) {
    std::vector<std::string> inputs;
    UniqueFd resumed;
    try {
        for (std::string& path : SplitFileList(ReadListSource(Options.FilesFrom), Options.Separator))
            if (!Options.Shard || InShard(path, *Options.Shard)) inputs.push_back(std::move(path));
        if (!Options.Resume.empty()) {
            TRecorded recorded;
            resumed = OpenResumeLog(Options.Resume, recorded);
            std::erase_if(inputs, [&](const std::string& Path) { return recorded.Files.count(Path) > 0; });
        }
    } catch (const Exception& e) {
        std::cerr << ErrorLine(Options.Resume.empty() ? Options.FilesFrom : Options.Resume, e);
        return ExitUsage;
    }
    if (Arguments.Command == TCommand::Decode) {
        // Two inputs of the same name must not overwrite each other's report.
        std::set<std::string> names;
        for (const std::string& input : inputs)
            if (!names.insert(OutputNameFor(Arguments.Decode, input)).second) {
                std::cerr << "lumerra: two inputs would write the same report: "
                          << OutputNameFor(Arguments.Decode, input) << '\n' << UsageText;
                return ExitUsage;
            }
    }

    std::cout.flush();
    const TRecordMaker maker(Arguments, Options);
    TOrderedWriter writer(resumed.Valid() ? resumed.Get() : STDOUT_FILENO,
                          Arguments.Command == TCommand::Triage && !JsonAsked(Arguments));
    const bool completed = RunSupervised(
        inputs.size(), Options.Jobs, Options.Limits,
        [&](size_t Index, const std::function<void(const TFrame&)>& Tell) { DoFile(Arguments, inputs[Index], Tell); },
        [&](size_t Index, TTaskEnd End) { writer.Put(Index, maker.Make(inputs[Index], End)); });
    if (!completed) return ExitInterrupted;
    if (!writer.Ok()) {
        std::cerr << ErrorLine(Options.Resume.empty() ? "standard output" : Options.Resume,
                               Exception(TMessageCode::WriteFailed));
        return ExitFailed;
    }
    return writer.ExitCode();
}

}  // namespace lumerra::cli::pipeline
