#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QStringList>
#include <string>

#include "app/result_model.h"
#include "tests/app/app_test_support.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::Gbk;
using testing::GbkRow;

// Collects what QAbstractItemModelTester reports, so a broken model contract
// fails the test instead of only printing.
class ModelTesterMessages {
 public:
  ModelTesterMessages() { previous_ = qInstallMessageHandler(&Handle); }
  ~ModelTesterMessages() { qInstallMessageHandler(previous_); }
  static QStringList& Messages() {
    static QStringList messages;
    return messages;
  }

 private:
  static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtDebugMsg) Messages().push_back(message);
    (void)context;
  }
  QtMessageHandler previous_;
};

std::vector<ResultRow> Rows(int first, int count) {
  std::vector<ResultRow> rows;
  for (int number = first; number < first + count; ++number) {
    rows.push_back({std::to_string(number), Gbk(u"店"_s) + std::to_string(number),
                    "1380000" + std::to_string(1000 + number % 9000), Gbk(u"路"_s),
                    number % 2 ? std::string() : Gbk(u"合肥市"_s), Gbk(u"1，2"_s)});
  }
  return rows;
}

TEST(ResultModelTest, KeepsTheModelContractThroughAppendsAndClears) {
  ModelTesterMessages::Messages().clear();
  ModelTesterMessages capture;
  ResultModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);

  model.AppendRows(Rows(1, 3));
  model.AppendRows({});
  model.AppendRows(Rows(4, 5000));  // crosses a storage block
  model.ShowAppendedRows();
  model.AppendRows(Rows(5004, 10));
  model.Clear();
  model.AppendRows(Rows(1, 2));
  model.ShowAppendedRows();
  EXPECT_TRUE(ModelTesterMessages::Messages().isEmpty())
      << ModelTesterMessages::Messages().join(u'\n').toStdString();
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
  EXPECT_EQ(model.columnCount(model.index(0, 0)), 0);
}

TEST(ResultModelTest, CellsReadBackAsStoredAndShowAsUnicode) {
  ResultModel model;
  const std::vector<ResultRow> rows = Rows(1, 6000);
  model.AppendRows(rows);
  ASSERT_EQ(model.rowCount(), 6000);
  for (int row : {0, 1, 4095, 4096, 5999}) {
    SCOPED_TRACE(row);
    EXPECT_EQ(model.Row(row), rows[static_cast<size_t>(row)]);
    for (int column = 0; column < 6; ++column) {
      EXPECT_EQ(model.Cell(row, column), rows[static_cast<size_t>(row)][column]);
    }
  }
  EXPECT_EQ(model.Rows(), rows);
  EXPECT_EQ(model.data(model.index(1, 1)).toString(), u"店2"_s);
  EXPECT_EQ(model.data(model.index(1, 4)).toString(), u"合肥市"_s);
  EXPECT_EQ(model.data(model.index(0, 4)).toString(), QString());  // an empty cell
  EXPECT_EQ(model.data(model.index(0, 5)).toString(), u"1，2"_s);
  EXPECT_FALSE(model.data(model.index(0, 1), Qt::EditRole).isValid());
  EXPECT_EQ(model.Cell(6000, 0), "");
  EXPECT_EQ(model.Cell(0, 6), "");
  EXPECT_EQ(model.Cell(-1, 0), "");
}

TEST(ResultModelTest, AppendedRowsBelongToTheListBeforeViewsHearOfThem) {
  ResultModel model;
  model.AppendRows(Rows(1, 1));  // after a quiet spell: shown at once
  EXPECT_EQ(model.rowCount(), 1);
  model.AppendRows(Rows(2, 1));  // right behind it: views may hear of it later
  EXPECT_LE(model.rowCount(), 2);
  EXPECT_EQ(model.size(), 2);
  EXPECT_EQ(model.Row(1), Rows(2, 1)[0]);
  EXPECT_TRUE(model.HasTelephone(Rows(2, 1)[0][kColumnTelephone]));
  EXPECT_EQ(model.Rows().size(), 2u);
  ASSERT_TRUE(testing::PumpUntil([&] { return model.rowCount() == 2; }));

  // Rows waiting to be shown are cleared with the rest and never shown.
  model.AppendRows(Rows(3, 1));
  model.AppendRows(Rows(4, 1));
  model.Clear();
  EXPECT_EQ(model.size(), 0);
  QTest::qWait(4 * ResultModel::kAnnounceIntervalMs);
  EXPECT_EQ(model.rowCount(), 0);
}

TEST(ResultModelTest, TelephoneLookupFollowsAppendsAndClear) {
  ResultModel model;
  model.AppendRows({GbkRow({u"1"_s, u"a"_s, u"13800000001"_s})});
  EXPECT_TRUE(model.HasTelephone("13800000001"));
  EXPECT_FALSE(model.HasTelephone("13800000002"));
  EXPECT_FALSE(model.HasTelephone("1380000000"));
  // Rows appended after the first look-up are found too.
  model.AppendRows({GbkRow({u"2"_s, u"b"_s, u"13800000002"_s})});
  EXPECT_TRUE(model.HasTelephone("13800000002"));
  model.Clear();
  EXPECT_FALSE(model.HasTelephone("13800000001"));
  model.AppendRows({GbkRow({u"1"_s, u"a"_s, u"13800000001"_s})});
  EXPECT_TRUE(model.HasTelephone("13800000001"));
}

TEST(ResultModelTest, HeaderHasTheSixTitlesLeftAligned) {
  ResultModel model;
  const QString titles[] = {u"编号"_s,     u"店铺名"_s, u"联系电话"_s,
                            u"联系地址"_s, u"区域"_s,   u"详细坐标"_s};
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), titles[column]);
    EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);
  }
}

}  // namespace
}  // namespace varnelo
