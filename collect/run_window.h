#pragma once

#include <string>
#include <string_view>

#include "text/result_row.h"

namespace varnelo {

// Everything a collection run does to its window, one synchronous access at a
// time. The desktop bridge, the command line and the tests each implement it.
// All texts are code page 936. Once the run's stop token has been raised, an
// access may return at once without effect (readers then return empty/false).
class RunWindow {
 public:
  virtual ~RunWindow() = default;

  // Reading the inputs.
  virtual std::string CityText() = 0;     // 编辑框_城市名称
  virtual std::string KeywordText() = 0;  // 编辑框_商家信息
  virtual bool LandlineFilter() = 0;      // 选择框_过滤座机 checked
  virtual bool DuplicateFilter() = 0;     // 选择框_过滤重复 checked
  // True when a row with exactly this telephone is already in the results list.
  virtual bool HasTelephone(std::string_view telephone) = 0;

  // Showing progress.
  virtual void ShowKeyword(std::string_view keyword) = 0;  // 编辑框_关键词
  virtual void ShowCount(std::string_view countText) = 0;  // 编辑框_成功查询
  // Appends the row at the end of the results list and brings it into view.
  virtual void AppendRow(const ResultRow& row) = 0;

  // Messages. Both wait until the user has answered.
  virtual void ShowFinished() = 0;       // "采集完成", OK
  virtual bool AskOpenSliderLink() = 0;  // "是否打开滑块链接！", Yes (true) / No
  virtual void OpenLink(std::string_view url) = 0;  // in the default browser
};

}  // namespace varnelo
