#include "app/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QTableView>
#include <QUrl>
#include <algorithm>
#include <utility>

#include "app/city_picker.h"
#include "app/controls.h"
#include "app/dialogs.h"
#include "app/export_buttons.h"
#include "app/product_site.h"
#include "app/result_model.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;

constexpr QRect kListPlace{2, 4, 863, 659};
constexpr int kColumnWidths[kResultColumnCount] = {50, 180, 130, 200, 100, 180};

}  // namespace

MainWindow::MainWindow(PlatformRuns runs, Dialogs& dialogs)
    : QWidget(nullptr),
      platformRuns_(std::move(runs)),
      dialogs_(dialogs),
      progress_(ResultModel::kAnnounceIntervalMs, [this] { ShowProgress(); }) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(u"Varnelo"_s);
  ApplyWindowFont(*this);
  move(50, 50);
  resize(kDesignSize);
  // Small enough to shrink, large enough that the panel never covers the list.
  setMinimumSize(kDesignSize.width() - kListPlace.width() + 100, 680);

  results_ = new ResultModel(this);
  RunTarget& target = *this;
  controller_ = std::make_unique<RunController>(target, dialogs_);
  exports_ = std::make_unique<ExportButtons>(*this, *results_, dialogs_);
  MakeResultsList();
  MakeControls();
  ConnectButtons();
}

MainWindow::~MainWindow() {
  // The worker goes first, while everything it might still reach exists.
  controller_.reset();
  exports_.reset();
}

void MainWindow::MakeResultsList() {
  超级列表框1 = new QTableView(this);
  超级列表框1->setObjectName(u"超级列表框1"_s);
  超级列表框1->setGeometry(kListPlace);
  超级列表框1->setModel(results_);
  超级列表框1->setSelectionBehavior(QAbstractItemView::SelectRows);
  超级列表框1->setSelectionMode(QAbstractItemView::SingleSelection);
  超级列表框1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  超级列表框1->setShowGrid(true);
  超级列表框1->setSortingEnabled(false);
  超级列表框1->setWordWrap(false);
  超级列表框1->setCornerButtonEnabled(false);
  QPalette palette = 超级列表框1->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  超级列表框1->setPalette(palette);

  // Report view: no row header; every row the same height, so a list of
  // hundreds of thousands of rows never measures its rows.
  QHeaderView* rowsHeader = 超级列表框1->verticalHeader();
  rowsHeader->hide();
  rowsHeader->setSectionResizeMode(QHeaderView::Fixed);
  rowsHeader->setDefaultSectionSize(fontMetrics().height() + 6);

  // Header sections can be clicked (nothing is bound to it) and dragged into
  // another order, which moves only what is shown: the model's columns, which
  // the exports read, stay in ResultRow order.
  QHeaderView* header = 超级列表框1->horizontalHeader();
  header->setSectionsClickable(true);
  header->setSectionsMovable(true);
  header->setHighlightSections(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  for (int column = 0; column < static_cast<int>(kResultColumnCount); ++column) {
    超级列表框1->setColumnWidth(column, kColumnWidths[column]);
  }

  // Rows are only ever added at the end, by a run, and the newest is to be seen.
  connect(results_, &QAbstractItemModel::rowsInserted, 超级列表框1, &QTableView::scrollToBottom);
}

void MainWindow::MakeControls() {
  分组框4 = MakeGroupBox(this, u"分组框4"_s, u"平台选择"_s, QRect(875, 8, 328, 56));
  单选框_百度平台 =
      MakeRadioButton(分组框4, u"单选框_百度平台"_s, u"百度平台"_s, QRect(13, 22, 80, 24), true);
  单选框_高德平台 =
      MakeRadioButton(分组框4, u"单选框_高德平台"_s, u"高德平台"_s, QRect(234, 22, 80, 24), false);

  分组框1 = MakeGroupBox(this, u"分组框1"_s, u"城市添加"_s, QRect(875, 75, 328, 144));
  编辑框_城市名称 = MakeMultiLineBox(分组框1, u"编辑框_城市名称"_s, QRect(8, 17, 210, 120),
                                     Qt::ScrollBarAlwaysOn);
  按钮_添加城市 = MakeButton(分组框1, u"按钮_添加城市"_s, u"添加城市"_s, QRect(229, 15, 88, 32));
  按钮_清空城市 = MakeButton(分组框1, u"按钮_清空城市"_s, u"清空城市"_s, QRect(229, 96, 88, 32));

  分组框2 = MakeGroupBox(this, u"分组框2"_s, u"关键词添加"_s, QRect(875, 225, 328, 144));
  编辑框_商家信息 = MakeMultiLineBox(分组框2, u"编辑框_商家信息"_s, QRect(9, 17, 210, 119),
                                     Qt::ScrollBarAlwaysOn);
  编辑框_商家信息->setPlainText(u"超市\n酒店\n"_s);
  按钮_清空关键词 =
      MakeButton(分组框2, u"按钮_清空关键词"_s, u"清空关键词"_s, QRect(230, 49, 88, 32));

  分组框3 = MakeGroupBox(this, u"分组框3"_s, u"采集设置"_s, QRect(875, 376, 328, 288));
  按钮_开始挖掘 = MakeButton(分组框3, u"按钮_开始挖掘"_s, u"开始采集"_s, QRect(11, 23, 80, 28));
  按钮_停止挖掘 = MakeButton(分组框3, u"按钮_停止挖掘"_s, u"停止采集"_s, QRect(11, 71, 80, 28));
  按钮_清空 = MakeButton(分组框3, u"按钮_清空"_s, u"清空数据"_s, QRect(11, 121, 80, 28));
  按钮_导出VCF = MakeButton(分组框3, u"按钮_导出VCF"_s, u"导出VCF"_s, QRect(119, 23, 80, 28));
  按钮_导出txt = MakeButton(分组框3, u"按钮_导出txt"_s, u"导出txt"_s, QRect(119, 72, 80, 28));
  按钮_导出Excel =
      MakeButton(分组框3, u"按钮_导出Excel"_s, u"导出Excel"_s, QRect(119, 121, 80, 28));
  按钮_导出txt1 = MakeButton(分组框3, u"按钮_导出txt1"_s, u"导出手机号"_s, QRect(227, 23, 80, 28));
  选择框_过滤重复数据 = MakeCheckBox(分组框3, u"选择框_过滤重复数据"_s, u"过滤重复数据"_s,
                                     QRect(222, 75, 98, 24), false);
  选择框_过滤座机 = MakeCheckBox(分组框3, u"选择框_过滤座机"_s, u"过滤座机号码"_s,
                                 QRect(222, 123, 98, 24), false);
  标签1 = MakeLabel(分组框3, u"标签1"_s, u"正在采集第："_s, QRect(5, 180, 63, 24));
  编辑框_成功查询 =
      MakeLineBox(分组框3, u"编辑框_成功查询"_s, QRect(76, 180, 80, 26), QColor(255, 0, 0));
  标签2 = MakeLabel(分组框3, u"标签2"_s, u"当前关键词："_s, QRect(165, 178, 65, 24));
  编辑框_关键词 =
      MakeLineBox(分组框3, u"编辑框_关键词"_s, QRect(237, 177, 80, 26), QColor(0, 255, 0));
  按钮_官方网站 = MakeButton(分组框3, u"按钮_官方网站"_s, u"官方网站"_s, QRect(13, 240, 80, 32));
}

void MainWindow::ConnectButtons() {
  connect(按钮_开始挖掘, &QPushButton::clicked, this, &MainWindow::Start);
  connect(按钮_停止挖掘, &QPushButton::clicked, this, &MainWindow::Stop);
  connect(按钮_清空, &QPushButton::clicked, results_, &ResultModel::Clear);
  connect(按钮_清空关键词, &QPushButton::clicked, 编辑框_商家信息, &QPlainTextEdit::clear);
  connect(按钮_清空城市, &QPushButton::clicked, 编辑框_城市名称, &QPlainTextEdit::clear);
  connect(按钮_添加城市, &QPushButton::clicked, this, &MainWindow::OpenCityPicker);
  connect(按钮_官方网站, &QPushButton::clicked, this, &MainWindow::OpenProductSite);
  connect(按钮_导出txt, &QPushButton::clicked, this, [this] { exports_->Run(ExportKind::kText); });
  connect(按钮_导出txt1, &QPushButton::clicked, this,
          [this] { exports_->Run(ExportKind::kTelephones); });
  connect(按钮_导出VCF, &QPushButton::clicked, this,
          [this] { exports_->Run(ExportKind::kContactCards); });
  connect(按钮_导出Excel, &QPushButton::clicked, this,
          [this] { exports_->Run(ExportKind::kSpreadsheet); });
  connect(exports_.get(), &ExportButtons::runningChanged, this, &MainWindow::ShowExportRunning);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int dx = width() - kDesignSize.width();
  const int dy = height() - kDesignSize.height();
  超级列表框1->resize(std::max(0, kListPlace.width() + dx), std::max(0, kListPlace.height() + dy));
  for (QGroupBox* group : {分组框4, 分组框1, 分组框2, 分组框3}) {
    group->move(875 + dx, group->y());
  }
}

void MainWindow::ShowExportRunning(bool running) {
  for (QPushButton* button : {按钮_导出txt, 按钮_导出txt1, 按钮_导出VCF, 按钮_导出Excel}) {
    button->setEnabled(!running);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  controller_->Stop();
  QWidget::closeEvent(event);
}

void MainWindow::Start() {
  // One radio button is always checked; a second run never starts beside one
  // that is going (the controller refuses it).
  if (单选框_百度平台->isChecked()) {
    controller_->Start(platformRuns_.baidu);
  } else if (单选框_高德平台->isChecked()) {
    controller_->Start(platformRuns_.amap);
  }
}

void MainWindow::Stop() {
  controller_->Stop();
  progress_.RunNow();
  编辑框_成功查询->clear();
}

void MainWindow::OpenCityPicker() {
  if (picker_ != nullptr) {
    if (picker_->isMinimized()) picker_->showNormal();
    picker_->raise();
    picker_->activateWindow();
    return;
  }
  picker_ = new CityPicker(编辑框_城市名称);
  picker_->show();
}

CityPicker* MainWindow::cityPicker() const { return picker_; }

void MainWindow::OpenProductSite() {
  dialogs_.OpenUrl(QUrl(QStringView(kProductSiteAddress).toString()));
}

QString MainWindow::CityText() const { return 编辑框_城市名称->toPlainText(); }
QString MainWindow::KeywordText() const { return 编辑框_商家信息->toPlainText(); }
bool MainWindow::LandlineFilter() const { return 选择框_过滤座机->isChecked(); }
bool MainWindow::DuplicateFilter() const { return 选择框_过滤重复数据->isChecked(); }

bool MainWindow::HasTelephone(std::string_view telephone) const {
  return results_->HasTelephone(telephone);
}

void MainWindow::ShowKeyword(const QString& keyword) {
  pendingKeyword_ = keyword;
  progress_.Request();
}

void MainWindow::ShowCount(const QString& countText) {
  pendingCount_ = countText;
  progress_.Request();
}

void MainWindow::ShowProgress() {
  if (pendingKeyword_) 编辑框_关键词->setText(*std::exchange(pendingKeyword_, std::nullopt));
  if (pendingCount_) 编辑框_成功查询->setText(*std::exchange(pendingCount_, std::nullopt));
}

void MainWindow::AppendRows(std::vector<ResultRow> rows) { results_->AppendRows(std::move(rows)); }

void MainWindow::ShowPending() {
  results_->ShowAppendedRows();
  progress_.RunNow();
}

}  // namespace varnelo
