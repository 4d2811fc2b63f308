// JsonDocument::Parse of any text, then Count and GetText over member paths.
//
// Input: member paths, one per line, then an empty line, then the JSON text.
// Without an empty line the whole input is the JSON text and the paths are the
// ones a collection run reads. Each path is also tried with the record steps
// of a run appended, so the fuzzer reaches deep paths from short ones.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "json/json_document.h"

namespace {

using varnelo::JsonDocument;
using varnelo::fuzz::Check;

const std::vector<std::string> kRunPaths = {
    "content",
    "content[0].tel",
    "content[0]['area_name']",
    "data['poi_list']",
    "data['poi_list'][1]['disp_name']",
    "data['poi_list'][0].longitude",
};

std::vector<std::string> SplitPaths(std::string_view text) {
  std::vector<std::string> paths;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    paths.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return paths;
}

void Probe(const JsonDocument& document, const std::string& path, bool parsed) {
  const int count = document.Count(path);
  const std::string text = document.GetText(path);
  const std::string json = document.GetText(path, true);
  const int type = document.GetType(path);
  if (!parsed) {
    // What the run relies on after a failed parse. The empty path counts the
    // null root itself, which is -2 like any null.
    Check(count == (path.empty() ? -2 : 0), "Count after a failed Parse");
    Check(text.empty(), "GetText after a failed Parse is empty");
    return;
  }
  Check(count >= -2, "Count is never below -2");
  Check(text.find('\0') == std::string::npos, "GetText holds no NUL");
  // A value that is there has a JSON text; nothing there has none.
  if (type == varnelo::kJsonMissing) {
    Check(text.empty(), "a missing value reads as empty text");
  }
  if (type == varnelo::kJsonObject || type == varnelo::kJsonArray) {
    Check(count >= 0, "a container counts its members");
    // GetText of the empty path reads nothing (ToText is for the whole root).
    if (!path.empty()) Check(!json.empty(), "a container has a JSON text");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> paths = kRunPaths;
  std::string_view jsonText = input;
  if (const size_t blank = input.find("\n\n"); blank != std::string_view::npos) {
    paths = SplitPaths(input.substr(0, blank));
    jsonText = input.substr(blank + 2);
  }

  JsonDocument document;
  const bool parsed = document.Parse(jsonText);
  for (const std::string& path : paths) {
    Probe(document, path, parsed);
    Probe(document, path + "[0]", parsed);
    Probe(document, path + "[3].tel", parsed);
    Probe(document, path + "['navi_x']", parsed);
  }
  Probe(document, "", parsed);

  if (parsed) {
    // The document's own JSON text reads back as the same document. A root
    // that is a number too large for a double ("-3e308") is written as null,
    // as the script engine's JSON writer does, and null does not parse.
    const std::string first = document.ToText();
    JsonDocument again;
    const bool reparsed = again.Parse(first);
    Check(reparsed || first == "null", "the document's JSON text parses");
    if (reparsed) Check(again.ToText() == first, "the JSON text survives a second parse unchanged");
  }
  return 0;
}
