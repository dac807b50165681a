#include "ShellTestSupport.h"

#include <iconv.h>

#include <cstdint>
#include <cstdlib>

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

#include "shell/DialogSizes.h"

namespace lumerra::test {

TMessageBoxRecorder::TMessageBoxRecorder() {
    FPrevious = SetMessageBoxHandler([this](TMessageBoxKind Kind, QWidget*, const QString& Caption,
                                            const QString& Text) { Boxes.push_back({Kind, Caption, Text}); });
}

TMessageBoxRecorder::~TMessageBoxRecorder() { SetMessageBoxHandler(FPrevious); }

TPasswordAnswers::TPasswordAnswers(std::vector<const char*> Answers) : FAnswers(std::move(Answers)) {
    QObject::connect(&FTimer, &QTimer::timeout, [this] { AnswerShownDialog(); });
    FTimer.start(0);
}

void TPasswordAnswers::AnswerShownDialog() {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    Labels.push_back(dialog->labelText());
    AllHidden = AllHidden && dialog->textEchoMode() == QLineEdit::Password;
    // The window manager's title bar shows the whole title.
    AllWide = AllWide && dialog->width() >= TitleBarWidth(dialog->windowTitle());
    const char* answer = Labels.size() <= FAnswers.size() ? FAnswers[Labels.size() - 1] : nullptr;
    if (answer == nullptr) {
        dialog->reject();
        return;
    }
    dialog->setTextValue(QString::fromUtf8(answer));
    dialog->accept();
}

TUrlRecorder::TUrlRecorder() {
    FPrevious = SetUrlOpener([this](const QUrl& Url) {
        Urls.push_back(Url);
        return Opens;
    });
}

TUrlRecorder::~TUrlRecorder() { SetUrlOpener(FPrevious); }

std::string GoodPdf(int Pages) {
    return PdfBuilder::SimpleDocument(std::vector<std::string>(static_cast<size_t>(Pages), PageContent)).Build();
}

std::string DamagedPdf() { return "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\ntrailer\n<< >>\n"; }

std::string EncryptedPdf() {
    PdfBuilder builder = PdfBuilder::SimpleDocument({PageContent});
    builder.Set(9, "<< /Filter /Standard /V 1 /R 2 >>");
    builder.TrailerExtra("/Encrypt 9 0 R");
    return builder.Build();
}

namespace {

void Put16(std::string& Out, uint32_t Value) {
    Out += static_cast<char>(Value & 0xFF);
    Out += static_cast<char>(Value >> 8 & 0xFF);
}

void Put32(std::string& Out, uint32_t Value) {
    Put16(Out, Value & 0xFFFF);
    Put16(Out, Value >> 16);
}

std::string Utf16(const std::string& Utf8) {
    std::string out;
    for (const char16_t unit : QString::fromStdString(Utf8).toStdU16String()) Put16(out, unit);
    return out;
}

std::string ToCp932(const std::string& Utf8) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    std::string input = Utf8;
    std::string output(input.size() * 2 + 4, '\0');
    char* in = input.data();
    char* out = output.data();
    size_t inLeft = input.size();
    size_t outLeft = output.size();
    iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    output.resize(output.size() - outLeft);
    return output;
}

}  // namespace

std::string BuildShellLink(const TLinkFields& Fields) {
    const bool hasLinkInfo = !Fields.LocalBasePath.empty() || !Fields.NetName.empty();
    uint32_t flags = 0;
    if (Fields.WithIdList) flags |= 0x01;
    if (hasLinkInfo) flags |= 0x02;
    if (!Fields.RelativePath.empty()) flags |= 0x08;
    if (!Fields.WorkingDir.empty()) flags |= 0x10;
    if (Fields.Unicode) flags |= 0x80;

    std::string out;
    Put32(out, 0x4C);
    const uint8_t classId[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    out.append(reinterpret_cast<const char*>(classId), 16);
    Put32(out, flags);
    out.append(4 + 24 + 4 + 4, '\0');  // attributes, times, size, icon
    Put32(out, 1);                      // show normally
    out.append(2 + 2 + 4 + 4, '\0');

    if (Fields.WithIdList) {
        std::string items;
        Put16(items, 6);
        items += "\x1F\x50\x10\x20";
        Put16(items, 0);
        Put16(out, static_cast<uint32_t>(items.size()));
        out += items;
    }

    if (hasLinkInfo) {
        const uint32_t headerSize = Fields.UnicodeLinkInfo ? 0x24 : 0x1C;
        auto ansi = [&](const std::string& Text) { return Fields.AnsiAsCp932 ? ToCp932(Text) : Text; };
        std::string body;  // after the header
        auto place = [&](const std::string& Bytes) {
            const uint32_t offset = headerSize + static_cast<uint32_t>(body.size());
            body += Bytes;
            return offset;
        };
        uint32_t infoFlags = 0;
        uint32_t volume = 0, base = 0, network = 0, baseUnicode = 0, suffixUnicode = 0;
        if (!Fields.LocalBasePath.empty()) {
            infoFlags |= 1;
            std::string volumeId;
            Put32(volumeId, 0x11);
            Put32(volumeId, 3);
            Put32(volumeId, 0x1234);
            Put32(volumeId, 0x10);
            volumeId += '\0';
            volume = place(volumeId);
            base = place(ansi(Fields.LocalBasePath) + '\0');
        }
        if (!Fields.NetName.empty()) {
            infoFlags |= 2;
            std::string link;
            const std::string name = ansi(Fields.NetName) + '\0';
            Put32(link, 0x14 + static_cast<uint32_t>(name.size()));
            Put32(link, 0);
            Put32(link, 0x14);
            Put32(link, 0);
            Put32(link, 0x20000);
            link += name;
            network = place(link);
        }
        const uint32_t suffix = place(ansi(Fields.CommonPathSuffix) + '\0');
        if (Fields.UnicodeLinkInfo) {
            if (!Fields.LocalBasePath.empty()) baseUnicode = place(Utf16(Fields.LocalBasePath) + std::string(2, '\0'));
            suffixUnicode = place(Utf16(Fields.CommonPathSuffix) + std::string(2, '\0'));
        }
        std::string info;
        Put32(info, headerSize + static_cast<uint32_t>(body.size()));
        Put32(info, headerSize);
        Put32(info, infoFlags);
        Put32(info, volume);
        Put32(info, base);
        Put32(info, network);
        Put32(info, suffix);
        if (Fields.UnicodeLinkInfo) {
            Put32(info, baseUnicode);
            Put32(info, suffixUnicode);
        }
        out += info + body;
    }

    auto stringData = [&](const std::string& Text) {
        const std::string bytes = Fields.Unicode ? Utf16(Text) : Text;
        Put16(out, static_cast<uint32_t>(Fields.Unicode ? bytes.size() / 2 : bytes.size()));
        out += bytes;
    };
    if (!Fields.RelativePath.empty()) stringData(Fields.RelativePath);
    if (!Fields.WorkingDir.empty()) stringData(Fields.WorkingDir);
    Put32(out, 0);  // no extra data
    return out;
}

TShellFixture::TShellFixture()
    : FFolder("", "unused"), FSettings(QString::fromStdString(FFolder.Sibling("pdf-lumerra.ini"))) {
    FForms = std::make_unique<TApplicationForms>(FSettings);
}

TShellFixture::~TShellFixture() { FForms.reset(); }

void TShellFixture::Recreate() {
    FForms.reset();
    FForms = std::make_unique<TApplicationForms>(FSettings);
}

QString TShellFixture::Write(const std::string& Name, const std::string& Bytes) const {
    WriteFileBytes(Path(Name), Bytes);
    return QPath(Name);
}

void TShellFixture::ChooseOutput(const std::string& Name) {
    const QString path = Name.front() == '/' ? QString::fromStdString(Name) : QPath(Name);
    Main().SaveDialog().Chooser = [this, path](TOpenDialogEx& Dialog) {
        FProposed.push_back(Dialog.FileName);
        Dialog.FileName = path;
        return true;
    };
}

QString TShellFixture::WindowTitle() { return Main().windowTitle(); }

QString TShellFixture::WriteEncrypted(const std::string& Name, const std::string& QpdfArguments) const {
    if (std::system("qpdf --version > /dev/null 2>&1") != 0) return {};
    const std::string plain = Write("plain-" + Name, GoodPdf()).toStdString();
    const std::string command =
        "qpdf --allow-weak-crypto --encrypt " + QpdfArguments + " -- '" + plain + "' '" + Path(Name) + "'";
    return std::system(command.c_str()) == 0 ? QPath(Name) : QString();
}

QString Title(const char* FileName) {
    const QString title = QString::fromUtf8(AppTitle);
    return FileName == nullptr ? title : title + QStringLiteral(" - ") + QString::fromUtf8(FileName);
}

QStringList Lines(std::initializer_list<const char*> Texts) {
    QStringList lines;
    for (const char* text : Texts) lines << QString::fromUtf8(text);
    return lines;
}

QStringList LoadedLines(const char* Name) {
    return {QString(), QStringLiteral("% ") + QString::fromUtf8(Name) + QString::fromUtf8(" の読み込みが完了しました。"),
            QString::fromUtf8("% ストリームを展開するにはメニューの「実行」を選択してください。")};
}

QStringList CancelledLines() { return Lines({"", "% キャンセルされました。m(_ _)m"}); }

void DuringRun(TfrmMain& Main, TfrmProg& Prog, std::function<bool()> Action) {
    auto* timer = new QTimer(&Main);  // deletes itself once done, or goes with the window
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [&Prog, timer, Action] {
        if (!Prog.isVisible() || !Action()) return;
        timer->stop();
        timer->deleteLater();
    });
    timer->start();
}

}  // namespace lumerra::test
