// Formatting language texts with their arguments, safe against any pattern.
//
// A language file is user-editable data, so a translated pattern may hold
// placeholders that do not fit the arguments. Handing it to the platform's
// printf would read arguments that were never passed ("%s%s" with one
// argument, "%s" given an integer) or write memory ("%n"). FormatText never
// does: a placeholder that cannot be filled correctly is copied to the output
// as typed, which also shows the translator what is wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace px {

// One argument: a UTF-8 string or an integer. A string argument is held as a
// view, so a FormatArg lives only as long as the text it was made from; use
// it in the argument list of a call, not as a stored value.
class FormatArg {
 public:
  FormatArg(std::string_view text) : isString_(true), text_(text) {}
  FormatArg(const char* text) : FormatArg(std::string_view(text ? text : "")) {}
  FormatArg(const std::string& text) : FormatArg(std::string_view(text)) {}

  // Every integer type but bool and char, which are more likely mistakes.
  template <typename T,
            std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                 !std::is_same_v<T, char>,
                             int> = 0>
  FormatArg(T value) : isString_(false), integer_(static_cast<int64_t>(value)) {}
  FormatArg(bool) = delete;
  FormatArg(char) = delete;

  bool IsString() const { return isString_; }
  std::string_view Text() const { return text_; }
  // Unsigned values above the int64_t range are kept modulo 2^64; "%u" shows
  // them correctly, "%i" as negative numbers.
  int64_t Integer() const { return integer_; }

 private:
  bool isString_;
  std::string_view text_;
  int64_t integer_ = 0;
};

// Fills pattern with args, taken in order:
//   %s          the next argument, a string
//   %i %d       the next argument, an integer, in signed decimal
//   %u          the next argument, an integer, in unsigned decimal
//   %%          one "%"
// Between "%" and the conversion letter a "0" flag (pad numbers with zeros
// instead of blanks) and a width of 1 to 64 may stand: "%02i", "%3s". String
// widths count UTF-8 characters, and a string is always padded with blanks.
//
// Anything else is copied as typed and takes no argument: "%n", any other
// conversion, flags other than "0", precisions and length modifiers ("%.2s",
// "%ld"), a width above 64, a "%" at the end, and a placeholder whose argument
// is missing or of the other kind. Such a mismatched placeholder leaves its
// argument for the next placeholder. Arguments left over are ignored.
std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args);
std::string FormatText(std::string_view pattern, const FormatArg* args, size_t argCount);

// The argument kinds a pattern asks for, one letter per placeholder in order:
// 's' for a string, 'i' for an integer (%i, %d, %u); '?' for a "%" that
// FormatText copies as typed whatever the arguments are. "%%" adds nothing.
// Used to check that a translation formats the same arguments as the original.
std::string PlaceholderKinds(std::string_view pattern);

// A menu item's label as a name (a button's tooltip, a dialog's caption): no
// shortcut after its tab, no access key mark ("&&" stays one "&"), no dots
// or blanks at its end.
std::string MenuItemName(std::string_view item);

// The key that chooses a menu item from the keyboard, as a standard menu
// takes it: the character after its access key mark ("&&" is a plain "&"),
// else the first character of its label; UTF-8, case as written, empty for
// an empty label. Texts whose "&" is no mark (literal) take their first
// character.
std::string AccessKeyOf(std::string_view item, bool literal = false);

}  // namespace px
