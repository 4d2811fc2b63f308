#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/export_buttons.h"
#include "app/main_window.h"
#include "app/result_model.h"
#include "tests/app/app_test_support.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::FakeDialogs;
using testing::Find;
using testing::Gbk;
using testing::GbkRow;
using testing::PumpUntil;

struct ButtonCase {
  QString button;
  ExportKind kind;
};

const ButtonCase kButtons[] = {
    {u"按钮_导出txt"_s, ExportKind::kText},
    {u"按钮_导出txt1"_s, ExportKind::kTelephones},
    {u"按钮_导出VCF"_s, ExportKind::kContactCards},
    {u"按钮_导出Excel"_s, ExportKind::kSpreadsheet},
};

// A writer that reports progress until it is told to stop, then writes nothing.
ExportResult WriteUntilCancelled(std::span<const ResultRow>, const std::filesystem::path&,
                                 const ExportProgress& progress) {
  while (progress(0, 1)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return ExportResult::Cancelled();
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

class ExportButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    window_ = new MainWindow({}, dialogs_);
    window_->show();
  }
  void TearDown() override { delete window_.data(); }

  QString Target(const QString& name) const { return folder_.filePath(name); }
  QStringList FolderEntries() const {
    return QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  }
  void AddTwoRows() {
    window_->results().AppendRows(
        {GbkRow({u"1"_s, u"超市A"_s, u"13800000000"_s, u"路1"_s, u"区1"_s, u"1，2"_s}),
         GbkRow({u"2"_s, u"超市B"_s, u"13900000000"_s, u"路2"_s, u"区2"_s, u"3，4"_s})});
  }
  void AddRows(size_t count) {
    std::vector<ResultRow> rows(count, GbkRow({u"1"_s, u"店"_s, u"13800000000"_s}));
    window_->results().AppendRows(std::move(rows));
  }
  void Click(const QString& button) { Find<QPushButton>(*window_, button)->click(); }
  bool WaitDone() {
    return PumpUntil([this] { return !window_->exports().running(); });
  }

  QTemporaryDir folder_;
  FakeDialogs dialogs_;
  QPointer<MainWindow> window_;
};

TEST_F(ExportButtonsTest, CancellingAnyDialogWritesNothingAndSaysNothing) {
  AddTwoRows();
  for (const ButtonCase& c : kButtons) {
    SCOPED_TRACE(c.button.toStdString());
    dialogs_.savePaths.push_back(std::nullopt);
    Click(c.button);
    EXPECT_FALSE(window_->exports().running());
  }
  EXPECT_EQ(dialogs_.saveDialogs.size(), 4u);
  EXPECT_TRUE(FolderEntries().isEmpty());
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(ExportButtonsTest, EachDialogIsAskedWithItsProposedNameFilterAndExtension) {
  struct DialogCase {
    QString button;
    QString dialog;
    QString proposed;
    QStringList filters;
    QString suffix;
  };
  const DialogCase cases[] = {
      {u"按钮_导出txt"_s, u"通用对话框2"_s, u"数据"_s, {u"txt (*.txt)"_s}, u"txt"_s},
      {u"按钮_导出txt1"_s, u"通用对话框2"_s, u"数据"_s, {u"txt (*.txt)"_s}, u"txt"_s},
      {u"按钮_导出VCF"_s, u"通用对话框1"_s, u"vcf"_s, {}, u"vcf"_s},
      {u"按钮_导出Excel"_s,
       u"通用对话框_公用"_s,
       u"数据.xls"_s,
       {u"*.xls (*.xls)"_s, u"*.xlsx (*.xlsx)"_s},
       u"xls"_s},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(c.button.toStdString());
    dialogs_.savePaths.push_back(std::nullopt);  // cancel: nothing is remembered
    Click(c.button);
    const SaveDialogOptions& options = dialogs_.saveDialogs.back();
    EXPECT_EQ(options.name, c.dialog);
    EXPECT_EQ(options.proposedName, c.proposed);
    EXPECT_EQ(options.filters, c.filters);
    EXPECT_EQ(options.defaultSuffix, c.suffix);
    EXPECT_EQ(options.initialFolder, ExportButtons::InitialFolder());
    EXPECT_EQ(options.owner, window_.data());
  }
}

TEST_F(ExportButtonsTest, TheInitialFolderIsTheProgramsWhenWritable) {
  const QString program = QCoreApplication::applicationDirPath();
  if (QFileInfo(program).isWritable()) {
    EXPECT_EQ(ExportButtons::InitialFolder(), program);
  } else {
    EXPECT_EQ(ExportButtons::InitialFolder(),
              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
  }
}

TEST_F(ExportButtonsTest, DialogsProposeTheLastConfirmedPathExceptTheSpreadsheetOne) {
  AddTwoRows();
  const QString text = Target(u"a.txt"_s);
  const QString cards = Target(u"客户.vcf"_s);
  const QString sheet = Target(u"b.xlsx"_s);
  dialogs_.savePaths = {text, std::nullopt, cards, std::nullopt, sheet, std::nullopt};
  const QString order[] = {u"按钮_导出txt"_s, u"按钮_导出txt1"_s,  u"按钮_导出VCF"_s,
                           u"按钮_导出VCF"_s, u"按钮_导出Excel"_s, u"按钮_导出Excel"_s};
  for (const QString& button : order) {
    Click(button);
    ASSERT_TRUE(WaitDone());
  }
  ASSERT_EQ(dialogs_.saveDialogs.size(), 6u);
  // The telephone export shares 通用对话框2 and so proposes the text export's path.
  EXPECT_EQ(dialogs_.saveDialogs[1].proposedName, text);
  EXPECT_EQ(dialogs_.saveDialogs[2].proposedName, u"vcf"_s);
  EXPECT_EQ(dialogs_.saveDialogs[3].proposedName, cards);
  EXPECT_EQ(dialogs_.saveDialogs[5].proposedName, u"数据.xls"_s);
}

TEST_F(ExportButtonsTest, TextAndTelephoneExportsWriteTheRowsGbkBytes) {
  struct BytesCase {
    QString button;
    std::string bytes;
  };
  const BytesCase cases[] = {
      {u"按钮_导出txt"_s,
       "13800000000----" + Gbk(u"超市A"_s) + "\r\n13900000000----" + Gbk(u"超市B"_s) + "\r\n"},
      {u"按钮_导出txt1"_s, "13800000000\r\n13900000000\r\n"},
  };
  AddTwoRows();
  for (const BytesCase& c : cases) {
    SCOPED_TRACE(c.button.toStdString());
    const QString target = Target(c.button + u".txt"_s);
    dialogs_.savePaths.resize(dialogs_.saveDialogs.size());
    dialogs_.savePaths.push_back(target);
    Click(c.button);
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(ReadAll(target).toStdString(), c.bytes);
  }
  EXPECT_TRUE(dialogs_.boxes.empty());  // the text exports end without a message
}

TEST_F(ExportButtonsTest, ContactCardsHoldOneRecordPerRow) {
  AddTwoRows();
  const QString target = Target(u"vcf.vcf"_s);
  dialogs_.savePaths = {target};
  Click(u"按钮_导出VCF"_s);
  ASSERT_TRUE(WaitDone());
  const std::string bytes = ReadAll(target).toStdString();
  EXPECT_NE(bytes.find("TEL;CELL:13800000000\r\nBDAY:00000000\r\nEND:VCARD\r\nBEGIN:VCARD\r\n"),
            std::string::npos);
  EXPECT_TRUE(bytes.ends_with("TEL;CELL:13900000000\r\nBDAY:00000000\r\nEND:VCARD\r\n"));
}

TEST_F(ExportButtonsTest, TheSpreadsheetExportSaysSoAfterSavingEitherFormat) {
  struct SheetCase {
    QString name;
    QByteArray magic;  // the first bytes of the format
  };
  const SheetCase cases[] = {
      {u"数据.xls"_s, QByteArray("\xD0\xCF\x11\xE0", 4)},
      {u"数据.xlsx"_s, QByteArray("PK")},
  };
  AddTwoRows();
  for (const SheetCase& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    dialogs_.boxes.clear();
    dialogs_.savePaths.resize(dialogs_.saveDialogs.size());
    dialogs_.savePaths.push_back(Target(c.name));
    Click(u"按钮_导出Excel"_s);
    ASSERT_TRUE(WaitDone());
    EXPECT_TRUE(ReadAll(Target(c.name)).startsWith(c.magic));
    ASSERT_EQ(dialogs_.boxes.size(), 1u);
    EXPECT_EQ(dialogs_.boxes[0].caption, u"信息："_s);
    EXPECT_EQ(dialogs_.boxes[0].text, u"导出成功!"_s);
    EXPECT_EQ(dialogs_.boxes[0].icon, BoxIcon::kInformation);
    EXPECT_FALSE(dialogs_.boxes[0].yesNo);
  }
}

TEST_F(ExportButtonsTest, AFailedExportOfAnyKindSaysWhy) {
  AddTwoRows();
  const QString missing = Target(u"没有/数据.txt"_s);
  for (const ButtonCase& c : kButtons) {
    SCOPED_TRACE(c.button.toStdString());
    dialogs_.boxes.clear();
    dialogs_.savePaths.resize(dialogs_.saveDialogs.size());
    dialogs_.savePaths.push_back(missing);
    Click(c.button);
    ASSERT_TRUE(WaitDone());
    ASSERT_EQ(dialogs_.boxes.size(), 1u);
    EXPECT_EQ(dialogs_.boxes[0].caption, u"信息："_s);
    EXPECT_TRUE(dialogs_.boxes[0].text.startsWith(u"导出失败："_s));
    EXPECT_GT(dialogs_.boxes[0].text.size(), QString(u"导出失败："_s).size());
    EXPECT_EQ(dialogs_.boxes[0].icon, BoxIcon::kWarning);
  }
  EXPECT_FALSE(QFileInfo::exists(folder_.filePath(u"没有"_s)));
}

TEST_F(ExportButtonsTest, TheRowsAreTheListAsItIsOnceTheDialogIsConfirmed) {
  AddTwoRows();
  dialogs_.duringSave = [this] {
    window_->results().AppendRows({GbkRow({u"3"_s, u"超市C"_s, u"13700000000"_s})});
  };
  const QString target = Target(u"t.txt"_s);
  dialogs_.savePaths = {target};
  Click(u"按钮_导出txt1"_s);
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(ReadAll(target).toStdString(), "13800000000\r\n13900000000\r\n13700000000\r\n");
}

TEST_F(ExportButtonsTest, OneExportAtATimeWithTheButtonsDisabledMeanwhile) {
  AddTwoRows();
  window_->exports().SetWriter(ExportKind::kText, WriteUntilCancelled);
  dialogs_.savePaths = {Target(u"a.txt"_s), Target(u"b.txt"_s)};
  Click(u"按钮_导出txt"_s);
  ASSERT_TRUE(window_->exports().running());
  for (const ButtonCase& c : kButtons) {
    EXPECT_FALSE(Find<QPushButton>(*window_, c.button)->isEnabled()) << c.button.toStdString();
  }
  window_->exports().Run(ExportKind::kTelephones);  // even past the disabled button
  EXPECT_EQ(dialogs_.saveDialogs.size(), 1u);
  // A short list shows no progress dialog.
  EXPECT_EQ(window_->findChild<QProgressDialog*>(), nullptr);
}

TEST_F(ExportButtonsTest, ALongListShowsProgressWhoseCancelWritesNothing) {
  AddRows(ExportButtons::kProgressRows + 1);
  window_->exports().SetWriter(ExportKind::kSpreadsheet, WriteUntilCancelled);
  dialogs_.savePaths = {Target(u"数据.xls"_s)};
  Click(u"按钮_导出Excel"_s);
  auto* progress = window_->findChild<QProgressDialog*>(u"导出进度"_s);
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(progress->isVisible());
  auto* cancel = progress->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(cancel->text(), u"取消"_s);
  cancel->click();  // as the user would
  ASSERT_TRUE(WaitDone());
  for (const ButtonCase& c : kButtons) {
    EXPECT_TRUE(Find<QPushButton>(*window_, c.button)->isEnabled()) << c.button.toStdString();
  }
  EXPECT_TRUE(PumpUntil([this] { return window_->findChild<QProgressDialog*>() == nullptr; }));
  EXPECT_TRUE(dialogs_.boxes.empty());  // cancelling is no failure
  EXPECT_TRUE(FolderEntries().isEmpty());
}

TEST_F(ExportButtonsTest, ALongExportReallyWrittenReportsProgressAndFinishes) {
  AddRows(ExportButtons::kProgressRows + 1);
  const QString target = Target(u"长.txt"_s);
  dialogs_.savePaths = {target};
  Click(u"按钮_导出txt1"_s);
  ASSERT_NE(window_->findChild<QProgressDialog*>(u"导出进度"_s), nullptr);
  ASSERT_TRUE(WaitDone());
  EXPECT_EQ(ReadAll(target).size(), qsizetype{13} * qsizetype(ExportButtons::kProgressRows + 1));
  EXPECT_EQ(FolderEntries(), QStringList{u"长.txt"_s});
}

TEST_F(ExportButtonsTest, ClosingTheWindowDuringAnExportStopsItSafely) {
  AddTwoRows();
  window_->exports().SetWriter(ExportKind::kContactCards, WriteUntilCancelled);
  dialogs_.savePaths = {Target(u"vcf.vcf"_s)};
  Click(u"按钮_导出VCF"_s);
  ASSERT_TRUE(window_->exports().running());
  window_->close();
  EXPECT_TRUE(PumpUntil([this] { return window_ == nullptr; }));
  EXPECT_TRUE(FolderEntries().isEmpty());
  EXPECT_TRUE(dialogs_.boxes.empty());
}

}  // namespace
}  // namespace varnelo
