#include "core/controls/number_fields.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/link/encoding.h"

namespace ptk {
namespace {

// UTF-8 to code points; a malformed byte stands for itself, so that lengths and
// positions are still counted one per character.
std::u32string Decode(std::string_view text) {
  std::u32string out;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = c;
    bool ok = extra > 0 && i + extra < text.size();
    if (ok) {
      cp = c & (0x3F >> extra);
      for (size_t k = 1; k <= extra && ok; ++k) {
        const unsigned char d = static_cast<unsigned char>(text[i + k]);
        ok = (d & 0xC0) == 0x80;
        cp = (cp << 6) | (d & 0x3F);
      }
    }
    if (ok) {
      out.push_back(cp);
      i += extra + 1;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}

// The literal separator of the fixed texts: ',' on a comma locale, '.' otherwise.
char32_t Literal(char32_t separator) {
  return separator == U',' ? U',' : U'.';
}

bool Contains(const std::u32string& text, char32_t c) {
  return text.find(c) != std::u32string::npos;
}

}  // namespace

int NumberFieldDecimals(NumberFieldKind kind) {
  switch (kind) {
    case NumberFieldKind::Money:
      return 2;
    case NumberFieldKind::Count:
      return 3;
    case NumberFieldKind::Num:
      break;
  }
  return 0;
}

char32_t FilterNumberKey(NumberFieldKind kind, std::string_view utf8, size_t caretPos, char32_t key,
                         char32_t sep, int maxLength) {
  if (key == U'.' || key == U',') key = sep;
  if (key == kKeyBackspace) return key;

  const std::u32string text = Decode(utf8);
  const long long len = static_cast<long long>(text.size());
  const long long caret = static_cast<long long>(caretPos);
  bool rejected = false;

  if (kind != NumberFieldKind::Num) {
    const long long d = NumberFieldDecimals(kind);
    const bool hasSep = Contains(text, sep);
    // Integer part full: the last D + 1 places stay for the separator and the decimals.
    if (len == maxLength - (d + 1) && key != sep && !hasSep) rejected = true;
    if (key == sep) {
      if (hasSep || len - caret > d || len == 0) rejected = true;
    } else if (key == U'-') {
      if (Contains(text, U'-') || caret > 1) rejected = true;
    }
    // Decimals full, with the caret behind the separator.
    if (hasSep) {
      const long long p = static_cast<long long>(text.find(sep)) + 1;
      if (len - p == d && caret >= p) rejected = true;
    }
  }

  const bool allowed = (key >= U'0' && key <= U'9') || key == U'-' || key == Literal(sep);
  if (!allowed || rejected) return kKeyRejected;
  return key;
}

std::string NormalizeNumberText(NumberFieldKind kind, std::string_view utf8, char32_t sep) {
  if (kind == NumberFieldKind::Num) return std::string(utf8);
  const size_t d = static_cast<size_t>(NumberFieldDecimals(kind));
  const char32_t lit = Literal(sep);

  std::u32string text = Decode(utf8);
  static constexpr std::array<std::u32string_view, 9> kZeroTexts = {
      U"", U",", U"-", U"-,", U",-", U",0", U"-,0", U",00", U"-,00"};
  static constexpr std::array<std::u32string_view, 2> kCountZeroTexts = {U",000", U"-,000"};
  auto matches = [&](std::u32string_view pattern) {
    std::u32string p(pattern);
    std::replace(p.begin(), p.end(), U',', lit);
    return p == text;
  };
  bool zero = std::any_of(kZeroTexts.begin(), kZeroTexts.end(), matches);
  if (kind == NumberFieldKind::Count)
    zero = zero || std::any_of(kCountZeroTexts.begin(), kCountZeroTexts.end(), matches);
  if (zero) text.assign(1, U'0');

  const size_t pos = text.find(sep);
  if (pos != std::u32string::npos) {
    const size_t behind = text.size() - (pos + 1);
    if (behind < d) text.append(d - behind, U'0');
  } else {
    text.push_back(lit);
    text.append(d, U'0');
  }

  std::string out;
  for (char32_t c : text) AppendUtf8(out, c);
  return out;
}

int ClampLeadingNumber(std::string_view text, int min, int max) {
  int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    n = std::min<int64_t>(n * 10 + (c - '0'), int64_t{max} + 1);  // past max stays past it
  }
  return static_cast<int>(std::clamp<int64_t>(n, min, max));
}

}  // namespace ptk
