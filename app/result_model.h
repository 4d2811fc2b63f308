#pragma once

#include <QAbstractTableModel>
#include <string_view>
#include <vector>

#include "app/result_store.h"
#include "app/throttle.h"
#include "text/result_row.h"

namespace varnelo {

// The results list 超级列表框1 as a table model: the six columns of ResultRow,
// held as code page 936 and converted only for the cells a view asks for.
// Rows are only ever appended at the end or cleared all at once.
//
// Appended rows belong to the list at once (Cell, Row, Rows, HasTelephone see
// them), but views hear of them at most every kAnnounceIntervalMs: a view lays
// out and repaints itself for each insertion, and a run that adds rows one at a
// time would otherwise keep the window thread painting.
class ResultModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ResultModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  static constexpr int kAnnounceIntervalMs = 25;

  void AppendRows(std::vector<ResultRow> rows);
  // Tells the views of every appended row now.
  void ShowAppendedRows() { announce_.RunNow(); }
  void Clear();

  // Every row of the list, shown or about to be.
  int size() const { return static_cast<int>(store_.size()); }

  // Reading back by column index, as the exports do; any row below size().
  std::string_view Cell(int row, int column) const;
  ResultRow Row(int row) const;
  std::vector<ResultRow> Rows() const;
  bool HasTelephone(std::string_view telephone) const;

 private:
  void Announce();

  ResultStore store_;
  int announced_ = 0;  // the rows views know of
  Throttle announce_;
};

}  // namespace varnelo
