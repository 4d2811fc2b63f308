#pragma once

#include <QTreeWidget>

namespace varnelo {

// The picker's tree 树型框_城市, filled with the fixed provinces and cities.
// Every double click counts, also one on an empty area, which plain item
// signals would not report.
class CityTree final : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CityTree(QWidget* parent = nullptr);

 signals:
  // After the tree's own handling (a province item expands or collapses).
  void DoubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace varnelo
