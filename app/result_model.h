#pragma once

#include <QAbstractTableModel>
#include <string_view>
#include <vector>

#include "app/result_store.h"
#include "text/result_row.h"

namespace varnelo {

// The results list 超级列表框1 as a table model: the six columns of ResultRow,
// held as code page 936 and converted only for the cells a view asks for.
// Rows are only ever appended at the end or cleared all at once.
class ResultModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ResultModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // One insertion for the whole batch, so a view updates once per batch.
  void AppendRows(std::vector<ResultRow> rows);
  void Clear();

  // Reading back by column index, as the exports do.
  std::string_view Cell(int row, int column) const;
  ResultRow Row(int row) const;
  std::vector<ResultRow> Rows() const;
  bool HasTelephone(std::string_view telephone) const;

 private:
  ResultStore store_;
};

}  // namespace varnelo
