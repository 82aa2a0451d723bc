// What a key pressed in the window does, from the keysym, text and modifier
// state that X gives for it.
#include "screen/window/key_map.h"

#include <gtest/gtest.h>

#include <string>

// After the test framework, which has a None of its own.
#include <X11/X.h>
#include <X11/keysym.h>
#undef None

namespace {

using screen::key_press;
using screen::window::key_effect;
using screen::window::key_effect_of;
using kind = key_effect::kind;

struct key_case {
  const char* name;
  unsigned long keysym;
  unsigned int state;
  std::string text;  // what XLookupString gives
  kind what;
  key_press key;
};

std::string describe(const key_effect& e) {
  const char* kinds[] = {"none", "key", "pause", "close", "close window"};
  std::string out = kinds[static_cast<int>(e.what)];
  if (e.what == kind::key) {
    out += e.key.extended ? " 0/" + std::to_string(e.key.scan) : " " + std::to_string(e.key.code);
  }
  return out;
}

TEST(KeyMap, EachKeyHasItsEffect) {
  const key_case cases[] = {
      {"a", XK_a, 0, "a", kind::key, key_press::character('a')},
      {"Ctrl+H", XK_h, ControlMask, "\b", kind::key, key_press::character(8)},
      {"Enter", XK_Return, 0, "\r", kind::key, key_press::character(13)},
      {"Delete", XK_Delete, 0, "\x7f", kind::key, key_press::special(83)},
      {"keypad Delete", XK_KP_Delete, 0, "", kind::key, key_press::special(83)},
      // The rest of the keypad as X gives it with Num Lock off: the PC's keys
      // without a character, the operators and Enter their characters.
      {"keypad 7, Num Lock off", XK_KP_Home, 0, "", kind::key, key_press::special(71)},
      {"keypad 9, Num Lock off", XK_KP_Prior, 0, "", kind::key, key_press::special(73)},
      {"keypad 4, Num Lock off", XK_KP_Left, 0, "", kind::key, key_press::special(75)},
      {"keypad 6, Num Lock off", XK_KP_Right, 0, "", kind::key, key_press::special(77)},
      {"keypad 1, Num Lock off", XK_KP_End, 0, "", kind::key, key_press::special(79)},
      {"keypad 2, Num Lock off", XK_KP_Down, 0, "", kind::key, key_press::special(80)},
      {"keypad 3, Num Lock off", XK_KP_Next, 0, "", kind::key, key_press::special(81)},
      {"keypad 0, Num Lock off", XK_KP_Insert, 0, "", kind::key, key_press::special(82)},
      {"keypad /, Num Lock off", XK_KP_Divide, 0, "/", kind::key, key_press::character('/')},
      {"keypad *, Num Lock off", XK_KP_Multiply, 0, "*", kind::key, key_press::character('*')},
      {"keypad -, Num Lock off", XK_KP_Subtract, 0, "-", kind::key, key_press::character('-')},
      {"keypad +, Num Lock off", XK_KP_Add, 0, "+", kind::key, key_press::character('+')},
      {"keypad Enter, Num Lock off", XK_KP_Enter, 0, "\r", kind::key, key_press::character(13)},
      // With Num Lock on (Mod2): the digits and the point as well.
      {"keypad 7, Num Lock on", XK_KP_7, Mod2Mask, "7", kind::key, key_press::character('7')},
      {"keypad 8, Num Lock on", XK_KP_8, Mod2Mask, "8", kind::key, key_press::character('8')},
      {"keypad 9, Num Lock on", XK_KP_9, Mod2Mask, "9", kind::key, key_press::character('9')},
      {"keypad 4, Num Lock on", XK_KP_4, Mod2Mask, "4", kind::key, key_press::character('4')},
      {"keypad 5, Num Lock on", XK_KP_5, Mod2Mask, "5", kind::key, key_press::character('5')},
      {"keypad 6, Num Lock on", XK_KP_6, Mod2Mask, "6", kind::key, key_press::character('6')},
      {"keypad 1, Num Lock on", XK_KP_1, Mod2Mask, "1", kind::key, key_press::character('1')},
      {"keypad 2, Num Lock on", XK_KP_2, Mod2Mask, "2", kind::key, key_press::character('2')},
      {"keypad 3, Num Lock on", XK_KP_3, Mod2Mask, "3", kind::key, key_press::character('3')},
      {"keypad 0, Num Lock on", XK_KP_0, Mod2Mask, "0", kind::key, key_press::character('0')},
      {"keypad point, Num Lock on", XK_KP_Decimal, Mod2Mask, ".", kind::key,
       key_press::character('.')},
      {"keypad /, Num Lock on", XK_KP_Divide, Mod2Mask, "/", kind::key, key_press::character('/')},
      {"keypad *, Num Lock on", XK_KP_Multiply, Mod2Mask, "*", kind::key,
       key_press::character('*')},
      {"keypad -, Num Lock on", XK_KP_Subtract, Mod2Mask, "-", kind::key,
       key_press::character('-')},
      {"keypad +, Num Lock on", XK_KP_Add, Mod2Mask, "+", kind::key, key_press::character('+')},
      {"keypad Enter, Num Lock on", XK_KP_Enter, Mod2Mask, "\r", kind::key,
       key_press::character(13)},
      {"F1", XK_F1, 0, "", kind::key, key_press::special(59)},
      {"F4", XK_F4, 0, "", kind::key, key_press::special(62)},
      {"F12", XK_F12, 0, "", kind::key, key_press::special(134)},
      {"keypad Up", XK_KP_Up, 0, "", kind::key, key_press::special(72)},
      {"Page Down", XK_Next, 0, "", kind::key, key_press::special(81)},
      {"Shift", XK_Shift_L, 0, "", kind::none, {}},
      {"Ctrl", XK_Control_R, 0, "", kind::none, {}},
      {"Alt", XK_Alt_L, 0, "", kind::none, {}},
      {"Caps Lock", XK_Caps_Lock, 0, "", kind::none, {}},
      {"Num Lock", XK_Num_Lock, 0, "", kind::none, {}},
      {"keypad centre", XK_KP_Begin, 0, "", kind::none, {}},
      {"Pause", XK_Pause, 0, "", kind::pause, {}},
      {"Shift+Pause", XK_Pause, ShiftMask, "", kind::pause, {}},
      {"Ctrl+Num Lock", XK_Num_Lock, ControlMask, "", kind::pause, {}},
      {"Ctrl+Break", XK_Break, ControlMask, "", kind::close, {}},
      {"Break alone", XK_Break, 0, "", kind::close, {}},
      {"Ctrl+Pause, no Break in the keymap", XK_Pause, ControlMask, "", kind::close, {}},
      {"Alt+F4", XK_F4, Mod1Mask, "", kind::close_window, {}},
      {"Ctrl+Alt+F4", XK_F4, Mod1Mask | ControlMask, "", kind::close_window, {}},
  };
  for (const auto& c : cases) {
    const key_effect got =
        key_effect_of(c.keysym, c.state, c.text.data(), static_cast<int>(c.text.size()));
    const key_effect want{c.what, c.key};
    EXPECT_EQ(describe(got), describe(want)) << c.name;
  }
}

}  // namespace
