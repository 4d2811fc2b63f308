#include "tests/faults/fault_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <stop_token>
#include <thread>
#include <utility>

#include "collect/place_search.h"
#include "collect/run_window.h"

namespace varnelo::faults {

const char* NameOf(MapPlatform platform) {
  return platform == MapPlatform::kBaidu ? "Baidu" : "Amap";
}

std::string Guangzhou(MapPlatform platform) {
  return platform == MapPlatform::kBaidu ? "257" : "440100";
}

PageKey GuangzhouPage(MapPlatform platform, std::string keyword, int runPage) {
  return {platform, Guangzhou(platform), std::move(keyword),
          platform == MapPlatform::kBaidu ? runPage - 1 : runPage};
}

std::vector<FakePlace> Shops(int count, const std::string& prefix) {
  std::vector<FakePlace> shops;
  for (int i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    shops.push_back({.name = name,
                     .telephone = std::to_string(13800000000LL + i),
                     .address = name + "路1号",
                     .area = "广州市天河区",
                     .x = "113.3245",
                     .y = "23.1379"});
  }
  return shops;
}

std::string Answer(MapPlatform platform, const std::vector<FakePlace>& places) {
  return platform == MapPlatform::kBaidu ? test::BaiduAnswer(places) : test::AmapAnswer(places);
}

std::string NoListAnswer(MapPlatform platform) {
  return platform == MapPlatform::kBaidu ? test::BaiduPastLastPageAnswer()
                                         : R"({"status":"1","data":{"code":"1","result":"true"}})";
}

RunEnd RunToEnd(MapPlatform platform, RunWindow& window, const PlaceSearch& search,
                std::chrono::seconds bound) {
  std::stop_source stop;
  std::promise<RunEnd> ended;
  std::future<RunEnd> end = ended.get_future();
  std::thread worker([&, token = stop.get_token()] {
    ended.set_value(platform == MapPlatform::kBaidu ? CollectBaidu(window, search, token)
                                                    : CollectAmap(window, search, token));
  });
  if (end.wait_for(bound) != std::future_status::ready) {
    ADD_FAILURE() << "the run has not ended after " << bound.count() << " s";
    stop.request_stop();
    if (end.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
      std::fprintf(stderr, "the run does not end even when stopped\n");
      std::abort();
    }
  }
  worker.join();
  return end.get();
}

}  // namespace varnelo::faults
