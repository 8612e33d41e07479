#include "kroplay/tuning/preview_keys.h"

namespace kroplay {
namespace {

using Action = PreviewAction;
constexpr KeyModifier kPlain = KeyModifier::kNone;
constexpr KeyModifier kShift = KeyModifier::kShift;
constexpr KeyModifier kCtrl = KeyModifier::kCtrl;

}  // namespace

// Holding the right arrow steps on and holding up or down keeps changing;
// the other keys act once per press.
const std::vector<PreviewKey> &preview_keys() {
  static const std::vector<PreviewKey> keys = {
      {"Space", kPlain, false, Action::kTogglePause, "pause or go on"},
      {"Right", kPlain, true, Action::kStep, "step while paused"},
      {"R", kPlain, false, Action::kRestart, "restart"},
      {"S", kPlain, false, Action::kSave, "save the frame"},
      {"Q", kPlain, false, Action::kQuit, "quit"},
      {"Escape", kPlain, false, Action::kQuit, "quit"},
      {"1", kPlain, false, Action::kPickSpeed, "tune speed"},
      {"2", kPlain, false, Action::kPickFrequency, "tune frequency"},
      {"3", kPlain, false, Action::kPickAmplitude, "tune amplitude"},
      {"Tab", kPlain, false, Action::kNextParameter, "tune the next"},
      {"Up", kPlain, true, Action::kUp, "+1 to the tuned value"},
      {"Up", kShift, true, Action::kUpTen, "+10 to it"},
      {"Up", kCtrl, true, Action::kDouble, "double it"},
      {"Down", kPlain, true, Action::kDown, "-1 from it"},
      {"Down", kShift, true, Action::kDownTen, "-10 from it"},
      {"Down", kCtrl, true, Action::kHalve, "halve it"},
      {"E", kPlain, false, Action::kSwitchEffect, "the other effect"},
      {"C", kPlain, false, Action::kCopyCall, "copy the call"},
      {"H", kPlain, false, Action::kToggleKeys, "show or hide keys"},
      {"F1", kPlain, false, Action::kToggleKeys, "show or hide keys"},
  };
  return keys;
}

std::string key_spelling(const PreviewKey &key) {
  switch (key.modifier) {
    case KeyModifier::kShift:
      return std::string("Shift+") + key.key;
    case KeyModifier::kCtrl:
      return std::string("Ctrl+") + key.key;
    case KeyModifier::kNone:
      break;
  }
  return key.key;
}

std::string key_for(PreviewAction action) {
  for (const PreviewKey &key : preview_keys())
    if (key.action == action) return key_spelling(key);
  return "";
}

std::vector<KeyEntry> key_entries() {
  std::vector<KeyEntry> entries;
  for (const PreviewKey &key : preview_keys()) {
    if (entries.empty() || entries.back().label != key.label) entries.push_back({{}, key.label});
    entries.back().keys.push_back(key_spelling(key));
  }
  return entries;
}

std::string keys_for_title() {
  std::string title = "keys";
  const char *separator = ": ";
  for (const KeyEntry &entry : key_entries()) {
    title += separator;
    separator = "; ";
    for (size_t i = 0; i < entry.keys.size(); ++i) title += (i > 0 ? " or " : "") + entry.keys[i];
    title += " " + entry.label;
  }
  return title;
}

}  // namespace kroplay
