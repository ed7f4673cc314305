#include <gtest/gtest.h>

#include "config/Error.h"
#include "session/IconvConvert.h"

namespace velmok::config {

using session::Utf8ToSjis;

TEST(ErrorText, TextsWithTrickyBlanksAreExact) {
    // Userに2 バイト文字は使用できません。
    EXPECT_EQ(ErrorText(18), Utf8ToSjis("User\xe3\x81\xab"
                                        "2 \xe3\x83\x90\xe3\x82\xa4\xe3\x83\x88"
                                        "\xe6\x96\x87\xe5\xad\x97\xe3\x81\xaf\xe4\xbd\xbf\xe7\x94\xa8"
                                        "\xe3\x81\xa7\xe3\x81\x8d\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93"
                                        "\xe3\x80\x82"));
    // Nickに使用できる文字は英数字および- [ ]  ` ^ { } | _です。
    EXPECT_EQ(ErrorText(23), Utf8ToSjis("Nick\xe3\x81\xab\xe4\xbd\xbf\xe7\x94\xa8\xe3\x81\xa7\xe3\x81\x8d"
                                        "\xe3\x82\x8b\xe6\x96\x87\xe5\xad\x97\xe3\x81\xaf\xe8\x8b\xb1"
                                        "\xe6\x95\xb0\xe5\xad\x97\xe3\x81\x8a\xe3\x82\x88\xe3\x81\xb3"
                                        "- [ ]  ` ^ { } | _\xe3\x81\xa7\xe3\x81\x99\xe3\x80\x82"));
    // タブ数が上限に達したため、タブを開けません。
    EXPECT_EQ(ErrorText(31), Utf8ToSjis("\xe3\x82\xbf\xe3\x83\x96\xe6\x95\xb0\xe3\x81\x8c\xe4\xb8\x8a"
                                        "\xe9\x99\x90\xe3\x81\xab\xe9\x81\x94\xe3\x81\x97\xe3\x81\x9f"
                                        "\xe3\x81\x9f\xe3\x82\x81\xe3\x80\x81\xe3\x82\xbf\xe3\x83\x96"
                                        "\xe3\x82\x92\xe9\x96\x8b\xe3\x81\x91\xe3\x81\xbe\xe3\x81\x9b"
                                        "\xe3\x82\x93\xe3\x80\x82"));
    // 接続を確立できません。
    EXPECT_EQ(ErrorText(1), Utf8ToSjis("\xe6\x8e\xa5\xe7\xb6\x9a\xe3\x82\x92\xe7\xa2\xba\xe7\xab\x8b"
                                       "\xe3\x81\xa7\xe3\x81\x8d\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93"
                                       "\xe3\x80\x82"));
    // 指定のChannelは既に登録されています。
    EXPECT_EQ(ErrorText(34), Utf8ToSjis("\xe6\x8c\x87\xe5\xae\x9a\xe3\x81\xae"
                                        "Channel\xe3\x81\xaf"
                                        "\xe6\x97\xa2\xe3\x81\xab\xe7\x99\xbb\xe9\x8c\xb2\xe3\x81\x95"
                                        "\xe3\x82\x8c\xe3\x81\xa6\xe3\x81\x84\xe3\x81\xbe\xe3\x81\x99"
                                        "\xe3\x80\x82"));
}

TEST(ErrorText, TableBounds) {
    EXPECT_EQ(ErrorText(0), "");
    for (int i = 1; i < kErrorTextCount; ++i) {
        EXPECT_FALSE(ErrorText(i).empty()) << i;
        // Every text is a full sentence ending in the ideographic full stop.
        EXPECT_EQ(ErrorText(i).substr(ErrorText(i).size() - 2), "\x81\x42") << i;
    }
    EXPECT_EQ(ErrorText(-1), "");
    EXPECT_EQ(ErrorText(kErrorTextCount), "");
    EXPECT_EQ(ErrorText(1000), "");
    EXPECT_STREQ(kApplicationTitle, "Velmok 2.2");
}

}  // namespace velmok::config
