#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "HostExport.h"
#include "files/Status.h"
#include "simhost/ConfigFile.h"
#include "simhost/HostListener.h"

namespace simhost {

// A slot a plugin bound to a variable, owned jointly by the plugin and the
// variable, and the plugin session that bound it (so that unloading can let
// go of exactly the slots whose deleters live in that module's code).
struct Binding {
  int session = 0;
  std::variant<std::shared_ptr<bool>, std::shared_ptr<int>, std::shared_ptr<float>> slot;
};

// One console variable as the host keeps it. Owned by the console, which
// never removes one, so a reference stays valid as long as the console.
struct Variable {
  std::string name;
  std::string defaultValue;
  std::string description;
  bool searchable = true;
  bool hasMin = false;
  float min = 0.0f;
  bool hasMax = false;
  float max = 0.0f;
  bool saveToConfig = false;
  // The current value as text, shown by `show cvars` and saved.
  std::string value;
  // Whether `value` is a number, and that number (clamped into the bounds,
  // as a 32-bit float): what bound slots receive. A variable whose default
  // is not a number has none until a number is set.
  bool numeric = false;
  float number = 0.0f;
  // Whether Console::Set took a value for it in this run: a save rewrites
  // the configuration line of such a variable alone. A value restored from
  // the file, or the default, was not set.
  bool setThisRun = false;
  std::vector<Binding> bindings;
};

// The host console: variables in registration order, their bound slots, the
// log, and the configuration file that keeps saved variables between runs.
// Owns its variables; the listener must outlive it.
//
// Values: the text is trimmed of blanks and must be a decimal number as a
// whole ([+|-] digits with an optional point and exponent; no hexadecimal,
// nan, inf or words), read as a 32-bit float; too large for a float
// ("1e39") is refused. Clamped into [min, max] when bounded. Slots: bool =
// value != 0, int = truncated toward zero (saturated), float = the value.
// The variable's text is then the trimmed text as typed, or, when clamped,
// the bound printed with "%.9g".
//
// Host messages (HostListener::OnHostMessage):
//   NAME: refused "TEXT": REASON (value stays "OLD")
//     REASON: no value given | not a finite decimal number |
//             too large for a 32-bit float
//   PATH:LINE: bad configuration line skipped (expected NAME "VALUE")
//   PATH:LINE: saved value "TEXT" for NAME not taken: REASON (value stays "OLD")
//
// Configuration file (its format in ConfigFile.h): a save edits the file
// as it stands then, under a lock (ConfigFile::Update). It rewrites the
// line of each saved variable set in this run, adds a line for each saved
// variable the file lacks, and keeps every other line as it is: comments,
// lines it cannot read, variables of other plugins, and values that other
// runs saved meanwhile.
class HOST_API Console {
 public:
  explicit Console(HostListener& listener);

  // Registers a variable, or returns the one already registered under
  // `name` unchanged. A new variable saved in the loaded configuration takes
  // its saved value.
  Variable& Register(const std::string& name, const std::string& defaultValue,
                     const std::string& description, bool searchable, bool hasMin,
                     float min, bool hasMax, float max, bool saveToConfig);
  Variable* Find(const std::string& name);
  const std::vector<std::unique_ptr<Variable>>& variables() const { return variables_; }

  // Sets a variable as typed at the console: parsed as a number, clamped
  // into its bounds, written into every bound slot, and marked as set in
  // this run. Text that is not a finite number is refused with a host
  // message and changes nothing. Returns whether the value was taken.
  bool Set(Variable& variable, const std::string& text);

  // Shares `binding`'s slot with the variable and writes the current value
  // into it at once. Bindings whose slot nobody else holds any more are
  // dropped here.
  void Bind(Variable& variable, Binding binding);
  // Lets go of every slot that `session` bound.
  void ReleaseBindings(int session);

  void Log(const std::string& text);

  // The lock under which every call reaches the listener (logs, host
  // messages, and the drawing calls the host forwards), so that a listener
  // never sees two calls at once although plugin callbacks may run on two
  // threads. Never held while plugin code runs.
  std::mutex& listenerLock() const { return listenerMutex_; }

  // Reads saved values from `path`; a missing file is an empty one. A bad
  // line is reported as a host message and skipped. Fails only when
  // something stands at `path` that cannot be read as a regular file.
  files::Status LoadConfig(const std::string& path);
  // Saves to `path` the saved variables set in this run and those the file
  // lacks, keeping every other line (see above). The file is replaced in
  // one step: a reader finds the old one or the new one, whole. When it
  // fails, the file is as it was. `onWait`, when set, is told when the save
  // must wait for another run's (ConfigFile::Update).
  files::Status SaveConfig(const std::string& path,
                           const files::WaitNotice& onWait = files::WaitNotice()) const;
  // SaveConfig in two steps (ConfigUpdate): prepared in `update`, for the
  // caller to commit.
  files::Status PrepareSave(const std::string& path, const files::WaitNotice& onWait,
                            ConfigUpdate* update) const;

 private:
  // Parses, clamps and stores `text` as the value of `variable`; on refusal
  // reports `refusal` + the reason + `refusalEnd` as a host message and
  // changes nothing.
  bool Assign(Variable& variable, const std::string& text, const std::string& refusal,
              const std::string& refusalEnd);
  void HostMessage(const std::string& text) const;

  HostListener& listener_;
  std::vector<std::unique_ptr<Variable>> variables_;
  // The configuration file as last loaded, and where it was loaded from:
  // the values new variables take.
  ConfigFile config_;
  std::string configPath_;
  // Serialises what reaches the listener: plugin callbacks may log from more
  // than one thread.
  mutable std::mutex listenerMutex_;
};

}  // namespace simhost
