#include "app/result_model.h"

#include <limits>

#include "app/box_text.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;

const QString kTitles[kResultColumnCount] = {u"编号"_s,     u"店铺名"_s, u"联系电话"_s,
                                             u"联系地址"_s, u"区域"_s,   u"详细坐标"_s};

// Qt addresses rows with int; rows beyond that could never be shown.
constexpr size_t kMaxRows = static_cast<size_t>(std::numeric_limits<int>::max());

}  // namespace

ResultModel::ResultModel(QObject* parent)
    : QAbstractTableModel(parent), announce_(kAnnounceIntervalMs, [this] { Announce(); }) {}

int ResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : announced_;
}

int ResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kResultColumnCount);
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  return FromGbk(Cell(index.row(), index.column()));
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= static_cast<int>(kResultColumnCount)) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  if (role == Qt::DisplayRole) return kTitles[section];
  if (role == Qt::TextAlignmentRole) return static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

void ResultModel::AppendRows(std::vector<ResultRow> rows) {
  const size_t room = kMaxRows - store_.size();
  if (rows.size() > room) rows.resize(room);
  if (rows.empty()) return;
  for (const ResultRow& row : rows) store_.Append(row);
  announce_.Request();
}

void ResultModel::Announce() {
  const int stored = static_cast<int>(store_.size());
  if (stored == announced_) return;
  beginInsertRows({}, announced_, stored - 1);
  announced_ = stored;
  endInsertRows();
}

void ResultModel::Clear() {
  announce_.Cancel();
  beginResetModel();
  store_.Clear();
  announced_ = 0;
  endResetModel();
}

std::string_view ResultModel::Cell(int row, int column) const {
  if (row < 0 || column < 0) return {};
  return store_.Cell(static_cast<size_t>(row), static_cast<size_t>(column));
}

ResultRow ResultModel::Row(int row) const {
  if (row < 0) return {};
  return store_.Row(static_cast<size_t>(row));
}

std::vector<ResultRow> ResultModel::Rows() const {
  std::vector<ResultRow> rows;
  rows.reserve(store_.size());
  for (size_t row = 0; row < store_.size(); ++row) rows.push_back(store_.Row(row));
  return rows;
}

bool ResultModel::HasTelephone(std::string_view telephone) const {
  return store_.HasTelephone(telephone);
}

}  // namespace varnelo
