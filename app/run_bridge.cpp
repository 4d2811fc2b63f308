#include "app/run_bridge.h"

#include <QUrl>
#include <utility>

#include "app/box_text.h"
#include "app/run_target.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;

template <class T>
struct Reply {
  bool done = false;
  T value{};
};

}  // namespace

RunBridge::RunBridge(std::shared_ptr<RunChannel> channel, std::stop_token stop)
    : channel_(std::move(channel)), stop_(std::move(stop)) {}

template <class T>
std::optional<T> RunBridge::Ask(std::function<void(WindowSide&, std::function<void(T)>)> ask,
                                RunOp::Kind kind) {
  if (stop_.stop_requested()) return std::nullopt;
  auto reply = std::make_shared<Reply<T>>();
  // A box may be answered after its run has gone; the answer then has nowhere
  // to go and is dropped.
  std::weak_ptr<RunChannel> channel = channel_;
  std::function<void(T)> answer = [channel, reply](T value) {
    if (auto live = channel.lock()) {
      live->Complete([&] {
        if (reply->done) return;
        reply->value = std::move(value);
        reply->done = true;
      });
    }
  };
  RunOp op;
  op.kind = kind;
  op.call = [ask = std::move(ask), answer = std::move(answer)](WindowSide& side) {
    ask(side, answer);
  };
  if (!channel_->Push(std::move(op), stop_)) return std::nullopt;
  if (!channel_->WaitUntil(stop_, [&] { return reply->done; })) return std::nullopt;
  return std::move(reply->value);
}

void RunBridge::Send(RunOp op) {
  if (!stop_.stop_requested()) channel_->Push(std::move(op), stop_);
}

std::string RunBridge::CityText() {
  auto text = Ask<QString>([](WindowSide& side, auto answer) { answer(side.target.CityText()); });
  return text ? ToSystemLines(*text) : std::string();
}

std::string RunBridge::KeywordText() {
  auto text =
      Ask<QString>([](WindowSide& side, auto answer) { answer(side.target.KeywordText()); });
  return text ? ToSystemLines(*text) : std::string();
}

bool RunBridge::LandlineFilter() {
  return Ask<bool>([](WindowSide& side, auto answer) { answer(side.target.LandlineFilter()); })
      .value_or(false);
}

bool RunBridge::DuplicateFilter() {
  return Ask<bool>([](WindowSide& side, auto answer) { answer(side.target.DuplicateFilter()); })
      .value_or(false);
}

bool RunBridge::HasTelephone(std::string_view telephone) {
  return Ask<bool>([telephone = std::string(telephone)](WindowSide& side, auto answer) {
           answer(side.target.HasTelephone(telephone));
         })
      .value_or(false);
}

void RunBridge::ShowKeyword(std::string_view keyword) {
  RunOp op;
  op.kind = RunOp::Kind::kKeyword;
  op.text = FromGbk(keyword);
  Send(std::move(op));
}

void RunBridge::ShowCount(std::string_view countText) {
  RunOp op;
  op.kind = RunOp::Kind::kCount;
  op.text = FromGbk(countText);
  Send(std::move(op));
}

void RunBridge::AppendRow(const ResultRow& row) {
  RunOp op;
  op.kind = RunOp::Kind::kRow;
  op.row = row;
  Send(std::move(op));
}

void RunBridge::ShowFinished() {
  Ask<bool>(
      [](WindowSide& side, std::function<void(bool)> answer) {
        side.openBoxes.push_back(side.dialogs.Inform(QStringView(kDefaultCaption).toString(),
                                                     u"采集完成"_s, BoxIcon::kNone,
                                                     [answer] { answer(true); }));
      },
      RunOp::Kind::kShow);
}

bool RunBridge::AskOpenSliderLink() {
  return Ask<bool>(
             [](WindowSide& side, std::function<void(bool)> answer) {
               side.openBoxes.push_back(
                   side.dialogs.AskYesNo(QStringView(kDefaultCaption).toString(),
                                         u"是否打开滑块链接！"_s, std::move(answer)));
             },
             RunOp::Kind::kShow)
      .value_or(false);
}

void RunBridge::OpenLink(std::string_view url) {
  // Only web pages go to the browser: whatever else a link might name (a file,
  // another program's scheme) is not the run's to open.
  QUrl link(FromGbk(url), QUrl::StrictMode);
  const QString scheme = link.scheme().toLower();
  if (!link.isValid() || (scheme != u"https"_s && scheme != u"http"_s)) return;
  RunOp op;
  op.kind = RunOp::Kind::kShow;
  op.call = [link](WindowSide& side) { side.dialogs.OpenUrl(link); };
  Send(std::move(op));
}

}  // namespace varnelo
