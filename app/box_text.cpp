#include "app/box_text.h"

#include <QByteArray>

#include "text/code_page.h"

namespace varnelo {

std::string ToGbk(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return Utf8ToGbk(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

QString FromGbk(std::string_view gbk) {
  const std::string utf8 = GbkToUtf8(gbk);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToSystemLines(const QString& boxText) {
  // A pasted CR LF pair already counts as one break; a lone CR is kept as typed.
  QString lines = boxText;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return ToGbk(lines);
}

QString FromSystemLines(std::string_view gbk) {
  QString lines = FromGbk(gbk);
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return lines;
}

}  // namespace varnelo
