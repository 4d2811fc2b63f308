#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <memory>

#include "app/box_text.h"
#include "app/city_picker.h"
#include "app/main_window.h"
#include "app/product_site.h"
#include "app/result_model.h"
#include "tests/app/app_test_support.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::FakeDialogs;
using testing::Find;

// A shown main window that goes away with the test.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = new MainWindow({}, dialogs_);
    window_->show();
  }
  void TearDown() override { delete window_.data(); }

  template <class Control>
  Control* Get(const QString& name) {
    return Find<Control>(*window_, name);
  }

  FakeDialogs dialogs_;
  QPointer<MainWindow> window_;
};

struct ControlCase {
  QString name;
  const char* kind;  // Qt class
  QString parent;    // group box, or empty for the window itself
  QRect place;
  QString caption;  // caption or initial text
  int checked;      // -1: not a checkable control
};

TEST_F(MainWindowTest, EveryControlStartsAsDesigned) {
  const ControlCase cases[] = {
      {u"分组框4"_s, "QGroupBox", {}, {875, 8, 328, 56}, u"平台选择"_s, -1},
      {u"分组框1"_s, "QGroupBox", {}, {875, 75, 328, 144}, u"城市添加"_s, -1},
      {u"分组框2"_s, "QGroupBox", {}, {875, 225, 328, 144}, u"关键词添加"_s, -1},
      {u"分组框3"_s, "QGroupBox", {}, {875, 376, 328, 288}, u"采集设置"_s, -1},
      {u"超级列表框1"_s, "QTableView", {}, {2, 4, 863, 659}, {}, -1},
      {u"单选框_百度平台"_s, "QRadioButton", u"分组框4"_s, {13, 22, 80, 24}, u"百度平台"_s, 1},
      {u"单选框_高德平台"_s, "QRadioButton", u"分组框4"_s, {234, 22, 80, 24}, u"高德平台"_s, 0},
      {u"编辑框_城市名称"_s, "QPlainTextEdit", u"分组框1"_s, {8, 17, 210, 120}, {}, -1},
      {u"按钮_添加城市"_s, "QPushButton", u"分组框1"_s, {229, 15, 88, 32}, u"添加城市"_s, -1},
      {u"按钮_清空城市"_s, "QPushButton", u"分组框1"_s, {229, 96, 88, 32}, u"清空城市"_s, -1},
      {u"编辑框_商家信息"_s,
       "QPlainTextEdit",
       u"分组框2"_s,
       {9, 17, 210, 119},
       u"超市\n酒店\n"_s,
       -1},
      {u"按钮_清空关键词"_s, "QPushButton", u"分组框2"_s, {230, 49, 88, 32}, u"清空关键词"_s, -1},
      {u"按钮_开始挖掘"_s, "QPushButton", u"分组框3"_s, {11, 23, 80, 28}, u"开始采集"_s, -1},
      {u"按钮_停止挖掘"_s, "QPushButton", u"分组框3"_s, {11, 71, 80, 28}, u"停止采集"_s, -1},
      {u"按钮_清空"_s, "QPushButton", u"分组框3"_s, {11, 121, 80, 28}, u"清空数据"_s, -1},
      {u"按钮_导出VCF"_s, "QPushButton", u"分组框3"_s, {119, 23, 80, 28}, u"导出VCF"_s, -1},
      {u"按钮_导出txt"_s, "QPushButton", u"分组框3"_s, {119, 72, 80, 28}, u"导出txt"_s, -1},
      {u"按钮_导出Excel"_s, "QPushButton", u"分组框3"_s, {119, 121, 80, 28}, u"导出Excel"_s, -1},
      {u"按钮_导出txt1"_s, "QPushButton", u"分组框3"_s, {227, 23, 80, 28}, u"导出手机号"_s, -1},
      {u"选择框_过滤重复数据"_s,
       "QCheckBox",
       u"分组框3"_s,
       {222, 75, 98, 24},
       u"过滤重复数据"_s,
       0},
      {u"选择框_过滤座机"_s, "QCheckBox", u"分组框3"_s, {222, 123, 98, 24}, u"过滤座机号码"_s, 0},
      {u"标签1"_s, "QLabel", u"分组框3"_s, {5, 180, 63, 24}, u"正在采集第："_s, -1},
      {u"编辑框_成功查询"_s, "QLineEdit", u"分组框3"_s, {76, 180, 80, 26}, {}, -1},
      {u"标签2"_s, "QLabel", u"分组框3"_s, {165, 178, 65, 24}, u"当前关键词："_s, -1},
      {u"编辑框_关键词"_s, "QLineEdit", u"分组框3"_s, {237, 177, 80, 26}, {}, -1},
      {u"按钮_官方网站"_s, "QPushButton", u"分组框3"_s, {13, 240, 80, 32}, u"官方网站"_s, -1},
  };

  for (const ControlCase& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    QWidget* control = Get<QWidget>(c.name);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), c.kind);
    EXPECT_EQ(control->parentWidget()->objectName(), c.parent);
    if (c.parent.isEmpty()) {
      EXPECT_EQ(control->parentWidget(), window_.data());
    }
    EXPECT_EQ(control->geometry(), c.place);
    EXPECT_TRUE(control->isVisible());
    EXPECT_TRUE(control->isEnabled());

    QString text;
    if (auto* group = qobject_cast<QGroupBox*>(control)) text = group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) text = button->text();
    if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
    if (auto* line = qobject_cast<QLineEdit*>(control)) text = line->text();
    if (auto* box = qobject_cast<QPlainTextEdit*>(control)) text = box->toPlainText();
    EXPECT_EQ(text, c.caption);
    if (c.checked >= 0) {
      EXPECT_EQ(qobject_cast<QAbstractButton*>(control)->isChecked(), c.checked == 1);
    }
  }

  EXPECT_EQ(window_->windowTitle(), u"Varnelo"_s);
  // The frame sits at 50,50; the designed size is the inside the controls are
  // placed in.
  EXPECT_EQ(window_->frameGeometry().topLeft(), QPoint(50, 50));
  EXPECT_EQ(window_->size(), MainWindow::kDesignSize);
  EXPECT_EQ(window_->parentWidget(), nullptr);
  EXPECT_TRUE(window_->testAttribute(Qt::WA_DeleteOnClose));
}

TEST_F(MainWindowTest, KeywordBoxReadsAsTheTwelveBytesOfTwoCrLfLines) {
  const std::string expected = "\xB3\xAC\xCA\xD0\r\n\xBE\xC6\xB5\xEA\r\n";
  EXPECT_EQ(ToSystemLines(Get<QPlainTextEdit>(u"编辑框_商家信息"_s)->toPlainText()), expected);
}

TEST_F(MainWindowTest, EditBoxesAreEditableBlackOnWhiteExceptTheTwoProgressBoxes) {
  struct ColourCase {
    QString name;
    QColor text;
  };
  const ColourCase cases[] = {
      {u"编辑框_城市名称"_s, Qt::black},
      {u"编辑框_商家信息"_s, Qt::black},
      {u"编辑框_成功查询"_s, QColor(255, 0, 0)},
      {u"编辑框_关键词"_s, QColor(0, 255, 0)},
  };
  for (const ColourCase& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    QWidget* box = Get<QWidget>(c.name);
    EXPECT_EQ(box->palette().color(QPalette::Text), c.text);
    EXPECT_EQ(box->palette().color(QPalette::Base), QColor(Qt::white));
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
      EXPECT_FALSE(line->isReadOnly());
      EXPECT_EQ(line->maxLength(), std::numeric_limits<int>::max());
    }
    if (auto* multi = qobject_cast<QPlainTextEdit*>(box)) {
      EXPECT_FALSE(multi->isReadOnly());
      EXPECT_EQ(multi->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
      EXPECT_EQ(multi->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }
  }
}

TEST_F(MainWindowTest, ResultsListIsAReportViewWithSixTitledColumns) {
  auto* list = Get<QTableView>(u"超级列表框1"_s);
  ASSERT_NE(list->model(), nullptr);
  EXPECT_EQ(list->model()->rowCount(), 0);
  ASSERT_EQ(list->model()->columnCount(), 6);

  const QString titles[] = {u"编号"_s,     u"店铺名"_s, u"联系电话"_s,
                            u"联系地址"_s, u"区域"_s,   u"详细坐标"_s};
  const int widths[] = {50, 180, 130, 200, 100, 180};
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(list->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
    EXPECT_EQ(list->columnWidth(column), widths[column]) << column;
  }
  EXPECT_TRUE(list->horizontalHeader()->isVisible());
  EXPECT_FALSE(list->verticalHeader()->isVisible());
  EXPECT_TRUE(list->horizontalHeader()->sectionsMovable());
  EXPECT_TRUE(list->horizontalHeader()->sectionsClickable());
  EXPECT_FALSE(list->isSortingEnabled());
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_TRUE(list->showGrid());
}

TEST_F(MainWindowTest, DraggingAHeaderChangesOnlyTheDisplay) {
  window_->results().AppendRows({testing::GbkRow(
      {u"1"_s, u"便民超市"_s, u"13800000001"_s, u"长江西路1号"_s, u"合肥市"_s, u"1，2"_s})});
  auto* list = Get<QTableView>(u"超级列表框1"_s);
  // "区域" in front of "店铺名".
  list->horizontalHeader()->moveSection(4, 1);
  EXPECT_EQ(list->horizontalHeader()->logicalIndex(1), 4);
  EXPECT_EQ(window_->results().Cell(0, kColumnName), testing::Gbk(u"便民超市"_s));
  EXPECT_EQ(window_->results().Cell(0, kColumnArea), testing::Gbk(u"合肥市"_s));
  EXPECT_EQ(window_->results().Row(0)[kColumnTelephone], "13800000001");
}

TEST_F(MainWindowTest, ResizingGrowsTheListAndKeepsThePanelAtTheRight) {
  window_->resize(MainWindow::kDesignSize + QSize(100, 50));
  EXPECT_EQ(Get<QWidget>(u"超级列表框1"_s)->geometry(), QRect(2, 4, 963, 709));
  EXPECT_EQ(Get<QWidget>(u"分组框4"_s)->geometry(), QRect(975, 8, 328, 56));
  EXPECT_EQ(Get<QWidget>(u"分组框3"_s)->geometry(), QRect(975, 376, 328, 288));
  EXPECT_EQ(Get<QWidget>(u"按钮_开始挖掘"_s)->geometry(), QRect(11, 23, 80, 28));

  window_->resize(MainWindow::kDesignSize);
  EXPECT_EQ(Get<QWidget>(u"超级列表框1"_s)->geometry(), QRect(2, 4, 863, 659));
  EXPECT_EQ(Get<QWidget>(u"分组框1"_s)->geometry(), QRect(875, 75, 328, 144));
}

TEST_F(MainWindowTest, RadioButtonsAreOneExclusiveGroup) {
  auto* baidu = Get<QRadioButton>(u"单选框_百度平台"_s);
  auto* amap = Get<QRadioButton>(u"单选框_高德平台"_s);
  baidu->click();  // the checked one clicked again stays checked
  EXPECT_TRUE(baidu->isChecked());
  EXPECT_FALSE(amap->isChecked());
  amap->click();
  EXPECT_FALSE(baidu->isChecked());
  EXPECT_TRUE(amap->isChecked());
  amap->click();
  EXPECT_TRUE(amap->isChecked());
}

TEST_F(MainWindowTest, ClearButtonsEmptyOnlyTheirOwnControl) {
  auto* cities = Get<QPlainTextEdit>(u"编辑框_城市名称"_s);
  auto* keywords = Get<QPlainTextEdit>(u"编辑框_商家信息"_s);
  cities->setPlainText(u"合肥|340100\n"_s);
  window_->results().AppendRows({testing::GbkRow({u"1"_s, u"店"_s, u"13800000001"_s})});

  Get<QPushButton>(u"按钮_清空城市"_s)->click();
  EXPECT_EQ(cities->toPlainText(), QString());
  EXPECT_EQ(keywords->toPlainText(), u"超市\n酒店\n"_s);
  EXPECT_EQ(window_->results().rowCount(), 1);

  Get<QPushButton>(u"按钮_清空关键词"_s)->click();
  EXPECT_EQ(keywords->toPlainText(), QString());
  EXPECT_EQ(window_->results().rowCount(), 1);

  Get<QPushButton>(u"按钮_清空"_s)->click();
  EXPECT_EQ(window_->results().rowCount(), 0);
}

TEST_F(MainWindowTest, StopWithoutARunOnlyEmptiesTheCountBox) {
  auto* count = Get<QLineEdit>(u"编辑框_成功查询"_s);
  auto* keyword = Get<QLineEdit>(u"编辑框_关键词"_s);
  count->setText(u"5条信息"_s);
  keyword->setText(u"超市"_s);
  Get<QPushButton>(u"按钮_停止挖掘"_s)->click();
  EXPECT_EQ(count->text(), QString());
  EXPECT_EQ(keyword->text(), u"超市"_s);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(MainWindowTest, ProductSiteOpensTheOneAddressInTheBrowser) {
  Get<QPushButton>(u"按钮_官方网站"_s)->click();
  ASSERT_EQ(dialogs_.urls.size(), 1u);
  EXPECT_EQ(dialogs_.urls[0], QUrl(QStringView(kProductSiteAddress).toString()));
  EXPECT_TRUE(dialogs_.urls[0].isValid());
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(MainWindowTest, AddCityOpensOnePickerAndBringsItBack) {
  auto* add = Get<QPushButton>(u"按钮_添加城市"_s);
  add->click();
  QPointer<CityPicker> picker = window_->cityPicker();
  ASSERT_NE(picker, nullptr);
  EXPECT_TRUE(picker->isVisible());
  EXPECT_EQ(picker->parentWidget(), nullptr);
  EXPECT_TRUE(window_->isVisible());  // modeless: the main window stays

  picker->showMinimized();
  add->click();
  EXPECT_EQ(window_->cityPicker(), picker.data());
  EXPECT_FALSE(picker->isMinimized());
  EXPECT_TRUE(picker->isVisible());
  int pickers = 0;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (qobject_cast<CityPicker*>(top) != nullptr) ++pickers;
  }
  EXPECT_EQ(pickers, 1);

  picker->close();
  ASSERT_TRUE(testing::PumpUntil([&] { return picker.isNull(); }));
  EXPECT_EQ(window_->cityPicker(), nullptr);
  add->click();
  EXPECT_NE(window_->cityPicker(), nullptr);
  delete window_->cityPicker();
}

}  // namespace
}  // namespace varnelo
