#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTreeWidget>

#include "app/box_text.h"
#include "app/city_picker.h"
#include "app/main_window.h"
#include "tests/app/app_test_support.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::Find;
using testing::Gbk;

class CityPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = new MainWindow({}, dialogs_);
    window_->show();
    cityBox_ = Find<QPlainTextEdit>(*window_, u"编辑框_城市名称"_s);
    Open();
  }
  void TearDown() override {
    delete picker_.data();
    delete window_.data();
  }

  void Open() {
    Find<QPushButton>(*window_, u"按钮_添加城市"_s)->click();
    picker_ = window_->cityPicker();
    ASSERT_NE(picker_, nullptr);
    tree_ = Find<QTreeWidget>(*picker_, u"树型框_城市"_s);
    picked_ = Find<QPlainTextEdit>(*picker_, u"编辑框_已选城市"_s);
  }

  QTreeWidgetItem* Province(const QString& name) {
    const auto found = tree_->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
  }
  QTreeWidgetItem* City(const QString& line) {
    const auto found = tree_->findItems(line, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
  }

  void DoubleClickItem(QTreeWidgetItem* item) {
    ASSERT_NE(item, nullptr);
    tree_->scrollToItem(item);
    testing::DoubleClick(tree_->viewport(), tree_->visualItemRect(item).center());
  }

  std::string Picked() const { return picker_->PickedLines(); }
  std::string CityLines() const { return ToSystemLines(cityBox_->toPlainText()); }

  testing::FakeDialogs dialogs_;
  QPointer<MainWindow> window_;
  QPointer<CityPicker> picker_;
  QPlainTextEdit* cityBox_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QPlainTextEdit* picked_ = nullptr;
};

TEST_F(CityPickerTest, WindowIsLaidOutAsDesigned) {
  struct Place {
    QString name;
    QString parent;
    QRect place;
  };
  const Place places[] = {
      {u"分组框1"_s, {}, {8, 8, 197, 480}},
      {u"树型框_城市"_s, u"分组框1"_s, {13, 20, 171, 409}},
      {u"按钮_城市保存"_s, u"分组框1"_s, {48, 436, 80, 32}},
      {u"分组框2"_s, {}, {213, 12, 176, 476}},
      {u"编辑框_已选城市"_s, u"分组框2"_s, {8, 18, 160, 409}},
      {u"按钮_城市清空"_s, u"分组框2"_s, {40, 434, 80, 32}},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(p.name.toStdString());
    QWidget* control = Find<QWidget>(*picker_, p.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), p.place);
    EXPECT_EQ(control->parentWidget()->objectName(), p.parent);
  }
  EXPECT_EQ(Find<QGroupBox>(*picker_, u"分组框1"_s)->title(), u"请选择你想要的城市"_s);
  EXPECT_EQ(Find<QGroupBox>(*picker_, u"分组框2"_s)->title(), u"已选城市名"_s);
  EXPECT_EQ(Find<QPushButton>(*picker_, u"按钮_城市保存"_s)->text(), u"保存"_s);
  EXPECT_EQ(Find<QPushButton>(*picker_, u"按钮_城市清空"_s)->text(), u"清空"_s);
  EXPECT_EQ(picker_->windowTitle(), u"城市选择"_s);
  // Placed by its frame, sized by its inside, like the main window.
  EXPECT_EQ(picker_->frameGeometry().topLeft(), QPoint(50, 50));
  EXPECT_EQ(picker_->size(), QSize(401, 520));
  EXPECT_EQ(picker_->parentWidget(), nullptr);
  EXPECT_EQ(picked_->toPlainText(), QString());
  EXPECT_EQ(picked_->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(picked_->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_FALSE(picked_->isReadOnly());
  EXPECT_EQ(tree_->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_TRUE(tree_->rootIsDecorated());
}

TEST_F(CityPickerTest, TreeHoldsEveryProvinceWithItsCitiesAndCodes) {
  // Province, number of cities, the first two digits every city code of the
  // province shares (empty for the municipalities, which share none).
  struct ProvinceCase {
    QString name;
    int cities;
    QString prefix;
  };
  const ProvinceCase provinces[] = {
      {u"安徽"_s, 16, u"34"_s}, {u"福建"_s, 9, u"35"_s},    {u"广东"_s, 21, u"44"_s},
      {u"广西"_s, 14, u"45"_s}, {u"贵州"_s, 9, u"52"_s},    {u"甘肃"_s, 14, u"62"_s},
      {u"河北"_s, 10, u"13"_s}, {u"黑龙江"_s, 13, u"23"_s}, {u"河南"_s, 18, u"41"_s},
      {u"湖北"_s, 17, u"42"_s}, {u"湖南"_s, 14, u"43"_s},   {u"海南"_s, 4, u"46"_s},
      {u"吉林"_s, 9, u"22"_s},  {u"江苏"_s, 13, u"32"_s},   {u"江西"_s, 11, u"36"_s},
      {u"辽宁"_s, 14, u"21"_s}, {u"内蒙古"_s, 12, u"15"_s}, {u"宁夏"_s, 5, u"64"_s},
      {u"青海"_s, 8, u"63"_s},  {u"山西"_s, 11, u"14"_s},   {u"山东"_s, 17, u"37"_s},
      {u"四川"_s, 21, u"51"_s}, {u"陕西"_s, 10, u"61"_s},   {u"西藏"_s, 7, u"54"_s},
      {u"新疆"_s, 18, u"65"_s}, {u"云南"_s, 16, u"53"_s},   {u"浙江"_s, 11, u"33"_s},
      {u"直辖市"_s, 4, {}},
  };
  ASSERT_EQ(tree_->topLevelItemCount(), 28);
  const QRegularExpression cityLine(u"^[^|]+\\|(\\d{6})$"_s);
  QSet<QString> codes;
  int cities = 0;
  for (int i = 0; i < 28; ++i) {
    const ProvinceCase& expected = provinces[i];
    QTreeWidgetItem* province = tree_->topLevelItem(i);
    SCOPED_TRACE(expected.name.toStdString());
    EXPECT_EQ(province->text(0), expected.name);
    EXPECT_FALSE(province->isExpanded());
    ASSERT_EQ(province->childCount(), expected.cities);
    for (int c = 0; c < province->childCount(); ++c) {
      QTreeWidgetItem* city = province->child(c);
      const auto match = cityLine.match(city->text(0));
      ASSERT_TRUE(match.hasMatch()) << city->text(0).toStdString();
      EXPECT_TRUE(match.captured(1).startsWith(expected.prefix)) << city->text(0).toStdString();
      codes.insert(match.captured(1));
      EXPECT_EQ(city->childCount(), 0);
      EXPECT_TRUE(city->icon(0).isNull());
      EXPECT_FALSE(city->data(0, Qt::CheckStateRole).isValid());
      EXPECT_FALSE(city->flags() & Qt::ItemIsEditable);
      ++cities;
    }
  }
  EXPECT_EQ(cities, 346);
  EXPECT_EQ(codes.size(), 346);  // no city twice

  // 孝感 between 荆门 and 荆州.
  QTreeWidgetItem* hubei = Province(u"湖北"_s);
  ASSERT_NE(hubei, nullptr);
  EXPECT_EQ(hubei->child(6)->text(0), u"荆门|420800"_s);
  EXPECT_EQ(hubei->child(7)->text(0), u"孝感|420900"_s);
  EXPECT_EQ(hubei->child(8)->text(0), u"荆州|421000"_s);
  QTreeWidgetItem* cities4 = Province(u"直辖市"_s);
  EXPECT_EQ(cities4->child(0)->text(0), u"天津市|120100"_s);
  EXPECT_EQ(cities4->child(3)->text(0), u"重庆|500000"_s);
  EXPECT_NE(City(u"芜湖|340200"_s), nullptr);
  EXPECT_NE(City(u"济源|419001"_s), nullptr);
}

TEST_F(CityPickerTest, OpensCollapsedWithAnhuiCurrent) {
  ASSERT_NE(tree_->currentItem(), nullptr);
  EXPECT_EQ(tree_->currentItem()->text(0), u"安徽"_s);
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    EXPECT_FALSE(tree_->topLevelItem(i)->isExpanded());
  }
}

TEST_F(CityPickerTest, DoubleClickedCitiesAppendOneLineEach) {
  Province(u"安徽"_s)->setExpanded(true);
  DoubleClickItem(City(u"合肥|340100"_s));
  EXPECT_EQ(Picked(), Gbk(u"合肥|340100\r\n"_s));
  DoubleClickItem(City(u"芜湖|340200"_s));
  EXPECT_EQ(Picked(), Gbk(u"合肥|340100\r\n芜湖|340200\r\n"_s));
  // The same city again gives an equal line; nothing checks for repeats.
  DoubleClickItem(City(u"芜湖|340200"_s));
  EXPECT_EQ(Picked(), Gbk(u"合肥|340100\r\n芜湖|340200\r\n芜湖|340200\r\n"_s));
}

TEST_F(CityPickerTest, DoubleClickedProvinceAppendsItsNameAndToggles) {
  QTreeWidgetItem* fujian = Province(u"福建"_s);
  DoubleClickItem(fujian);
  EXPECT_EQ(Picked(), Gbk(u"福建\r\n"_s));
  EXPECT_TRUE(fujian->isExpanded());
  DoubleClickItem(fujian);
  EXPECT_EQ(Picked(), Gbk(u"福建\r\n福建\r\n"_s));
  EXPECT_FALSE(fujian->isExpanded());
}

TEST_F(CityPickerTest, DoubleClickOnEmptyAreaAppendsTheCurrentItem) {
  // The collapsed provinces fill the designed height; a taller tree leaves
  // room below the last one, where no item is.
  tree_->resize(tree_->width(), 1000);
  const QPoint empty(20, tree_->viewport()->height() - 5);
  ASSERT_EQ(tree_->itemAt(empty), nullptr);
  testing::DoubleClick(tree_->viewport(), empty);
  EXPECT_EQ(Picked(), Gbk(u"安徽\r\n"_s));
}

TEST_F(CityPickerTest, AppendingKeepsWhatWasTypedAndAddsAtTheEnd) {
  picked_->setPlainText(u"上海|310000"_s);  // typed by hand, without a line break
  QTextCursor start = picked_->textCursor();
  start.movePosition(QTextCursor::Start);
  picked_->setTextCursor(start);
  DoubleClickItem(Province(u"广东"_s));
  EXPECT_EQ(Picked(), Gbk(u"上海|310000广东\r\n"_s));
}

TEST_F(CityPickerTest, SaveReplacesTheCityBoxAndCloses) {
  cityBox_->setPlainText(u"北京市|110000\n天津市|120100\n"_s);
  Province(u"安徽"_s)->setExpanded(true);
  DoubleClickItem(City(u"合肥|340100"_s));
  Find<QPushButton>(*picker_, u"按钮_城市保存"_s)->click();
  EXPECT_EQ(CityLines(), Gbk(u"合肥|340100\r\n"_s));
  EXPECT_FALSE(picker_->isVisible());
  ASSERT_TRUE(testing::PumpUntil([&] { return picker_.isNull(); }));
  EXPECT_EQ(window_->cityPicker(), nullptr);
}

TEST_F(CityPickerTest, SaveWithNothingPickedEmptiesTheCityBox) {
  cityBox_->setPlainText(u"北京市|110000\n"_s);
  Find<QPushButton>(*picker_, u"按钮_城市保存"_s)->click();
  EXPECT_EQ(cityBox_->toPlainText(), QString());
}

TEST_F(CityPickerTest, ClearEmptiesOnlyThePickedList) {
  cityBox_->setPlainText(u"北京市|110000\n"_s);
  QTreeWidgetItem* anhui = Province(u"安徽"_s);
  anhui->setExpanded(true);
  QTreeWidgetItem* hefei = City(u"合肥|340100"_s);
  DoubleClickItem(hefei);
  ASSERT_FALSE(Picked().empty());

  Find<QPushButton>(*picker_, u"按钮_城市清空"_s)->click();
  EXPECT_EQ(Picked(), "");
  EXPECT_TRUE(anhui->isExpanded());
  EXPECT_EQ(tree_->currentItem(), hefei);
  EXPECT_EQ(cityBox_->toPlainText(), u"北京市|110000\n"_s);
  EXPECT_TRUE(picker_->isVisible());
}

TEST_F(CityPickerTest, ClosedPickerKeepsNothingForTheNextOne) {
  cityBox_->setPlainText(u"北京市|110000\n"_s);
  Province(u"福建"_s)->setExpanded(true);
  DoubleClickItem(City(u"厦门|350200"_s));
  picker_->close();
  ASSERT_TRUE(testing::PumpUntil([&] { return picker_.isNull(); }));
  EXPECT_EQ(cityBox_->toPlainText(), u"北京市|110000\n"_s);

  Open();
  EXPECT_EQ(Picked(), "");
  EXPECT_FALSE(Province(u"福建"_s)->isExpanded());
  EXPECT_EQ(tree_->currentItem()->text(0), u"安徽"_s);
}

TEST_F(CityPickerTest, SaveAfterTheMainWindowIsGoneOnlyCloses) {
  DoubleClickItem(Province(u"安徽"_s));
  window_->close();
  ASSERT_TRUE(testing::PumpUntil([&] { return window_.isNull(); }));
  ASSERT_TRUE(picker_->isVisible());
  Find<QPushButton>(*picker_, u"按钮_城市保存"_s)->click();
  ASSERT_TRUE(testing::PumpUntil([&] { return picker_.isNull(); }));
}

}  // namespace
}  // namespace varnelo
