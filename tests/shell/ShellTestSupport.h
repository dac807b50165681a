// Helpers of the desktop program's tests: a fixture with the two forms over
// a temporary settings file, recorders for message boxes and opened URLs,
// PDF documents and a writer of Windows shortcut files.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <QString>
#include <QTimer>
#include <QStringList>
#include <QUrl>

#include "shell/MessageBoxes.h"
#include "shell/Program.h"
#include "shell/ShellCommands.h"
#include "shell/frm_Main.h"
#include "shell/frm_Prog.h"
#include "support/PdfBuilder.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace lumerra::test {

struct TShownBox {
    TMessageBoxKind Kind;
    QString Caption;
    QString Text;
};

// Collects the boxes the program would show, while it lives.
class TMessageBoxRecorder {
public:
    TMessageBoxRecorder();
    ~TMessageBoxRecorder();
    std::vector<TShownBox> Boxes;

private:
    TMessageBoxHandler FPrevious;
};

// Answers the password dialogs as they come up, one answer each (null
// cancels), and records their labels.
class TPasswordAnswers {
public:
    explicit TPasswordAnswers(std::vector<const char*> Answers);
    std::vector<QString> Labels;
    bool AllHidden = true;
    bool AllWide = true;

private:
    void AnswerShownDialog();
    std::vector<const char*> FAnswers;
    QTimer FTimer;
};

// Collects the URLs handed to the desktop, while it lives.
class TUrlRecorder {
public:
    TUrlRecorder();
    ~TUrlRecorder();
    std::vector<QUrl> Urls;
    bool Opens = true;  // what the desktop answers

private:
    TUrlOpener FPrevious;
};

// Documents.
std::string GoodPdf(int Pages = 1);
std::string DamagedPdf();
std::string EncryptedPdf();
// The content stream of every page of GoodPdf.
inline const std::string PageContent = "0 0 m 100 100 l S";

// A shortcut file. Texts are UTF-8; Unicode selects UTF-16 for LinkInfo's
// extra paths and StringData.
struct TLinkFields {
    std::string LocalBasePath{};
    std::string CommonPathSuffix{};
    std::string NetName{};
    std::string RelativePath{};
    std::string WorkingDir{};
    bool Unicode = true;
    bool UnicodeLinkInfo = false;
    bool WithIdList = true;
    bool AnsiAsCp932 = false;  // LinkInfo's 8-bit paths in CP932
};
std::string BuildShellLink(const TLinkFields& Fields);

// Both forms over a settings file in a temporary folder.
class TShellFixture : public ::testing::Test {
protected:
    TShellFixture();
    ~TShellFixture() override;

    TfrmMain& Main() { return FForms->Main(); }
    TfrmProg& Prog() { return FForms->Prog(); }
    void Recreate();

    std::string Path(const std::string& Name) const { return FFolder.Sibling(Name); }
    QString QPath(const std::string& Name) const { return QString::fromStdString(Path(Name)); }
    // Writes a file into the temporary folder and returns its path.
    QString Write(const std::string& Name, const std::string& Bytes) const;
    // The save dialog answers with Name (in the temporary folder, or an
    // absolute path) and records the name it proposed.
    void ChooseOutput(const std::string& Name);
    QString WindowTitle();
    // GoodPdf encrypted by qpdf with its --encrypt arguments QpdfArguments,
    // written into the temporary folder; empty without qpdf.
    QString WriteEncrypted(const std::string& Name, const std::string& QpdfArguments) const;

    TempFile FFolder;
    QString FSettings;
    std::vector<QString> FProposed;
    TMessageBoxRecorder FBoxes;
    TUrlRecorder FUrls;
    std::unique_ptr<TApplicationForms> FForms;
};

QStringList Lines(std::initializer_list<const char*> Texts);
// The main window's title, with the name of the file shown when given.
QString Title(const char* FileName = nullptr);

// The text area's lines: the frame of a refusal, a file loaded, a run
// cancelled.
inline const char* const Separator = "=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=";
QStringList LoadedLines(const char* Name);
QStringList CancelledLines();

// Runs Action at each progress report of a run until it returns true.
void DuringRun(TfrmMain& Main, TfrmProg& Prog, std::function<bool()> Action);

}  // namespace lumerra::test
