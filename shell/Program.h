// The program entry's work: the allocation accounting around everything,
// the application object and title, the two forms, the message loop.
#pragma once

#include <functional>
#include <memory>

#include <QString>

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

// Runs the whole program and returns its exit code.
int ProgramMain(int& ArgC, char** ArgV, const TProgramOptions& Options = {});

}  // namespace lumerra
