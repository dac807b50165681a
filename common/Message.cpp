#include "common/Message.h"

#include <array>

namespace lumerra {

namespace {

struct TMessageEntry {
    TMessageCode Code;
    const char* Name;
    const char* Japanese;
};

using M = TMessageCode;

// In the enum's order (checked below).
constexpr std::array<TMessageEntry, MessageCodeCount> Entries{{
    {M::Uncoded, "error", "{1}"},
    {M::FileEnds, "file-ends", "ファイルが途中で終わっています。"},
    {M::FileDamaged, "file-damaged", "このファイルは壊れています"},
    {M::NotPdf, "not-pdf", "このファイルはPDFファイルではありません。"},
    {M::UnsupportedFormat, "unsupported-format", "このファイルは未対応の形式です。"},
    {M::NoEof, "no-eof", "%%EOFがありません。"},
    {M::NoStartXref, "no-startxref", "startxrefがありません。"},
    {M::XrefOffsetUnreadable, "xref-offset-unreadable", "相互参照テーブルの位置を正確に取得できませんでした。"},
    {M::XrefOffsetInvalid, "xref-offset-invalid", "相互参照テーブルの位置が不正です。"},
    {M::XrefFirstInvalid, "xref-first-invalid", "相互参照テーブルの先頭オブジェクト番号が不正です。"},
    {M::XrefCountInvalid, "xref-count-invalid", "相互参照テーブルの項目数が不正です。"},
    {M::TrailerInvalid, "trailer-invalid", "trailerが正しくありません。"},
    {M::RootFailed, "root-failed", "RootIDの取得に失敗しました。"},
    {M::PrevFailed, "prev-failed", "PrevIDの取得に失敗しました。"},
    {M::InfoFailed, "info-failed", "InfoIDの取得に失敗しました。"},
    {M::NoRoot, "no-root", "RootIDが正確に取得できませんでした。"},
    {M::NoFirstPages, "no-first-pages", "FirstPagesIDが正確に取得できませんでした。"},
    {M::NoPageTree, "no-page-tree", "ファイルを走査しましたが、ページツリーが見つかりませんでした。"},
    {M::NoPages, "no-pages", "FirstPagesが存在しません。"},
    {M::ObjectIdInvalid, "object-id-invalid", "オブジェクトIDが不正です。"},
    {M::StreamInvalid, "stream-invalid", "ストリームが不正です。"},
    {M::TableRebuilt, "table-rebuilt", "相互参照テーブルを再構築しました。（見つかったオブジェクト: {1} 個）"},
    {M::ObjectMisplaced, "object-misplaced", "オブジェクト {1} の位置 {2} にはオブジェクト {3} があります。"},
    {M::NoEndstream, "no-endstream", "データのあとに endstream がありません。（位置 {1}）"},
    {M::CannotOpenFile, "cannot-open-file", "Cannot open file \"{1}\". {2}"},
    {M::ReadError, "read-error", "Stream read error"},
    {M::EncryptionDamaged, "encryption-damaged", "暗号化辞書が壊れています。"},
    {M::UnsupportedHandler, "unsupported-security-handler", "対応できないセキュリティハンドラです。"},
    {M::UnsupportedMethod, "unsupported-encryption", "対応できない暗号化方式です。"},
    {M::PermsMissing, "perms-missing", "暗号化辞書に /Perms がありません。"},
    {M::PermsMismatch, "perms-mismatch", "暗号化辞書の /Perms が /P と一致しません。"},
    {M::WrongPassword, "wrong-password", "パスワードが正しくありません。"},
    {M::FlateFailed, "flate-failed", "flate圧縮を正常に展開できませんでした。"},
    {M::RunLengthFailed, "run-length-failed", "RunLength圧縮を正常に展開できませんでした。"},
    {M::LzwFailed, "lzw-failed", "LZW圧縮を正常に展開できませんでした。"},
    {M::PredictorFailed, "predictor-failed", "予測子を正常に戻せませんでした。"},
    {M::AsciiHexFailed, "ascii-hex-failed", "ASCIIHex符号を正常に復号できませんでした。"},
    {M::Ascii85Failed, "ascii85-failed", "ASCII85符号を正常に復号できませんでした。"},
    {M::FilterOutputCut, "filter-output-cut", "フィルタの出力が上限を超えたため、残りを展開していません。"},
    {M::UnusableDocument, "unusable-document", "対応できない形式です。"},
    {M::NoAnalyst, "no-document", "nilは代入できません。"},
    {M::IndexInvalid, "index-invalid", "Index値が不正です。[ {1} ]"},
    {M::ListIndexInvalid, "list-index-invalid", "リストのインデックスが範囲を超えています ({1})"},
    {M::FileInUse, "file-in-use", "このファイルは使用中です。別名で保存してください。"},
    {M::NoSaveFolder, "no-save-folder", "保存先のフォルダが見つかりません。"},
    {M::CannotCreateReport, "cannot-create-report", "レポートを作成できません。"},
    {M::WriteFailed, "write-failed", "書き込みに失敗しました。"},
    {M::CannotCreateFolder, "cannot-create-folder", "出力フォルダを作成できません。"},
    {M::Cancelled, "cancelled", "キャンセルされました。"},
    {M::PageRangeInvalid, "page-range-invalid", "ページ番号の指定が不正です。"},
    {M::PasswordFileUnreadable, "password-file-unreadable", "パスワードファイルを読み込めません。"},
    {M::UnterminatedString, "unterminated-string", "文字列が閉じられていません。"},
    {M::UnterminatedHexString, "unterminated-hex-string", "16 進文字列が閉じられていません。"},
    {M::BadHexString, "bad-hex-string", "16 進文字列に 16 進数字でないバイトがあります。"},
    {M::UnexpectedParenthesis, "unexpected-parenthesis", "対応する ( のない ) です。"},
    {M::UnexpectedAngle, "unexpected-angle", "対応する < のない > です。"},
    {M::UnreadableByte, "unreadable-byte", "読めないバイトです。"},
    {M::UnexpectedArrayClose, "unexpected-array-close", "対応する [ のない ] です。"},
    {M::UnexpectedDictClose, "unexpected-dictionary-close", "対応する << のない >> です。"},
    {M::BracesInContent, "braces-in-content", "内容ストリームには { } を書けません。"},
    {M::ArrayNotClosed, "array-not-closed", "配列が閉じられていません。"},
    {M::DictNotClosed, "dictionary-not-closed", "辞書が閉じられていません。"},
    {M::DictClosedByBracket, "dictionary-closed-by-bracket", "辞書が ] で閉じられています。"},
    {M::ArrayClosedByAngles, "array-closed-by-angles", "配列が >> で閉じられています。"},
    {M::UnknownOperator, "unknown-operator", "未知の演算子です。"},
    {M::OperandCountWrong, "operand-count-wrong", "オペランドは {1} 個のはずが {2} 個あります。"},
    {M::OperandMustBeNumber, "operand-not-number", "{1} 番目のオペランドは数値でなければなりません。"},
    {M::OperandMustBeInteger, "operand-not-integer", "{1} 番目のオペランドは整数でなければなりません。"},
    {M::OperandMustBeName, "operand-not-name", "{1} 番目のオペランドは名前でなければなりません。"},
    {M::OperandMustBeString, "operand-not-string", "{1} 番目のオペランドは文字列でなければなりません。"},
    {M::OperandMustBeArray, "operand-not-array", "{1} 番目のオペランドは配列でなければなりません。"},
    {M::OperandMustBeNameOrDict, "operand-not-name-or-dictionary", "{1} 番目のオペランドは名前か辞書でなければなりません。"},
    {M::TjItems, "tj-items", "TJ の配列には文字列と数値しか置けません。"},
    {M::ColourComponentsWrong, "colour-components-wrong", "色の成分は {1} 個のはずが {2} 個あります。"},
    {M::PatternNameOutsidePattern, "pattern-name-outside-pattern", "パターンの名前はパターン色空間でしか使えません。"},
    {M::PatternNameNeeded, "pattern-name-needed", "パターン色空間ではパターンの名前が要ります。"},
    {M::PatternNeedsScn, "pattern-needs-scn", "パターン色空間では SCN・scn を使います。"},
    {M::PathInText, "path-in-text", "テキストオブジェクトの中ではパスを描けません。"},
    {M::NoCurrentPoint, "no-current-point", "現在点がありません（先に m か re が要ります）。"},
    {M::NoPathToClip, "no-path-to-clip", "クリップするパスがありません。"},
    {M::NoPathToEnd, "no-path-to-end", "終わらせるパスがありません。"},
    {M::NoPathToPaint, "no-path-to-paint", "描画するパスがありません。"},
    {M::InsidePath, "inside-path", "パスの構築と描画のあいだには使えません。"},
    {M::OutsideText, "outside-text-object", "テキストオブジェクト（BT から ET まで）の外では使えません。"},
    {M::InsideText, "inside-text-object", "テキストオブジェクトの中では使えません。"},
    {M::InlineImageWithoutBi, "inline-image-without-bi", "BI のない {1} です。"},
    {M::OutsideType3Glyph, "outside-type3-glyph", "Type 3 フォントのグリフの外では使えません。"},
    {M::SaveDepthExceeded, "save-depth-exceeded", "q の入れ子が {1} 段を超えています。"},
    {M::RestoreWithoutSave, "restore-without-save", "対応する q のない Q です。"},
    {M::BtInText, "bt-in-text-object", "テキストオブジェクトの中に BT があります。"},
    {M::EtWithoutBt, "et-without-bt", "対応する BT のない ET です。"},
    {M::EmcWithoutBmc, "emc-without-bmc", "対応する BMC・BDC のない EMC です。"},
    {M::ExWithoutBx, "ex-without-bx", "対応する BX のない EX です。"},
    {M::ResourceNotDeclared, "resource-not-declared", "リソース /{1} に /{2} が宣言されていません。"},
    {M::ResourceUnused, "resource-unused", "リソース /{1} の /{2} は使われていません。"},
    {M::TrailingOperands, "trailing-operands", "内容が演算子のないオペランドで終わっています。"},
    {M::BtNotClosed, "bt-not-closed", "BT が ET で閉じられていません。"},
    {M::SaveNotRestored, "save-not-restored", "q が {1} 個、Q で閉じられていません。"},
    {M::MarkedNotClosed, "marked-content-not-closed", "BMC・BDC が {1} 個、EMC で閉じられていません。"},
    {M::BxNotClosed, "bx-not-closed", "BX が {1} 個、EX で閉じられていません。"},
    {M::InlineImageNoId, "inline-image-no-id", "インライン画像に ID がありません。"},
    {M::InlineImageDictEnded, "inline-image-dictionary-ended", "インライン画像の辞書が ID の前に終わっています（{1}）。"},
    {M::InlineImageKeyNotName, "inline-image-key-not-name", "インライン画像の辞書のキーが名前ではありません。"},
    {M::InlineImageNoValue, "inline-image-no-value", "インライン画像の /{1} に値がありません。"},
    {M::InlineImageBadValue, "inline-image-bad-value", "インライン画像の /{1} の値が読めません。"},
    {M::InlineImageUnknownKey, "inline-image-unknown-key", "インライン画像の辞書に未知のキー /{1} があります。"},
    {M::InlineImageNotCount, "inline-image-not-count", "インライン画像の /{1} は 0 以上の整数でなければなりません。"},
    {M::InlineImageBadColourSpace, "inline-image-bad-colour-space", "インライン画像の色空間が名前でも配列でもありません。"},
    {M::InlineImageBadFilter, "inline-image-bad-filter", "インライン画像には使えないフィルタです。"},
    {M::InlineImageNoWidth, "inline-image-no-width", "インライン画像に /W（幅）がありません。"},
    {M::InlineImageNoHeight, "inline-image-no-height", "インライン画像に /H（高さ）がありません。"},
    {M::InlineImageNoBits, "inline-image-no-bits", "インライン画像に /BPC（成分のビット数）がありません。"},
    {M::InlineImageNoColourSpace, "inline-image-no-colour-space", "インライン画像に /CS（色空間）がありません。"},
    {M::InlineImageNoEiAfterLength, "inline-image-no-ei-after-length", "インライン画像の /L の {1} バイトのあとに EI がありません。"},
    {M::InlineImageLengthMismatch, "inline-image-length-mismatch", "インライン画像のデータが幅・高さ・成分・ビット数から求めた {1} バイトと合いません。"},
    {M::InlineImageNoEnd, "inline-image-no-end", "インライン画像の終わり（EI）が見つかりません。"},
    {M::InlineImageDecodeNotNumbers, "inline-image-decode-not-numbers", "インライン画像の /D（Decode）は、成分ごとに 2 個の数を並べた配列でなければなりません。"},
    {M::InlineImageDecodeCount, "inline-image-decode-count", "インライン画像の /D（Decode）には、色空間に合わせて {1} 個の数が要ります。"},
    {M::InlineImageDecodeParmsNotDictionary, "inline-image-decode-parms-not-dictionary", "インライン画像の /DP（DecodeParms）は辞書でなければなりません。"},
    {M::InlineImageDecodeParmsNotPerFilter, "inline-image-decode-parms-not-per-filter", "インライン画像の /DP（DecodeParms）は、フィルタごとに 1 つ、{1} 個の辞書の配列でなければなりません。"},
    {M::ResourceUnreadable, "resource-unreadable", "リソース /{1} の /{2} が指すオブジェクト {3} を読めません。"},
    {M::ResourceWrongType, "resource-wrong-type", "リソース /{1} の /{2} の型が違います（{3}）。"},
    {M::PathNotEnded, "path-not-ended", "パスが描画も終了もされないまま内容が終わっています。"},
    {M::NoFontSet, "no-font-set", "フォントが設定されていません（文字を表示する前に Tf が要ります）。"},
    {M::OperandOutOfRange, "operand-out-of-range", "{1} 番目のオペランドは {2} のいずれかでなければなりません。"},
    {M::StreamFilterUnknown, "stream-filter-unknown", "フィルタ {1} を展開できないため、ストリームを検査していません。"},
    {M::StreamDamaged, "stream-damaged", "ストリームは {2} バイト目までしか検査していません（{1}）。"},
    {M::StreamUnreadable, "stream-unreadable", "ストリームを検査していません（{1}）。"},
    {M::NotAStream, "not-a-stream", "ストリームではないため検査していません。"},
    {M::NoCatalog, "no-pages-no-catalog", "ページを検査していません（文書のカタログを読めません）。"},
    {M::NoPageTreeRoot, "no-pages-no-page-tree", "ページを検査していません（カタログにページツリー /Pages がありません）。"},
    {M::PageTreeEmpty, "no-pages-tree-empty", "ページを検査していません（ページツリーにページが見つかりません）。"},
    {M::GlyphNeedsD0D1, "glyph-needs-d0-d1", "グリフの手続きは d0 か d1 で始まらなければなりません。"},
    {M::D0D1NotFirst, "d0-d1-not-first", "d0・d1 はグリフの手続きの最初にしか置けません。"},
    {M::FindingsOmitted, "findings-omitted", "ほかに {1} 件の指摘を省略しました。"},
    {M::SignatureRangeUnreadable, "signature-range-unreadable", "署名の /ByteRange が読めません。"},
    {M::SignatureRangeNotFromStart, "signature-range-not-from-start", "署名の範囲がファイルの先頭から始まっていません。"},
    {M::SignatureRangePastEnd, "signature-range-past-end", "署名の範囲がファイルの終わりを越えています。"},
    {M::SignatureRangeNoRevisionEnd, "signature-range-no-revision-end", "署名の範囲の終わりがどの改訂の終わりとも一致しません。"},
    {M::SignatureRangeGap, "signature-range-gap", "署名の範囲の間に /Contents の文字列以外のバイトがあります。"},
    {M::ShadowHide, "shadow-hide", "後の改訂が署名された内容を覆うか隠しています。"},
    {M::ShadowReplace, "shadow-replace", "後の改訂が署名されたフォント、画像、外観またはフィールドの値を置き換えています。"},
    {M::ShadowHideAndReplace, "shadow-hide-and-replace", "後の改訂がページを、署名時には到達できなかったオブジェクトに向けています。"},
    {M::UnreachableAtSigning, "unreachable-at-signing", "署名された改訂に、カタログから到達できないオブジェクトがあります。"},
    {M::EvilAnnotation, "evil-annotation", "注釈を許可する証明の後に、ページの上に描く注釈が追加されました。"},
    {M::SneakySignature, "sneaky-signature", "証明の後に、表示される署名フィールドが追加されました。"},
    {M::EncryptedLeftLocked, "encrypted-left-locked", "ファイルは暗号化されており、パスワードでは開けません（{1}）。暗号化されない相互参照の区間だけを読み、オブジェクトは格納された位置で比べます。"},
    {M::RevisionsFromMarkers, "revisions-from-markers", "相互参照の連鎖をたどれません（{1}）。各 %%EOF の前の startxref が指す区間を改訂とします。"},
    {M::TableFoundBeforeMarker, "table-found-before-marker", "startxref はオフセット {1} を指していますが、そこに相互参照の区間はありません。同じ %%EOF の前のオフセット {2} に見つけた表を使います。"},
    {M::ObjectNotHeld, "object-not-held", "オブジェクト {1} はファイルにありません。"},
    {M::PageNotHeld, "page-not-held", "{1} ページ目はありません。"},
    {M::PathKeyMissing, "path-key-missing", "{1} にキー {2} がありません。"},
    {M::PathIndexMissing, "path-index-missing", "{1} に {2} 番の要素がありません。"},
    {M::PathNotContainer, "path-not-container", "{1} は辞書でも配列でもありません。"},
    {M::ObjectKeyMissing, "object-key-missing", "必須のキー {1} がありません。"},
    {M::ObjectWrongType, "object-wrong-type", "値の型 {1} は {2} のいずれでもありません。"},
    {M::ObjectNotIndirect, "object-not-indirect", "値は間接参照でなければなりません。"},
    {M::ObjectNotDirect, "object-not-direct", "値は直接オブジェクトでなければなりません。"},
    {M::ObjectValueNotAllowed, "object-value-not-allowed", "値 {1} は許されていません（{2}）。"},
    {M::ObjectArrayTooShort, "object-array-too-short", "配列の要素が {1} 個しかありません（少なくとも {2} 個）。"},
    {M::ObjectArrayTooLong, "object-array-too-long", "配列の要素が {1} 個あります（多くて {2} 個）。"},
    {M::ObjectArrayCondition, "object-array-condition", "配列の長さが条件 {1} を満たしません。"},
    {M::ObjectNewerThanFile, "object-newer-than-file", "{1} は PDF {2} からのもので、このファイルは PDF {3} です。"},
    {M::ObjectDeprecated, "object-deprecated", "{1} は PDF {2} から非推奨です。"},
    {M::ObjectUnknownKey, "object-unknown-key", "キー {1} は {2} に定義されていません。"},
    {M::ObjectSecondClassKey, "object-second-class-key", "キー {1} は {2} に定義されていない第二種の名前です。"},
    {M::ObjectConditionFails, "object-condition-fails", "条件 {1} を満たしません。"},
    {M::ObjectNoTypeFits, "object-no-type-fits", "{1} のどの型にも当てはまりません。"},
    {M::ObjectTypesTie, "object-types-tie", "{1} のどれに当たるか決められません。"},
    {M::FileTimedOut, "timeout", "{1} 秒以内に読み終わりませんでした。"},
    {M::FileMemoryLimit, "memory-limit", "メモリの上限 ({1} MiB) を超えました。"},
    {M::WorkerCrashed, "crashed", "ファイルを読んでいたプロセスがシグナル {1} で終了しました。"},
}};

constexpr bool InEnumOrder() {
    for (size_t i = 0; i < Entries.size(); ++i)
        if (static_cast<size_t>(Entries[i].Code) != i) return false;
    return true;
}
static_assert(InEnumOrder(), "one entry per code, in the enum's order");

const TMessageEntry& Entry(TMessageCode Code) {
    const auto index = static_cast<size_t>(Code);
    return Entries[index < Entries.size() ? index : 0];
}

}  // namespace

std::string_view CodeName(TMessageCode Code) { return Entry(Code).Name; }

std::string_view JapaneseTemplate(TMessageCode Code) { return Entry(Code).Japanese; }

std::string FillTemplate(std::string_view Template, const std::vector<std::string>& Args) {
    std::string text;
    text.reserve(Template.size());
    for (size_t i = 0; i < Template.size(); ++i) {
        const bool slot = Template[i] == '{' && i + 2 < Template.size() && Template[i + 1] >= '1' &&
                          Template[i + 1] <= '9' && Template[i + 2] == '}';
        const auto index = slot ? static_cast<size_t>(Template[i + 1] - '1') : Args.size();
        if (index < Args.size()) {
            text += Args[index];
            i += 2;
        } else {
            text += Template[i];
        }
    }
    return text;
}

std::string JapaneseText(const TMessage& Message) {
    return FillTemplate(JapaneseTemplate(Message.Code), ArgsWithReasons(Message, JapaneseText));
}

}  // namespace lumerra
