// The right-hand side of the object browser: where the selected value's
// object lies and which revision wrote it, the value in PDF syntax, and for
// a stream its sizes, its filters and its data as text or as a hex dump.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QWidget>

#include "model/ObjectSource.h"

class QLabel;
class QPlainTextEdit;
class QRadioButton;

namespace lumerra {

class TObjectView final : public QWidget {
    Q_OBJECT

public:
    // Source outlives the view.
    explicit TObjectView(TObjectSource& Source, QWidget* Parent = nullptr);

    // Value, which is object Object (-1: the trailer) or lies at Inside in
    // object Owner; IsLink for a reference to a row open higher up.
    void Show(const TValue* Value, std::optional<int32_t> Object, int32_t Owner, const std::string& Inside,
              bool IsLink);
    // The stream shown (-1: none).
    int32_t StreamObject() const { return FStreamObject; }
    // Its data as text, scrolled to Offset with Length bytes there marked;
    // false past its end.
    bool MarkData(int64_t Offset, int64_t Length);
    void SetHexView(bool Hex);

    QString PlaceText() const;
    QString ValueText() const;
    QString StreamInfoText() const;
    QString DataText() const;
    QString MarkedData() const;

private:
    void ShowStream(int32_t Number);
    void ShowData();

    TObjectSource& FSource;
    QLabel* FPlace = nullptr;
    QPlainTextEdit* FValue = nullptr;
    QLabel* FStreamInfo = nullptr;
    QWidget* FStreamRow = nullptr;
    QRadioButton* FTextView = nullptr;
    QRadioButton* FHexView = nullptr;
    QPlainTextEdit* FData = nullptr;
    int32_t FStreamObject = -1;
    std::string FStreamData;
    std::string FStreamInfoLine;
};

}  // namespace lumerra
