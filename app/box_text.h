#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace varnelo {

// The window boundary. Qt's boxes hold UTF-16 text with "\n" line breaks; the
// rest of the system speaks code page 936 with CR LF line breaks. Every text
// that crosses between the two goes through these, and nowhere else.

std::string ToGbk(const QString& text);
QString FromGbk(std::string_view gbk);

// A multi-line box's text as the system reads it: lines ended by "\r\n".
std::string ToSystemLines(const QString& boxText);
// A system text with CR LF lines as a box holds it.
QString FromSystemLines(std::string_view gbk);

}  // namespace varnelo
