// Hot-key bindings as people write them in the system configuration ("Ctrl+Shift+K", "F10",
// "Alt+Delete") and as the client's menu shows them.
#pragma once

#include <string>
#include "App.h"

namespace Client {

// Reads modifiers (Ctrl, Shift, Alt, in any order, each at most once) joined by '+' to one key:
// a letter, a digit, F1 to F24 or a named key (Insert, Delete, Home, End, PageUp, PageDown, Up,
// Down, Left, Right, Space, Enter, Tab, Escape, Backspace). Case and blanks around the parts do
// not matter. False, with key untouched, for anything else: a binding that cannot be read must
// not silently become some other key.
bool parseHotKey(const std::wstring& text, HotKey& key);

// The binding in the form parseHotKey reads ("Ctrl+Shift+K"); "?" for a key it has no name for.
std::wstring hotKeyText(const HotKey& key);

} // namespace Client
