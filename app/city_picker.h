#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace varnelo {

class CityTree;

// The city picker 城市选择: a top-level window without an owner that builds a
// list of CityLines from the fixed tree and saves it into the main window's city
// box. Made afresh each time it is opened and destroyed when it is closed.
class CityPicker final : public QWidget {
  Q_OBJECT

 public:
  // cityBox is the main window's 编辑框_城市名称; the picker outlives it when the
  // main window is closed first, and Save then only closes the picker.
  explicit CityPicker(QPlainTextEdit* cityBox);

  // The picked lines as the system reads them, each ended by "\r\n".
  std::string PickedLines() const;

 private:
  void AppendCurrentItem();
  void Save();

  QPointer<QPlainTextEdit> cityBox_;

  QGroupBox* 分组框1;
  CityTree* 树型框_城市;
  QPushButton* 按钮_城市保存;
  QGroupBox* 分组框2;
  QPlainTextEdit* 编辑框_已选城市;
  QPushButton* 按钮_城市清空;
};

}  // namespace varnelo
