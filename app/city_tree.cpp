#include "app/city_tree.h"

#include <QHeaderView>

#include "app/city_tree_data.h"

namespace varnelo {

CityTree::CityTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize());

  QList<QTreeWidgetItem*> provinces;
  for (const ProvinceCities& entry : CityTreeData()) {
    auto* province = new QTreeWidgetItem(QStringList{entry.province});
    province->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    for (const QString& city : entry.cities) {
      auto* item = new QTreeWidgetItem(QStringList{city});
      item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
      province->addChild(item);
    }
    provinces.push_back(province);
  }
  addTopLevelItems(provinces);
  collapseAll();
  if (topLevelItemCount() > 0) setCurrentItem(topLevelItem(0));
}

void CityTree::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  emit DoubleClicked();
}

}  // namespace varnelo
