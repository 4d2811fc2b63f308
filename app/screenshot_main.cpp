// Renders the main window offscreen, with a few rows in its list, into a PNG:
//   varnelo_screenshot docs/main_window.png

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <cstdio>
#include <string>
#include <vector>

#include "app/box_text.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/result_model.h"

namespace {

using namespace Qt::Literals::StringLiterals;

class NoDialogs final : public varnelo::Dialogs {
 public:
  varnelo::DialogCloser Inform(const QString&, const QString&, varnelo::BoxIcon,
                               std::function<void()>) override {
    return {};
  }
  varnelo::DialogCloser AskYesNo(const QString&, const QString&,
                                 std::function<void(bool)>) override {
    return {};
  }
  void OpenUrl(const QUrl&) override {}
  std::optional<QString> AskSavePath(const varnelo::SaveDialogOptions&) override { return {}; }
};

varnelo::ResultRow SampleRow(int number, const QString& name, const QString& telephone,
                             const QString& address, const QString& area,
                             const QString& coordinates) {
  return {std::to_string(number),  varnelo::ToGbk(name), varnelo::ToGbk(telephone),
          varnelo::ToGbk(address), varnelo::ToGbk(area), varnelo::ToGbk(coordinates)};
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"main_window.png"_s;

  NoDialogs dialogs;
  auto* window = new varnelo::MainWindow({}, dialogs);
  window->findChild<QPlainTextEdit*>(u"编辑框_城市名称"_s)
      ->setPlainText(u"合肥|340100\n芜湖|340200\n"_s);
  std::vector<varnelo::ResultRow> rows = {
      SampleRow(1, u"便民超市"_s, u"13800000001"_s, u"合肥市蜀山区长江西路1号"_s, u"合肥市"_s,
                u"117.2272，31.8206"_s),
      SampleRow(2, u"好又多超市"_s, u"13800000002"_s, u"合肥市庐阳区阜阳路88号"_s, u"合肥市"_s,
                u"117.2836，31.8807"_s),
      SampleRow(3, u"家乐生活超市"_s, u"0551-62345678"_s, u"合肥市包河区徽州大道20号"_s,
                u"合肥市"_s, u"117.3051，31.8312"_s),
      SampleRow(4, u"万家福超市"_s, u"13900000004"_s, u"芜湖市镜湖区中山路5号"_s, u"芜湖市"_s,
                u"118.3776，31.3393"_s),
      SampleRow(5, u"新时代酒店"_s, u"13900000005"_s, u"芜湖市弋江区花津路100号"_s, u"芜湖市"_s,
                u"118.3812，31.2961"_s),
  };
  window->results().AppendRows(std::move(rows));
  // As a run leaves them: the count of the next row and the keyword searched.
  window->findChild<QLineEdit*>(u"编辑框_成功查询"_s)->setText(u"6条信息"_s);
  window->findChild<QLineEdit*>(u"编辑框_关键词"_s)->setText(u"酒店"_s);
  window->show();
  QApplication::processEvents();

  const bool saved = window->grab().save(path, "PNG");
  delete window;
  if (!saved) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return 1;
  }
  return 0;
}
