// Formatting language texts with their arguments, safe against any pattern.
#include "core/language/TextFormat.h"

#include <algorithm>

namespace px {

namespace {

constexpr int kMaxWidth = 64;

enum class Conversion { kPercent, kString, kSigned, kUnsigned, kInvalid };

struct Placeholder {
  Conversion conversion = Conversion::kInvalid;
  bool zeroPad = false;
  int width = 0;
  size_t length = 1;  // pattern characters it spans; an invalid one spans its "%" only
};

// Reads the placeholder whose "%" stands at pattern[pos].
Placeholder ParsePlaceholder(std::string_view pattern, size_t pos) {
  Placeholder placeholder;
  size_t i = pos + 1;
  if (i < pattern.size() && pattern[i] == '%') {
    placeholder.conversion = Conversion::kPercent;
    placeholder.length = 2;
    return placeholder;
  }
  bool zeroPad = false;
  while (i < pattern.size() && pattern[i] == '0') {
    zeroPad = true;
    ++i;
  }
  int width = 0;
  while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
    // Capped just above the limit, so a long run of digits cannot overflow.
    width = std::min(width * 10 + (pattern[i] - '0'), kMaxWidth + 1);
    ++i;
  }
  if (i == pattern.size() || width > kMaxWidth) return placeholder;

  switch (pattern[i]) {
    case 's': placeholder.conversion = Conversion::kString; break;
    case 'i':
    case 'd': placeholder.conversion = Conversion::kSigned; break;
    case 'u': placeholder.conversion = Conversion::kUnsigned; break;
    default: return placeholder;
  }
  placeholder.zeroPad = zeroPad;
  placeholder.width = width;
  placeholder.length = i + 1 - pos;
  return placeholder;
}

size_t CountCharacters(std::string_view utf8) {
  size_t count = 0;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

void AppendString(std::string& out, std::string_view text, int width) {
  const size_t characters = CountCharacters(text);
  if (static_cast<size_t>(width) > characters) out.append(static_cast<size_t>(width) - characters, ' ');
  out.append(text);
}

void AppendInteger(std::string& out, int64_t value, bool asUnsigned, const Placeholder& placeholder) {
  const bool negative = !asUnsigned && value < 0;
  // Negating in unsigned arithmetic keeps the smallest int64_t exact.
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  const std::string digits = std::to_string(magnitude);
  const size_t used = digits.size() + (negative ? 1 : 0);
  const size_t width = static_cast<size_t>(placeholder.width);
  const size_t padding = width > used ? width - used : 0;
  if (placeholder.zeroPad) {
    if (negative) out.push_back('-');
    out.append(padding, '0');
  } else {
    out.append(padding, ' ');
    if (negative) out.push_back('-');
  }
  out.append(digits);
}

}  // namespace

std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
  return FormatText(pattern, args.begin(), args.size());
}

std::string FormatText(std::string_view pattern, const FormatArg* args, size_t argCount) {
  if (args == nullptr) argCount = 0;
  std::string out;
  out.reserve(pattern.size());
  size_t next = 0;  // the argument the next placeholder takes
  size_t pos = 0;
  while (pos < pattern.size()) {
    const size_t percent = pattern.find('%', pos);
    if (percent == std::string_view::npos) {
      out.append(pattern.substr(pos));
      break;
    }
    out.append(pattern.substr(pos, percent - pos));
    const Placeholder placeholder = ParsePlaceholder(pattern, percent);
    switch (placeholder.conversion) {
      case Conversion::kPercent:
      case Conversion::kInvalid:
        out.push_back('%');
        break;
      case Conversion::kString:
      case Conversion::kSigned:
      case Conversion::kUnsigned: {
        const bool wantsString = placeholder.conversion == Conversion::kString;
        if (next < argCount && args[next].IsString() == wantsString) {
          const FormatArg& arg = args[next++];
          if (wantsString) {
            AppendString(out, arg.Text(), placeholder.width);
          } else {
            AppendInteger(out, arg.Integer(), placeholder.conversion == Conversion::kUnsigned,
                          placeholder);
          }
        } else {
          out.append(pattern.substr(percent, placeholder.length));
        }
        break;
      }
    }
    pos = percent + placeholder.length;
  }
  return out;
}

std::string PlaceholderKinds(std::string_view pattern) {
  std::string kinds;
  size_t pos = pattern.find('%');
  while (pos != std::string_view::npos) {
    const Placeholder placeholder = ParsePlaceholder(pattern, pos);
    switch (placeholder.conversion) {
      case Conversion::kPercent: break;
      case Conversion::kString: kinds.push_back('s'); break;
      case Conversion::kSigned:
      case Conversion::kUnsigned: kinds.push_back('i'); break;
      case Conversion::kInvalid: kinds.push_back('?'); break;
    }
    pos = pattern.find('%', pos + placeholder.length);
  }
  return kinds;
}

std::string MenuItemName(std::string_view item) {
  const std::string_view label = item.substr(0, item.find('\t'));
  std::string name;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && ++i == label.size()) break;
    name += label[i];
  }
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name;
}

}  // namespace px

namespace px {

std::string AccessKeyOf(std::string_view item, bool literal) {
  const std::string_view label = item.substr(0, item.find('\t'));
  // One whole UTF-8 character from pos: a lead byte and its continuation bytes.
  const auto characterAt = [&label](size_t pos) {
    size_t end = pos + 1;
    while (end < label.size() && (static_cast<unsigned char>(label[end]) & 0xC0) == 0x80) ++end;
    return std::string(label.substr(pos, end - pos));
  };
  if (!literal) {
    for (size_t i = 0; i + 1 < label.size(); ++i) {
      if (label[i] != '&') continue;
      if (label[i + 1] != '&') return characterAt(i + 1);
      ++i;  // "&&": a plain "&"
    }
  }
  size_t first = 0;
  while (first < label.size() && label[first] == ' ') ++first;
  if (first >= label.size()) return std::string();
  if (!literal && label[first] == '&' && first + 1 < label.size()) ++first;  // "&&" at the start
  return characterAt(first);
}

}  // namespace px
