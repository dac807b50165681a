// The toolkit's own texts and formats in Japanese, like the rest of the
// program, whatever the desktop's language: the file dialogs' buttons,
// questions, file types, dates and sizes, and the buttons of the boxes.
#pragma once

#include <QFileIconProvider>
#include <QTranslator>

namespace lumerra {

// Before the application object: Qt's idea of the system's language, which
// the file dialog takes its dates and sizes from, becomes Japanese. The
// environment is given back as it was, so programs started from here (the
// browser, the text viewer) keep the user's language.
void UseJapaneseSystemLocale();

// With the application object, for as long as it lives: Qt's Japanese
// translation (qt6-translations-l10n) and Japanese as the default locale
// (the names of file types).
class TToolkitJapanese {
public:
    TToolkitJapanese();
    ~TToolkitJapanese();
    TToolkitJapanese(const TToolkitJapanese&) = delete;
    TToolkitJapanese& operator=(const TToolkitJapanese&) = delete;
    // False when the translation is not installed.
    bool Translated() const { return FTranslated; }

private:
    QTranslator FTexts;
    bool FTranslated = false;
};

// A folder's type, as the file dialogs show it.
QString FolderTypeName();

// The type column of the file dialogs: Qt 6 asks its catalogue for a
// folder's type under a name its Japanese translation does not have yet;
// this asks under the name the translation has it.
class TFileTypeNames : public QFileIconProvider {
public:
    QString type(const QFileInfo& Info) const override;
};

}  // namespace lumerra
