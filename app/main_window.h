#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/run_controller.h"
#include "app/run_target.h"
#include "app/throttle.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace varnelo {

class CityPicker;
class ExportButtons;
class Dialogs;
class ResultModel;

// The two collection runs the platform radio buttons choose between.
struct PlatformRuns {
  RunFunction baidu;  // 单选框_百度平台
  RunFunction amap;   // 单选框_高德平台
};

// The main window: the run's inputs, the results list 超级列表框1 and the buttons.
// A top-level window without an owner, destroyed when it is closed. It holds no
// collection logic; Start hands over to the chosen run on a worker thread.
class MainWindow final : public QWidget, private RunTarget {
  Q_OBJECT

 public:
  // The size the control places are given for; the list grows from it and the
  // control panel keeps its distance from the right edge.
  static constexpr QSize kDesignSize{1216, 716};

  MainWindow(PlatformRuns runs, Dialogs& dialogs);
  ~MainWindow() override;

  ResultModel& results() { return *results_; }
  RunController& runs() { return *controller_; }
  ExportButtons& exports() { return *exports_; }
  // The open city picker, or null.
  CityPicker* cityPicker() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Closing asks nothing; a run still going is stopped, since nothing may write
  // into the window once it is gone.
  void closeEvent(QCloseEvent* event) override;

 private:
  void MakeControls();
  void MakeResultsList();
  void ConnectButtons();

  void Start();
  void Stop();
  void OpenCityPicker();
  void OpenProductSite();
  // While an export runs the four export buttons are disabled.
  void ShowExportRunning(bool running);

  // RunTarget, on the window thread only.
  QString CityText() const override;
  QString KeywordText() const override;
  bool LandlineFilter() const override;
  bool DuplicateFilter() const override;
  bool HasTelephone(std::string_view telephone) const override;
  void ShowKeyword(const QString& keyword) override;
  void ShowCount(const QString& countText) override;
  void AppendRows(std::vector<ResultRow> rows) override;
  void ShowPending() override;
  void ShowProgress();

  PlatformRuns platformRuns_;
  Dialogs& dialogs_;
  ResultModel* results_ = nullptr;
  std::unique_ptr<RunController> controller_;
  std::unique_ptr<ExportButtons> exports_;
  QPointer<CityPicker> picker_;
  // The latest texts a run wrote into the two progress boxes, not yet shown.
  std::optional<QString> pendingKeyword_;
  std::optional<QString> pendingCount_;
  Throttle progress_;

  QTableView* 超级列表框1 = nullptr;
  QGroupBox* 分组框4 = nullptr;
  QRadioButton* 单选框_百度平台 = nullptr;
  QRadioButton* 单选框_高德平台 = nullptr;
  QGroupBox* 分组框1 = nullptr;
  QPlainTextEdit* 编辑框_城市名称 = nullptr;
  QPushButton* 按钮_添加城市 = nullptr;
  QPushButton* 按钮_清空城市 = nullptr;
  QGroupBox* 分组框2 = nullptr;
  QPlainTextEdit* 编辑框_商家信息 = nullptr;
  QPushButton* 按钮_清空关键词 = nullptr;
  QGroupBox* 分组框3 = nullptr;
  QPushButton* 按钮_开始挖掘 = nullptr;
  QPushButton* 按钮_停止挖掘 = nullptr;
  QPushButton* 按钮_清空 = nullptr;
  QPushButton* 按钮_导出VCF = nullptr;
  QPushButton* 按钮_导出txt = nullptr;
  QPushButton* 按钮_导出Excel = nullptr;
  QPushButton* 按钮_导出txt1 = nullptr;
  QCheckBox* 选择框_过滤重复数据 = nullptr;
  QCheckBox* 选择框_过滤座机 = nullptr;
  QLabel* 标签1 = nullptr;
  QLineEdit* 编辑框_成功查询 = nullptr;
  QLabel* 标签2 = nullptr;
  QLineEdit* 编辑框_关键词 = nullptr;
  QPushButton* 按钮_官方网站 = nullptr;
};

}  // namespace varnelo
