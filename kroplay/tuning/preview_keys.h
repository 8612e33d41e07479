// The live preview's keys, one row each: the key, the modifier it needs,
// the request it makes and what that does. The window's key handling, the
// key list in the title (H), --help's key section and the docs' key table
// all follow this table.
#ifndef KROPLAY_PREVIEW_KEYS_H
#define KROPLAY_PREVIEW_KEYS_H

#include <string>
#include <vector>

namespace kroplay {

// What a key asks the preview (or the page) to do.
enum class PreviewAction {
  kQuit,
  kTogglePause,
  kStep,
  kRestart,
  kSave,
  // Live tuning of the effect on screen (see Tuning).
  kPickSpeed,
  kPickFrequency,
  kPickAmplitude,
  kNextParameter,
  kUp,       // +1
  kDown,     // -1
  kUpTen,    // +10
  kDownTen,  // -10
  kDouble,
  kHalve,
  kSwitchEffect,
  kCopyCall,    // the call that reproduces the effect, to the clipboard
  kToggleKeys,  // the key list in the title
};

enum class KeyModifier { kNone, kShift, kCtrl };

struct PreviewKey {
  // The key's name as SDL gives it ("Space", "Right", "R", "F1"), which
  // SDL also turns back into the key.
  const char *key;
  // With kNone the key acts under any modifier that has no row of its own;
  // Ctrl is read before Shift.
  KeyModifier modifier;
  bool repeats;  // held down, it acts again on each key repeat
  PreviewAction action;
  // What it does. Neighbouring rows with the same label are listed as one
  // entry ("Q or Escape quit").
  const char *label;
};

// Every key, in the order the title, --help and the docs list them.
const std::vector<PreviewKey> &preview_keys();

// "Shift+Up": the key with its modifier.
std::string key_spelling(const PreviewKey &key);

// The first key that makes `action`, as key_spelling() shows it.
std::string key_for(PreviewAction action);

// Neighbouring rows with one label, joined: their keys and that label.
struct KeyEntry {
  std::vector<std::string> keys;
  std::string label;
};
std::vector<KeyEntry> key_entries();

// The key list the title shows on request: "keys: Space pause, or go on; ...".
std::string keys_for_title();

}  // namespace kroplay

#endif  // KROPLAY_PREVIEW_KEYS_H
