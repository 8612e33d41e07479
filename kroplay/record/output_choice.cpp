#include "kroplay/record/output_choice.h"

#include "kroplay/base/path_name.h"

namespace kroplay {

std::string default_output(const std::string &script) {
  if (script.empty()) return "demo.gif";
  std::string base = file_name_of(script);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  if (base.empty() || base == "." || base == "..") base = "out";
  return base + ".gif";
}

bool is_png_output(const std::string &output) {
  if (output.size() < 4) return false;
  std::string extension = output.substr(output.size() - 4);
  for (char &c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return extension == ".png";
}

int gif_delay(int fps) {
  return (200 + fps) / (2 * fps);
}

}  // namespace kroplay
