#pragma once

#include "app/dialogs.h"

namespace varnelo {

// The desktop's own boxes: modeless message boxes without an owner, and the
// desktop's "open" of a web address.
class QtDialogs final : public Dialogs {
 public:
  DialogCloser Inform(const QString& caption, const QString& text, BoxIcon icon,
                      std::function<void()> done) override;
  DialogCloser AskYesNo(const QString& caption, const QString& text,
                        std::function<void(bool yes)> answered) override;
  void OpenUrl(const QUrl& url) override;
  std::optional<QString> AskSavePath(const SaveDialogOptions& options) override;
};

}  // namespace varnelo
