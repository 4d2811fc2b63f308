#include "app/export_buttons.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>
#include <utility>
#include <vector>

#include "app/dialogs.h"
#include "app/result_model.h"
#include "export/spreadsheet_export.h"
#include "export/text_export.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;

constexpr int kPermille = 1000;

size_t Index(ExportKind kind) { return static_cast<size_t>(kind); }

ExportWriter LibraryWriter(ExportKind kind) {
  switch (kind) {
    case ExportKind::kText:
      return [](std::span<const ResultRow> rows, const std::filesystem::path& path,
                const ExportProgress& progress) { return ExportText(rows, path, progress); };
    case ExportKind::kTelephones:
      return [](std::span<const ResultRow> rows, const std::filesystem::path& path,
                const ExportProgress& progress) { return ExportTelephones(rows, path, progress); };
    case ExportKind::kContactCards:
      return
          [](std::span<const ResultRow> rows, const std::filesystem::path& path,
             const ExportProgress& progress) { return ExportContactCards(rows, path, progress); };
    case ExportKind::kSpreadsheet:
      break;
  }
  return [](std::span<const ResultRow> rows, const std::filesystem::path& path,
            const ExportProgress& progress) { return ExportSpreadsheet(rows, path, progress); };
}

std::filesystem::path FilePath(const QString& path) {
  return std::filesystem::path(path.toStdU16String());
}

}  // namespace

ExportButtons::ExportButtons(QWidget& window, const ResultModel& results, Dialogs& dialogs)
    : window_(window), results_(results), dialogs_(dialogs) {
  for (ExportKind kind : {ExportKind::kText, ExportKind::kTelephones, ExportKind::kContactCards,
                          ExportKind::kSpreadsheet}) {
    writers_[Index(kind)] = LibraryWriter(kind);
  }
}

ExportButtons::~ExportButtons() {
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
}

void ExportButtons::SetWriter(ExportKind kind, ExportWriter writer) {
  writers_[Index(kind)] = std::move(writer);
}

QString ExportButtons::InitialFolder() {
  const QString programFolder = QCoreApplication::applicationDirPath();
  const QFileInfo folder(programFolder);
  if (folder.isDir() && folder.isWritable()) return programFolder;
  return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

std::optional<QString> ExportButtons::AskPath(ExportKind kind) {
  SaveDialogOptions options;
  options.initialFolder = InitialFolder();
  options.owner = &window_;
  QString* remembered = nullptr;
  switch (kind) {
    case ExportKind::kText:
    case ExportKind::kTelephones:
      options.name = u"通用对话框2"_s;
      options.proposedName = textDialogPath_.isEmpty() ? u"数据"_s : textDialogPath_;
      options.filters = {u"txt (*.txt)"_s};
      options.defaultSuffix = u"txt"_s;
      remembered = &textDialogPath_;
      break;
    case ExportKind::kContactCards:
      options.name = u"通用对话框1"_s;
      options.proposedName = cardDialogPath_.isEmpty() ? u"vcf"_s : cardDialogPath_;
      options.defaultSuffix = u"vcf"_s;
      remembered = &cardDialogPath_;
      break;
    case ExportKind::kSpreadsheet:
      options.name = u"通用对话框_公用"_s;
      options.proposedName = u"数据.xls"_s;
      options.filters = {u"*.xls (*.xls)"_s, u"*.xlsx (*.xlsx)"_s};
      options.defaultSuffix = u"xls"_s;
      break;
  }
  std::optional<QString> path = dialogs_.AskSavePath(options);
  if (path && remembered != nullptr) *remembered = *path;
  return path;
}

void ExportButtons::Run(ExportKind kind) {
  if (running()) return;
  const std::optional<QString> path = AskPath(kind);
  if (!path) return;
  // The list as it is once the user has chosen; rows a run appends later are
  // not in this file.
  std::vector<ResultRow> rows = results_.Rows();
  const size_t count = rows.size();

  cancel_ = false;
  if (count > kProgressRows) {
    progress_ = new QProgressDialog(u"正在导出……"_s, u"取消"_s, 0, kPermille, &window_);
    progress_->setObjectName(u"导出进度"_s);
    progress_->setWindowTitle(QStringView(kDefaultCaption).toString());
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(0);
    connect(progress_, &QProgressDialog::canceled, this, [this] { cancel_ = true; });
    progress_->show();
  }
  emit runningChanged(true);

  worker_ = std::thread([this, kind, rows = std::move(rows), target = FilePath(*path),
                         writer = writers_[Index(kind)]] {
    int shown = -1;  // the last permille sent to the window, worker-side only
    const ExportProgress progress = [this, &shown](size_t done, size_t total) {
      const int permille =
          total == 0 ? kPermille : static_cast<int>(done * kPermille / std::max<size_t>(total, 1));
      if (permille != shown) {
        shown = permille;
        QMetaObject::invokeMethod(
            this, [this, permille] { ShowProgress(permille); }, Qt::QueuedConnection);
      }
      return !cancel_.load();
    };
    ExportResult result = writer(rows, target, progress);
    QMetaObject::invokeMethod(
        this, [this, kind, result = std::move(result)] { Finish(kind, result); },
        Qt::QueuedConnection);
  });
}

void ExportButtons::ShowProgress(int permille) {
  if (progress_ != nullptr) progress_->setValue(permille);
}

void ExportButtons::Finish(ExportKind kind, const ExportResult& result) {
  if (worker_.joinable()) worker_.join();
  if (progress_ != nullptr) progress_->deleteLater();
  progress_ = nullptr;
  emit runningChanged(false);

  const QString caption = QStringView(kDefaultCaption).toString();
  switch (result.status) {
    case ExportStatus::kOk:
      if (kind == ExportKind::kSpreadsheet)
        dialogs_.Inform(caption, u"导出成功!"_s, BoxIcon::kInformation, {});
      break;
    case ExportStatus::kFailed:
      dialogs_.Inform(caption, u"导出失败："_s + QString::fromStdString(result.reason),
                      BoxIcon::kWarning, {});
      break;
    case ExportStatus::kCancelled:
      break;
  }
}

}  // namespace varnelo
