#pragma once

#include <QString>
#include <string_view>
#include <vector>

#include "text/result_row.h"

namespace varnelo {

// The window a run works on, as seen from the window thread. The bridge carries
// every access of a run here; nothing of it is called from any other thread.
// Texts are in the window's own form (UTF-16, "\n" lines); rows stay code page
// 936 until a view shows them.
class RunTarget {
 public:
  virtual ~RunTarget() = default;

  virtual QString CityText() const = 0;      // 编辑框_城市名称
  virtual QString KeywordText() const = 0;   // 编辑框_商家信息
  virtual bool LandlineFilter() const = 0;   // 选择框_过滤座机
  virtual bool DuplicateFilter() const = 0;  // 选择框_过滤重复数据
  virtual bool HasTelephone(std::string_view telephone) const = 0;

  // The writes take effect at once; the window shows them soon after, at the
  // pace a reader can follow.
  virtual void ShowKeyword(const QString& keyword) = 0;  // 编辑框_关键词
  virtual void ShowCount(const QString& countText) = 0;  // 编辑框_成功查询
  // Appends the rows at the end of 超级列表框1, the last of them brought into view.
  virtual void AppendRows(std::vector<ResultRow> rows) = 0;
  // Shows everything written so far now, before the run puts anything else in
  // front of the user, or stops.
  virtual void ShowPending() = 0;
};

}  // namespace varnelo
