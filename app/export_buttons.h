#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <thread>

#include "export/export_result.h"
#include "text/result_row.h"

class QProgressDialog;
class QWidget;

namespace varnelo {

class Dialogs;
class ResultModel;

// The four exports of the main window's buttons.
enum class ExportKind {
  kText,          // 按钮_导出txt
  kTelephones,    // 按钮_导出txt1
  kContactCards,  // 按钮_导出VCF
  kSpreadsheet,   // 按钮_导出Excel
};

using ExportWriter = std::function<ExportResult(
    std::span<const ResultRow> rows, const std::filesystem::path& path, const ExportProgress&)>;

// Asks for the target in the export's save dialog, then writes a snapshot of
// the results list on a thread of its own so that the window never waits for
// the disk. One export runs at a time; while it does, running() holds and the
// window keeps its export buttons disabled. A failed export says why in a box.
class ExportButtons final : public QObject {
  Q_OBJECT

 public:
  // Lists longer than this show a progress dialog with a Cancel button.
  static constexpr size_t kProgressRows = 50'000;

  ExportButtons(QWidget& window, const ResultModel& results, Dialogs& dialogs);
  // Cancels an export still running and waits for its thread, which never
  // touches the window, so the window may go right after.
  ~ExportButtons() override;

  // Ignored while an export runs.
  void Run(ExportKind kind);
  bool running() const { return worker_.joinable(); }

  // Replaces the writer of one export; the tests use it to hold a run back.
  void SetWriter(ExportKind kind, ExportWriter writer);

  // The proposed folder of every save dialog: the program's folder when the
  // user may write there, else the user's documents folder.
  static QString InitialFolder();

 signals:
  void runningChanged(bool running);

 private:
  std::optional<QString> AskPath(ExportKind kind);
  void Finish(ExportKind kind, const ExportResult& result);
  void ShowProgress(int permille);

  QWidget& window_;
  const ResultModel& results_;
  Dialogs& dialogs_;
  ExportWriter writers_[4];
  // 通用对话框2 and 通用对话框1 propose the path confirmed last; 通用对话框_公用
  // always proposes 数据.xls.
  QString textDialogPath_;
  QString cardDialogPath_;
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  QPointer<QProgressDialog> progress_;
};

}  // namespace varnelo
