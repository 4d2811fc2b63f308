#pragma once

#include "json/json_value.h"

#include <string>

namespace varnelo {

// A value as compact JSON text in UTF-8: no spaces or line breaks, members in
// their order, numbers and strings as json_text.h writes them.
void AppendValueJson(const JsonValue& value, std::string& out);

}  // namespace varnelo
