#include "json/json_writer.h"

#include "json/json_text.h"

#include <string_view>

namespace varnelo {

// Recursive: trees never nest deeper than kMaxJsonDepth, which every parse and
// every write of the document enforces.
void AppendValueJson(const JsonValue& value, std::string& out) {
  switch (value.GetType()) {
    case rapidjson::kNullType:
      out += "null";
      return;
    case rapidjson::kFalseType:
      out += "false";
      return;
    case rapidjson::kTrueType:
      out += "true";
      return;
    case rapidjson::kNumberType:
      AppendJsonNumber(value.GetDouble(), out);
      return;
    case rapidjson::kStringType:
      AppendJsonString(std::string_view(value.GetString(), value.GetStringLength()), out);
      return;
    case rapidjson::kArrayType: {
      out += '[';
      bool first = true;
      for (const auto& element : value.GetArray()) {
        if (!first) out += ',';
        first = false;
        AppendValueJson(element, out);
      }
      out += ']';
      return;
    }
    case rapidjson::kObjectType: {
      out += '{';
      bool first = true;
      for (const auto& member : value.GetObject()) {
        if (!first) out += ',';
        first = false;
        AppendJsonString(std::string_view(member.name.GetString(), member.name.GetStringLength()),
                         out);
        out += ':';
        AppendValueJson(member.value, out);
      }
      out += '}';
      return;
    }
  }
}

}  // namespace varnelo
