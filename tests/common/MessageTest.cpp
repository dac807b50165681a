// Message codes: the Japanese sentence made from a code and its parameters.
#include <gtest/gtest.h>

#include <stdexcept>

#include "common/Exceptions.h"
#include "common/Message.h"

namespace lumerra {
namespace {

TEST(Message, TemplatesTakeTheirParametersOnceAndInPlace) {
    const struct {
        const char* Template;
        std::vector<std::string> Args;
        const char* Expected;
    } cases[] = {
        {"q が {1} 個、Q で閉じられていません。", {"3"}, "q が 3 個、Q で閉じられていません。"},
        {"/{2} of /{1}", {"Font", "F1"}, "/F1 of /Font"},
        {"{1} and {1}", {"x"}, "x and x"},
        // A parameter is never read as a template: a name may hold "{1}".
        {"key /{1}", {"{1}{2}"}, "key /{1}{2}"},
        // Braces that are no parameter, and one past the end, stay.
        {"cannot hold { } or {0} or {2}", {"a"}, "cannot hold { } or {0} or {2}"},
        {"ends with {", {}, "ends with {"},
    };
    for (const auto& c : cases) EXPECT_EQ(FillTemplate(c.Template, c.Args), c.Expected) << c.Template;
}

TEST(Message, AnErrorKeepsItsCodeAndItsJapaneseText) {
    const EDamagedInput coded(MakeMessage(TMessageCode::TableRebuilt, 13), 40, 7);
    EXPECT_EQ(coded.Message(), "相互参照テーブルを再構築しました。（見つかったオブジェクト: 13 個）");
    EXPECT_EQ(coded.Text(), MakeMessage(TMessageCode::TableRebuilt, 13));
    EXPECT_EQ(coded.Context(), "object 7, offset 40");
    EXPECT_EQ(CodeName(coded.Text().Code), "table-rebuilt");

    const Exception plain("Decoded data would reach 2 GiB");
    EXPECT_EQ(MessageOf(plain), (TMessage{TMessageCode::Uncoded, {"Decoded data would reach 2 GiB"}}));
    EXPECT_EQ(JapaneseText(MessageOf(plain)), "Decoded data would reach 2 GiB");
    EXPECT_EQ(MessageOf(std::runtime_error("bad")).Args, std::vector<std::string>{"bad"});
}

// A reason inside a message stays a message, so its sentence is made in the
// language of the sentence around it, wherever its slot is.
TEST(Message, AReasonIsMadeASentenceByTheSameFrontEnd) {
    const TMessage damaged = MakeMessage(TMessageCode::StreamDamaged, TMessage(TMessageCode::FlateFailed), 120);
    EXPECT_EQ(damaged.Args, (std::vector<std::string>{"", "120"}));
    EXPECT_EQ(JapaneseText(damaged), "ストリームは 120 バイト目までしか検査していません（flate圧縮を正常に展開できませんでした。）。");
    const auto tagged = [](const TMessage& Reason) { return "<" + std::string(CodeName(Reason.Code)) + ">"; };
    EXPECT_EQ(ArgsWithReasons(damaged, tagged), (std::vector<std::string>{"<flate-failed>", "120"}));
    // Reasons nest.
    const TMessage nested = MakeMessage(TMessageCode::StreamUnreadable,
                                        MakeMessage(TMessageCode::CannotOpenFile, "a.pdf", TMessage(TMessageCode::ReadError)));
    EXPECT_EQ(JapaneseText(nested), "ストリームを検査していません（" + JapaneseText(MakeMessage(TMessageCode::CannotOpenFile, "a.pdf",
                                                                                              JapaneseText(TMessage(TMessageCode::ReadError)))) +
                                        "）。");
}

}  // namespace
}  // namespace lumerra
