// The program entry's work: the allocation accounting around everything,
// the application object and title, the two forms, the message loop.
#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

namespace lumerra {

class TfrmMain;
class TfrmProg;

// Creates the main window, then the hidden progress dialog of its runs;
// destroys them in the reverse order.
class TApplicationForms {
public:
    explicit TApplicationForms(const QString& SettingsFile = QString());
    ~TApplicationForms();
    TApplicationForms(const TApplicationForms&) = delete;
    TApplicationForms& operator=(const TApplicationForms&) = delete;

    TfrmMain& Main() { return *FMain; }
    TfrmProg& Prog() { return *FProg; }

private:
    std::unique_ptr<TfrmMain> FMain;
    std::unique_ptr<TfrmProg> FProg;
};

struct TProgramOptions {
    // Where the window position is kept; empty for the program's own file.
    QString SettingsFile;
    // Called once the main window is shown, from inside the message loop
    // (tests drive the program through it).
    std::function<void(TApplicationForms& Forms)> OnStarted;
};

inline constexpr char ApplicationTitle[] = "PDF Lumerra";

// What the command line asks for: pdf-lumerra [FILE...] | --help | --version.
struct TProgramArguments {
    enum class TAction { Run, Help, Version, Wrong };
    TAction Action = TAction::Run;
    // Opened once the window is shown, as a drop of these files would be.
    QStringList Files;
    // Why the arguments are Wrong.
    QString Error;
};

// Arguments without the program's name. --help and --version win wherever
// they stand (before "--"), so that they are seen before the toolkit has
// taken out its own options.
TProgramArguments ParseProgramArguments(const QStringList& Arguments);

// Runs the whole program and returns its exit code: 0, or 2 for arguments
// it does not understand. --help and --version print and return without a
// window, without even the toolkit.
int ProgramMain(int& ArgC, char** ArgV, const TProgramOptions& Options = {});

}  // namespace lumerra
