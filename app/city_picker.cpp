#include "app/city_picker.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include "app/box_text.h"
#include "app/city_tree.h"
#include "app/controls.h"

namespace varnelo {

using namespace Qt::Literals::StringLiterals;

CityPicker::CityPicker(QPlainTextEdit* cityBox) : QWidget(nullptr), cityBox_(cityBox) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(u"城市选择"_s);
  ApplyWindowFont(*this);
  move(50, 50);
  resize(401, 520);

  分组框1 = MakeGroupBox(this, u"分组框1"_s, u"请选择你想要的城市"_s, QRect(8, 8, 197, 480));
  树型框_城市 = new CityTree(分组框1);
  树型框_城市->setObjectName(u"树型框_城市"_s);
  树型框_城市->setGeometry(13, 20, 171, 409);
  按钮_城市保存 = MakeButton(分组框1, u"按钮_城市保存"_s, u"保存"_s, QRect(48, 436, 80, 32));

  分组框2 = MakeGroupBox(this, u"分组框2"_s, u"已选城市名"_s, QRect(213, 12, 176, 476));
  编辑框_已选城市 = MakeMultiLineBox(分组框2, u"编辑框_已选城市"_s, QRect(8, 18, 160, 409),
                                     Qt::ScrollBarAlwaysOff);
  按钮_城市清空 = MakeButton(分组框2, u"按钮_城市清空"_s, u"清空"_s, QRect(40, 434, 80, 32));

  connect(树型框_城市, &CityTree::DoubleClicked, this, &CityPicker::AppendCurrentItem);
  connect(按钮_城市保存, &QPushButton::clicked, this, &CityPicker::Save);
  connect(按钮_城市清空, &QPushButton::clicked, 编辑框_已选城市, &QPlainTextEdit::clear);
}

std::string CityPicker::PickedLines() const {
  return ToSystemLines(编辑框_已选城市->toPlainText());
}

void CityPicker::AppendCurrentItem() {
  const QTreeWidgetItem* item = 树型框_城市->currentItem();
  if (item == nullptr) return;
  // At the end of whatever the box holds, typed lines included, and in view.
  QTextCursor end = 编辑框_已选城市->textCursor();
  end.movePosition(QTextCursor::End);
  编辑框_已选城市->setTextCursor(end);
  编辑框_已选城市->ensureCursorVisible();
  编辑框_已选城市->insertPlainText(item->text(0) + u'\n');
}

void CityPicker::Save() {
  if (cityBox_ != nullptr) cityBox_->setPlainText(编辑框_已选城市->toPlainText());
  close();
}

}  // namespace varnelo
