// TOpenDialogEx and TSaveDialogEx: the open-file and save-file dialogs of
// the main window, over QFileDialog.
//
// Each keeps the name accepted last (FileName) and proposes it the next
// time. The filter is written as "description|pattern" pairs separated by
// "|" ("PDF - Portable Document Format|*.pdf"); DefaultExt is given with
// its period (".txt"). A Help button with the text HelpText appears when
// Options holds ofShowHelp; pressing it calls OnHelp.
//
// Chooser, when set, decides in place of a person: Execute calls it instead
// of showing the dialog (tests choose file names through it).
#pragma once

#include <functional>
#include <memory>

#include <QFileDialog>
#include <QFlags>
#include <QString>

#include "shell/ToolkitLanguage.h"

class QWidget;

namespace lumerra {

enum TOpenOption {
    ofOverwritePrompt = 0x1,  // the save dialog asks before accepting an existing file
    ofShowHelp = 0x2          // the dialog shows a Help button
};
Q_DECLARE_FLAGS(TOpenOptions, TOpenOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOpenOptions)

class TOpenDialogEx {
public:
    using TNotifyEvent = std::function<void(TOpenDialogEx& Sender)>;
    using TChooser = std::function<bool(TOpenDialogEx& Dialog)>;

    explicit TOpenDialogEx(QWidget* Owner);
    virtual ~TOpenDialogEx();
    TOpenDialogEx(const TOpenDialogEx&) = delete;
    TOpenDialogEx& operator=(const TOpenDialogEx&) = delete;

    // Shows the dialog modally; true when the user accepted a name, which
    // is then in FileName.
    bool Execute();
    // Calls OnHelp when it is assigned.
    void DoHelp();

    // The dialog as Execute shows it, configured from the properties.
    std::unique_ptr<QFileDialog> CreateDialog();
    // The filter in QFileDialog's form, one entry per pair.
    QStringList NameFilters() const;

    QString Filter;
    QString DefaultExt;
    TOpenOptions Options;
    QString FileName;
    QString HelpText;
    TNotifyEvent OnShow;
    TNotifyEvent OnHelp;
    TChooser Chooser;

protected:
    virtual QFileDialog::AcceptMode Mode() const { return QFileDialog::AcceptOpen; }

private:
    QWidget* FOwner;
    TFileTypeNames FTypeNames;  // outlives the dialogs it names the types for
};

class TSaveDialogEx : public TOpenDialogEx {
public:
    using TOpenDialogEx::TOpenDialogEx;

protected:
    QFileDialog::AcceptMode Mode() const override { return QFileDialog::AcceptSave; }
};

}  // namespace lumerra
