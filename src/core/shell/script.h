// Scripted runs of the program: a plain text script, one step per line, that does what a
// person does with the mouse and keyboard (choose a menu item, type into a field, click a
// button, answer a box) and asks what the windows show. This is the reader; the program's
// window layer performs the steps.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/shell/user_interface.h"

namespace ptk {

enum class StepKind {
  Menu,    // menu ITEM
  Type,    // type W.C [TEXT]
  Set,     // set W.C VALUE, set W.C[ROW,COL] TEXT
  Click,   // click W.C, click W.C[ROW,COL]
  Key,     // key W.C KEY
  Close,   // close W
  Answer,  // answer yes|no|ok|cancel [N]
  File,    // file PATH | file -
  Later,   // later MS STEP
  Wait,    // wait MS
  Show,    // show W.C | show W
  State,   // state W.C | state W
  List,    // list: the open windows, the controls and menu items a person can reach
  Invalid  // a line that is none of the above; error() says why
};

struct ScriptStep {
  int line = 0;      // physical line of the script, from 1
  std::string text;  // the step as written (without the line break)
  StepKind kind = StepKind::Invalid;

  std::string window;   // W, or the menu item of `menu`
  std::string control;  // C; empty when the step names a window only
  int row = -1;         // a grid cell of `set` or `click` (both -1 otherwise)
  int column = -1;
  std::string value;    // TEXT, VALUE, KEY or PATH: the rest of the line as written
  bool cancel = false;  // `file -`
  Answer answer = Answer::Ok;
  int count = 1;                            // N of `answer`
  int ms = 0;                               // MS of `later` and `wait`
  std::shared_ptr<const ScriptStep> inner;  // the STEP of `later`
  std::string error;                        // why an Invalid line cannot be performed

  // "W.C" or "W" (with the cell "[r,c]" of `set` or `click`), as the step names its target.
  std::string Target() const;
};

// One line (without its line break). Blank lines and comments give nullopt.
std::optional<ScriptStep> ParseScriptLine(std::string_view line, int lineNumber);

// The whole script: UTF-8 (a byte-order mark is skipped), lines ended by LF or CR LF.
std::vector<ScriptStep> ParseScript(std::string_view text);

// The transcript writes a line break inside a text as the two characters \n.
std::string EscapeLineBreaks(std::string_view text);

// "ok", "cancel", "yes", "no".
std::string_view AnswerName(Answer answer);

}  // namespace ptk
