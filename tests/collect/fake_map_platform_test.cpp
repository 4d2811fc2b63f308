#include "tests/support/fake_map_platform.h"

#include <gtest/gtest.h>

#include <string>

#include "web/web_request.h"

namespace varnelo {
namespace {

using namespace varnelo::test;

TEST(FixtureFolderNameTest, KeepsTextsReadableAndFoldersSafe) {
  const struct {
    const char* text;
    const char* folder;
  } cases[] = {
      {"超市", "超市"}, {"KTV 24h", "KTV 24h"}, {"", "%empty"},   {"a/b", "a%2Fb"},
      {"..", "%2E."},   {".", "%2E"},           {"50%", "50%25"}, {"a\\b\n", "a%5Cb%0A"},
  };
  for (const auto& c : cases) EXPECT_EQ(FixtureFolderName(c.text), c.folder) << c.text;
  EXPECT_EQ(FixturePath("/data", {MapPlatform::kAmap, "", "超市", 3}),
            std::filesystem::path("/data/amap/%empty/超市/3.json"));
}

TEST(FakeAnswerTest, BaiduEscapesEverythingButAscii) {
  const std::string answer =
      BaiduAnswer({{.name = "苹果🍎店", .telephone = std::nullopt, .address = "1/2号"}});
  for (char c : answer) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << answer;
  EXPECT_NE(answer.find(R"("name":"\u82f9\u679c\ud83c\udf4e\u5e97")"), std::string::npos);
  EXPECT_NE(answer.find(R"("addr":"1\/2\u53f7")"), std::string::npos);
  EXPECT_EQ(answer.find("\"tel\""), std::string::npos);
}

TEST(FakeAnswerTest, AmapWritesAMissingTelephoneAsAnEmptyString) {
  const std::string answer = AmapAnswer({{.name = "店", .telephone = std::nullopt, .x = "113.1"}});
  EXPECT_NE(answer.find(R"("tel":"")"), std::string::npos);
  EXPECT_NE(answer.find(R"("longitude":"113.1")"), std::string::npos);
  EXPECT_NE(answer.find(R"("disp_name":"店")"), std::string::npos);
}

TEST(FakeMapPlatformTest, RecordsTargetsThatNameNoPageAndAnswersNotFound) {
  FakeMapPlatform platform;
  ASSERT_TRUE(platform.IsListening());
  for (const std::string target : {"/other?pn=1", "/?c=257&wd=a", "/service/poiInfo?pagenum=x"}) {
    WebRequestArgs args;
    args.url = "https://" + platform.host() + target;
    EXPECT_EQ(WebRequest(args), "") << target;
    EXPECT_EQ(args.status, 404) << target;
  }
  const auto requests = platform.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].target, "/other?pn=1");
  for (const RecordedRequest& request : requests) EXPECT_FALSE(request.page) << request.target;
}

}  // namespace
}  // namespace varnelo
