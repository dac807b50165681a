#include "shell/ObjectView.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "common/HexDump.h"
#include "common/Message.h"
#include "pdf/StreamData.h"
#include "shell/Fonts.h"
#include "syntax/ValueWriter.h"

namespace lumerra {

namespace {

QString Text(const char* Utf8) { return QString::fromUtf8(Utf8); }
QString Text(const std::string& Utf8) { return QString::fromStdString(Utf8); }

// A stream's data shown at most this far, so that a huge stream costs
// bounded memory in the view.
constexpr size_t ShownTextBytes = 4 << 20;
constexpr size_t ShownHexBytes = 1 << 20;

// The data as text, one character a byte, so that a byte offset is a place
// in the view: a line end is a line end (a carriage return before a line
// feed becomes a space), other control bytes are dots.
QString DataAsText(std::string_view Bytes) {
    QString text(static_cast<qsizetype>(Bytes.size()), QChar(' '));
    for (size_t i = 0; i < Bytes.size(); ++i) {
        const auto byte = static_cast<uint8_t>(Bytes[i]);
        char16_t shown = byte;
        if (byte == '\r') shown = i + 1 < Bytes.size() && Bytes[i + 1] == '\n' ? u' ' : u'\n';
        else if ((byte < 0x20 && byte != '\n' && byte != '\t') || (byte >= 0x7F && byte < 0xA0)) shown = u'.';
        text[static_cast<qsizetype>(i)] = QChar(shown);
    }
    return text;
}

// "改訂 2 で書き込まれ、ファイルのオフセット 1234 にあります。"
std::string PlaceSentence(const TObjectPlace& Place) {
    std::string text = Place.Revision > 0 ? "改訂 " + std::to_string(Place.Revision) + " で書き込まれ、"
                                          : "書き込んだ改訂は不明で、";
    switch (Place.Location.Kind()) {
        case TObjectLocation::TKind::InFile:
            return text + "ファイルのオフセット " + std::to_string(Place.Location.Offset()) + " にあります。";
        case TObjectLocation::TKind::InObjectStream:
            return text + "オブジェクトストリーム " + std::to_string(Place.Location.Stream()) + " のインデックス " +
                   std::to_string(Place.Location.Index()) + " にあります。";
        case TObjectLocation::TKind::None: break;
    }
    return text + (Place.Free ? "空き（free）になっています。" : "ファイルにはありません。");
}

std::string FilterNames(const TValue& Stream) {
    const TValue* filter = Stream.Find("Filter");
    return filter == nullptr ? "なし" : WrittenValue(*filter);
}

QPlainTextEdit* NewTextArea(QWidget* Parent, const char* Name) {
    auto* area = new QPlainTextEdit(Parent);
    area->setObjectName(Text(Name));
    area->setReadOnly(true);
    area->setFont(TextAreaFont());
    area->setLineWrapMode(QPlainTextEdit::NoWrap);
    return area;
}

}  // namespace

TObjectView::TObjectView(TObjectSource& Source, QWidget* Parent) : QWidget(Parent), FSource(Source) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    FPlace = new QLabel(this);
    FPlace->setObjectName(QStringLiteral("Place"));
    FPlace->setWordWrap(true);
    FPlace->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FValue = NewTextArea(this, "ValueText");
    FStreamInfo = new QLabel(this);
    FStreamInfo->setObjectName(QStringLiteral("StreamInfo"));
    FStreamInfo->setWordWrap(true);
    FStreamRow = new QWidget(this);
    auto* row = new QHBoxLayout(FStreamRow);
    row->setContentsMargins(0, 0, 0, 0);
    FTextView = new QRadioButton(Text("テキスト(&T)"), FStreamRow);
    FHexView = new QRadioButton(Text("16 進ダンプ(&X)"), FStreamRow);
    FTextView->setChecked(true);
    row->addWidget(FTextView);
    row->addWidget(FHexView);
    row->addStretch(1);
    FData = NewTextArea(this, "DataText");
    layout->addWidget(FPlace);
    layout->addWidget(FValue, 1);
    layout->addWidget(FStreamInfo);
    layout->addWidget(FStreamRow);
    layout->addWidget(FData, 2);
    connect(FTextView, &QRadioButton::toggled, this, [this] { ShowData(); });
}

void TObjectView::Show(const TValue* Value, std::optional<int32_t> Object, int32_t Owner, const std::string& Inside,
                       bool IsLink) {
    std::string place;
    if (Object == -1) {
        place = "trailer: 改訂 " + std::to_string(FSource.NewestRevision()) + " の最新のトレーラです。";
    } else {
        const int32_t number = Object.value_or(Owner);
        place = number < 0 ? "trailer " + Inside + " の値です。"
                           : "オブジェクト " + std::to_string(number) + (Object ? std::string() : " の " + Inside) +
                                 ": " + PlaceSentence(FSource.Place(number));
    }
    if (IsLink) place += " 上で開いている行への参照です（Enter で移動します）。";
    FPlace->setText(Text(place));
    FValue->setPlainText(Value != nullptr ? Text(WrittenValue(*Value)) : QString());
    const bool stream = Value != nullptr && Value->Is(TValue::TKind::Stream) && Object && *Object >= 0;
    if (stream) ShowStream(*Object);
    else FStreamObject = -1;
    for (QWidget* part : {static_cast<QWidget*>(FStreamInfo), FStreamRow, static_cast<QWidget*>(FData)})
        part->setVisible(stream);
}

void TObjectView::ShowStream(int32_t Number) {
    if (Number != FStreamObject) {
        TStreamDamage damage;
        FStreamData = FSource.StreamData(Number, true, &damage);
        const std::string stored = FSource.StreamData(Number, false, nullptr);
        const TValuePtr stream = FSource.Object(Number);
        FStreamInfoLine = "ストリーム: 展開後 " + std::to_string(FStreamData.size()) + " バイト（格納 " +
                          std::to_string(stored.size()) + " バイト）、フィルタ " + FilterNames(*stream);
        if (damage.Damaged) FStreamInfoLine += "。展開できませんでした: " + JapaneseText(damage.What);
        FStreamObject = Number;
    }
    ShowData();
}

void TObjectView::ShowData() {
    if (FStreamObject < 0) return;
    const bool hex = FHexView->isChecked();
    const size_t cap = hex ? ShownHexBytes : ShownTextBytes;
    const std::string_view shown = std::string_view(FStreamData).substr(0, cap);
    FData->setPlainText(hex ? Text(HexDump(shown)) : DataAsText(shown));
    std::string info = FStreamInfoLine;
    if (FStreamData.size() > cap) info += "。先頭の " + std::to_string(cap) + " バイトだけを表示しています。";
    FStreamInfo->setText(Text(info));
}

void TObjectView::SetHexView(bool Hex) { (Hex ? FHexView : FTextView)->setChecked(true); }

bool TObjectView::MarkData(int64_t Offset, int64_t Length) {
    if (FStreamObject < 0) return false;
    SetHexView(false);
    const int64_t size = FData->document()->characterCount() - 1;
    if (Offset < 0 || Offset > size) return false;
    QTextCursor cursor(FData->document());
    cursor.setPosition(static_cast<int>(Offset));
    cursor.setPosition(static_cast<int>(std::min(size, Offset + std::max<int64_t>(Length, 1))), QTextCursor::KeepAnchor);
    FData->setTextCursor(cursor);
    FData->centerCursor();
    FData->setFocus();
    return true;
}

QString TObjectView::PlaceText() const { return FPlace->text(); }
QString TObjectView::ValueText() const { return FValue->toPlainText(); }
QString TObjectView::StreamInfoText() const { return FStreamInfo->isHidden() ? QString() : FStreamInfo->text(); }
QString TObjectView::DataText() const { return FData->isHidden() ? QString() : FData->toPlainText(); }
QString TObjectView::MarkedData() const { return FData->textCursor().selectedText(); }

}  // namespace lumerra
