// File names for Windows' wide calls: kroplay's names are UTF-8 on every
// platform, Windows' wide calls take UTF-16. Older Windows ignores the
// manifest's UTF-8 code page, so kroplay's own file calls are wide. Bytes
// that are not UTF-8 make no name: the call fails with EILSEQ, so that such
// a name is refused, never replaced by another.
#ifndef KROPLAY_WIDE_NAMES_WIN32_H
#define KROPLAY_WIDE_NAMES_WIN32_H

#include <windows.h>

#include <cerrno>
#include <string>

namespace kroplay {

// `utf8` as UTF-16; false, with errno EILSEQ, if it is not UTF-8.
inline bool wide_name(const std::string &utf8, std::wstring &wide) {
  wide.clear();
  if (utf8.empty()) return true;
  const int size = static_cast<int>(utf8.size());
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (length == 0) {
    errno = EILSEQ;
    return false;
  }
  wide.resize(static_cast<size_t>(length));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, &wide[0], length);
  return true;
}

// `wide` as UTF-8 (a name Windows gave, valid UTF-16).
inline std::string utf8_name(const std::wstring &wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &utf8[0], length, nullptr, nullptr);
  return utf8;
}

}  // namespace kroplay

#endif  // KROPLAY_WIDE_NAMES_WIN32_H
