#include "tools/skin-builder/SkinDescription.h"

#include <cctype>
#include <charconv>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "common/TextCodec.h"

namespace skinbuilder {

namespace fmt = vantu::skin_format;

namespace {

struct Line {
  int number = 0;
  std::string kind;
  std::map<std::string, std::string> values;
  std::set<std::string> words;
};

struct LineError {
  std::string message;
};

// Splits a line into words; "..." keeps spaces inside a value.
std::vector<std::string> Tokens(std::string_view text) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false, any = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && std::isspace(static_cast<unsigned char>(c))) {
      if (any) out.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (quoted) throw LineError{"unterminated quote"};
  if (any) out.push_back(current);
  return out;
}

class Builder {
 public:
  explicit Builder(const ImageSource& images) : images_(images) {}

  void Add(const Line& line) {
    line_ = &line;
    used_.clear();
    const std::string& k = line.kind;
    if (k == "font") {
      auto face = common::Utf8ToCp949(Text("face"));
      if (!face) throw LineError{"face: not representable in code page 949"};
      w_.Font(Int("id"), Unsigned("slot"), *face, Int("width"), Int("height"));
    } else if (k == "image-set") {
      w_.ImageSet(Int("id"), Unsigned("slot"), Eleven("images"));
    } else if (k == "slider-style") {
      w_.SliderStyle(Int("id"), Unsigned("key"), Orientation(), ColorOf("start"), ColorOf("end"),
                     ColorOf("middle"), Image("thumb"), Image("pressed"), Image("track"));
    } else if (k == "knob-style") {
      w_.KnobStyle(Int("id"), Unsigned("key"), Orientation(), Image("thumb"), Image("pressed"),
                   Images("frames"));
    } else if (k == "frame") {
      w_.Frame(Int("number"), Rect("rect"), Image("image"), Flags());
    } else if (k == "push") {
      w_.PushButton(Int("id"), Rect("rect"), Image("normal"), Image("pressed"), Flags());
    } else if (k == "toggle") {
      w_.ToggleButton(Int("id"), Rect("rect"), Image("on"), Image("on-pressed"), Image("off"),
                      Image("off-pressed"), Flags());
    } else if (k == "position-slider") {
      w_.PositionSlider(Int("id"), Unsigned("style"), Rect("rect"), Rect("fill"), Flags());
    } else if (k == "value-slider") {
      w_.ValueSlider(Int("id"), Unsigned("knob"), Rect("rect"), Flags());
    } else if (k == "counter") {
      w_.ImageCounter(Int("id"), Unsigned("set"), Rect("rect"), Flags());
    } else if (k == "number") {
      w_.NumberField(Int("id"), Unsigned("font"), Rect("rect"), ColorOf("text-color"), ColorOf("back-color"),
                     Flags());
    } else if (k == "text") {
      w_.TextField(Int("id"), Unsigned("font"), Rect("rect"), ColorOf("text-color"), ColorOf("back-color"),
                   Flags());
    } else if (k == "selector") {
      w_.ImageSelector(Int("id"), Rect("rect"), Images("images"), Flags());
    } else if (k == "icon-menu") {
      w_.IconMenuButton(Int("id"), Rect("rect"), Image("button"), Image("pressed"), Image("side"), Items(),
                        Flags());
    } else if (k == "list-style") {
      auto face = common::Utf8ToCp949(Text("face"));
      if (!face) throw LineError{"face: not representable in code page 949"};
      const auto list = Split(Text("colors"), ',');
      if (list.size() != 8) throw LineError{"colors: 8 colours expected"};
      std::array<Color, 8> colors{};
      for (std::size_t i = 0; i < 8; ++i) colors[i] = ParseColor("colors", list[i]);
      w_.ListStyle(Int("id"), *face, Int("font-width"), Int("font-height"), Rect("rect"), colors, Flags());
    } else if (k == "scroll-bar") {
      w_.ScrollBar(Int("id"), Rect("rect"), Eleven("images"), Flags());
    } else if (k == "drag-handle" || k == "title-a" || k == "title-b") {
      const std::uint32_t type = k == "drag-handle" ? fmt::kDragHandle
                                 : k == "title-a"   ? fmt::kTitleHandleA
                                                    : fmt::kTitleHandleB;
      w_.DragHandle(type, Int("id"), Rect("rect"), Image("first"), Image("second"), Flags());
    } else if (k == "resize-grip") {
      w_.ResizeGrip(Int("id"), Rect("rect"), Image("normal"), Image("pressed"), Flags());
    } else if (k == "stretch") {
      w_.StretchPiece(Int("id"), Image("image"), Flags());
    } else if (k == "fixed") {
      w_.FixedPiece(Int("id"), Image("image"), Flags());
    } else {
      throw LineError{"unknown kind \"" + k + "\""};
    }
    for (const auto& [key, value] : line.values) {
      if (!used_.count(key)) throw LineError{"unknown key \"" + key + "\" for " + k};
    }
    for (const auto& word : line.words) {
      if (!used_.count(word)) throw LineError{"unknown word \"" + word + "\" for " + k};
    }
  }

  const Bytes& bytes() const { return w_.bytes(); }

 private:
  const std::string& Text(const std::string& key) {
    auto it = line_->values.find(key);
    if (it == line_->values.end()) throw LineError{"missing " + key + "="};
    used_.insert(key);
    return it->second;
  }

  static std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> out;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep)) out.push_back(part);
    return out;
  }

  static long long ParseInt(const std::string& key, std::string_view text) {
    long long v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end) throw LineError{key + ": not a number: \"" + std::string(text) + "\""};
    return v;
  }

  // A 32-bit signed value; never cut to fit.
  static std::int32_t ParseInt32(const std::string& key, std::string_view text) {
    const long long v = ParseInt(key, text);
    if (v < INT32_MIN || v > INT32_MAX) throw LineError{key + ": out of range"};
    return static_cast<std::int32_t>(v);
  }

  std::int32_t Int(const std::string& key) { return ParseInt32(key, Text(key)); }

  std::uint32_t Unsigned(const std::string& key) {
    const long long v = ParseInt(key, Text(key));
    if (v < 0 || v > UINT32_MAX) throw LineError{key + ": out of range"};
    return static_cast<std::uint32_t>(v);
  }

  SkinRect Rect(const std::string& key) {
    const auto parts = Split(Text(key), ',');
    if (parts.size() != 4) throw LineError{key + ": left,top,right,bottom expected"};
    SkinRect r;
    r.left = ParseInt32(key, parts[0]);
    r.top = ParseInt32(key, parts[1]);
    r.right = ParseInt32(key, parts[2]);
    r.bottom = ParseInt32(key, parts[3]);
    return r;
  }

  static Color ParseColor(const std::string& key, const std::string& text) {
    if (text.size() != 7 || text[0] != '#') throw LineError{key + ": #rrggbb expected"};
    unsigned v = 0;
    auto [p, ec] = std::from_chars(text.data() + 1, text.data() + 7, v, 16);
    if (ec != std::errc() || p != text.data() + 7) throw LineError{key + ": #rrggbb expected"};
    return Rgb(static_cast<int>(v >> 16) & 0xFF, static_cast<int>(v >> 8) & 0xFF, static_cast<int>(v) & 0xFF);
  }

  Color ColorOf(const std::string& key) { return ParseColor(key, Text(key)); }

  char Orientation() {
    const std::string& o = Text("orientation");
    if (o != "H" && o != "V") throw LineError{"orientation: H or V expected"};
    return o[0];
  }

  Bytes Load(const std::string& name) {
    auto it = cache_.find(name);
    if (it != cache_.end()) return it->second;
    auto bytes = images_(name);
    if (!bytes) throw LineError{name + ": " + bytes.error().message};
    auto normal = NormalizeBmp(*bytes);
    if (!normal) throw LineError{name + ": " + normal.error().message};
    return cache_[name] = *normal;
  }

  Bytes Image(const std::string& key) { return Load(Text(key)); }

  // "a{00..27}.bmp" stands for a00.bmp ... a27.bmp.
  static std::vector<std::string> Expand(const std::string& item) {
    const auto open = item.find('{');
    const auto dots = item.find("..", open == std::string::npos ? 0 : open);
    const auto close = item.find('}', dots == std::string::npos ? 0 : dots);
    if (open == std::string::npos || dots == std::string::npos || close == std::string::npos) return {item};
    const std::string from = item.substr(open + 1, dots - open - 1);
    const std::string to = item.substr(dots + 2, close - dots - 2);
    const long long a = ParseInt("range", from), b = ParseInt("range", to);
    if (a < 0 || b < a || b - a > 1000) throw LineError{"bad range in " + item};
    std::vector<std::string> out;
    for (long long i = a; i <= b; ++i) {
      std::string n = std::to_string(i);
      while (n.size() < from.size()) n = "0" + n;
      out.push_back(item.substr(0, open) + n + item.substr(close + 1));
    }
    return out;
  }

  std::vector<Bytes> Images(const std::string& key) {
    std::vector<Bytes> out;
    for (const auto& item : Split(Text(key), ',')) {
      for (const auto& name : Expand(item)) out.push_back(Load(name));
    }
    return out;
  }

  std::array<Bytes, 11> Eleven(const std::string& key) {
    auto list = Images(key);
    if (list.size() != 11) throw LineError{key + ": 11 pictures expected"};
    std::array<Bytes, 11> out;
    for (std::size_t i = 0; i < 11; ++i) out[i] = std::move(list[i]);
    return out;
  }

  std::vector<MenuItem> Items() {
    std::vector<MenuItem> out;
    for (const auto& item : Split(Text("items"), ',')) {
      const auto parts = Split(item, ':');
      if (parts.size() != 3) throw LineError{"items: action:image:highlighted expected"};
      MenuItem m;
      m.action = ParseInt32("items", parts[0]);
      m.image = Load(parts[1]);
      m.highlighted = Load(parts[2]);
      out.push_back(std::move(m));
    }
    return out;
  }

  std::uint32_t Flags() {
    std::uint32_t flags = 0;
    if (line_->values.count("anchor")) {
      const std::uint32_t anchor = Unsigned("anchor");
      if (anchor > 0xFF) throw LineError{"anchor: 0-255 expected"};
      flags |= anchor;
    }
    if (line_->words.count("hidden")) {
      used_.insert("hidden");
      flags |= fmt::kHidden;
    }
    if (line_->words.count("no-mouse")) {
      used_.insert("no-mouse");
      flags |= fmt::kIgnoresMouse;
    }
    return flags;
  }

  const ImageSource& images_;
  SkinWriter w_;
  const Line* line_ = nullptr;
  std::set<std::string> used_;
  std::map<std::string, Bytes> cache_;
};

}  // namespace

common::Result<Bytes> BuildSkin(std::string_view description, const ImageSource& images) {
  Builder builder(images);
  std::istringstream in{std::string(description)};
  std::string raw, pending;
  int number = 0, start = 0;
  while (std::getline(in, raw)) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (pending.empty()) {
      start = number;
    } else {
      raw.erase(0, raw.find_first_not_of(" \t") == std::string::npos ? raw.size() : raw.find_first_not_of(" \t"));
    }
    if (!raw.empty() && raw.back() == '\\') {
      raw.pop_back();
      pending += raw;
      continue;
    }
    std::string text = pending + raw;
    pending.clear();
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos || text[first] == '#') continue;
    try {
      const auto tokens = Tokens(text);
      Line line;
      line.number = start;
      line.kind = tokens.at(0);
      for (std::size_t i = 1; i < tokens.size(); ++i) {
        const auto eq = tokens[i].find('=');
        if (eq == std::string::npos) {
          line.words.insert(tokens[i]);
        } else if (!line.values.emplace(tokens[i].substr(0, eq), tokens[i].substr(eq + 1)).second) {
          throw LineError{"key given twice: " + tokens[i].substr(0, eq)};
        }
      }
      builder.Add(line);
    } catch (const LineError& e) {
      return common::Error{start, "line " + std::to_string(start) + ": " + e.message};
    }
  }
  if (!pending.empty()) return common::Error{start, "line " + std::to_string(start) + ": continued past the end"};
  return builder.bytes();
}

}  // namespace skinbuilder
