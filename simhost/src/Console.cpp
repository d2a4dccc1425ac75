// The host console: variables, their bound slots, the log, and the
// configuration file.
//
// Numbers. A value set at the console is trimmed of blanks (space, tab,
// CR, LF, VT, FF) and must then be a decimal number, as a whole, as
// files::IsDecimalNumber takes it, read as a 32-bit float (strtof). Refused:
// empty text, words, trailing text, "nan", "inf", hexadecimal ("0x10"), and
// a number too large for a 32-bit float ("1e39"); a number too small for one
// ("1e-50") reads as the nearest float, zero or subnormal. With bounds the number is clamped into
// [min, max] (min first, then max). A bool slot receives number != 0, an
// int slot the number truncated toward zero (saturated at the int range
// when unbounded), a float slot the number.
//
// The variable's text after a set is the trimmed text as typed when the
// number lay within the bounds, else the bound it was clamped to, printed
// by FormatFloat (the digits of "%.9g").
//
// Configuration file (format in ConfigFile.h): the file is the user's and
// may be shared by runs at once, so a save changes only what this run
// decided: the lines of the saved variables it set, and a line for each
// saved variable the file lacks, so that a new file lists them all.

#include "simhost/Console.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>

#include "files/Text.h"

namespace simhost {

namespace {

// Reads trimmed `text` as a finite 32-bit float. On failure returns false
// and sets `reason`.
bool ParseNumber(const std::string& text, float* value, const char** reason) {
  if (text.empty()) {
    *reason = "no value given";
    return false;
  }
  if (!files::IsDecimalNumber(text)) {
    *reason = "not a finite decimal number";
    return false;
  }
  errno = 0;
  const float parsed = std::strtof(text.c_str(), nullptr);
  if (!std::isfinite(parsed)) {
    *reason = "too large for a 32-bit float";
    return false;
  }
  *value = parsed;
  return true;
}

float Clamp(const Variable& variable, float value) {
  if (variable.hasMin && value < variable.min) value = variable.min;
  if (variable.hasMax && value > variable.max) value = variable.max;
  return value;
}

int TruncateToInt(float value) {
  if (value >= 2147483648.0f) return std::numeric_limits<int>::max();
  if (value < -2147483648.0f) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

void WriteSlot(const Binding& binding, float number) {
  std::visit(
      [number](const auto& slot) {
        using Slot = typename std::decay_t<decltype(slot)>::element_type;
        if (!slot) return;
        if constexpr (std::is_same_v<Slot, bool>) {
          *slot = number != 0.0f;
        } else if constexpr (std::is_same_v<Slot, int>) {
          *slot = TruncateToInt(number);
        } else {
          *slot = number;
        }
      },
      binding.slot);
}

long SlotUseCount(const Binding& binding) {
  return std::visit([](const auto& slot) { return slot.use_count(); }, binding.slot);
}

template <typename Predicate>
void EraseBindingsIf(std::vector<Binding>& bindings, Predicate matches) {
  bindings.erase(std::remove_if(bindings.begin(), bindings.end(), matches), bindings.end());
}

}  // namespace

Console::Console(HostListener& listener) : listener_(listener) {}

Variable& Console::Register(const std::string& name, const std::string& defaultValue,
                            const std::string& description, bool searchable, bool hasMin,
                            float min, bool hasMax, float max, bool saveToConfig) {
  if (Variable* existing = Find(name)) return *existing;

  auto variable = std::make_unique<Variable>();
  variable->name = name;
  variable->defaultValue = defaultValue;
  variable->description = description;
  variable->searchable = searchable;
  variable->hasMin = hasMin;
  variable->min = min;
  variable->hasMax = hasMax;
  variable->max = max;
  variable->saveToConfig = saveToConfig;
  variable->value = defaultValue;

  float number = 0.0f;
  const char* reason = nullptr;
  if (ParseNumber(files::Trim(defaultValue), &number, &reason)) {
    variable->numeric = true;
    variable->number = Clamp(*variable, number);
    if (variable->number != number) variable->value = files::FormatFloat(variable->number);
  }

  variables_.push_back(std::move(variable));
  Variable& result = *variables_.back();
  if (const ConfigFile::Setting* saved = config_.Find(name)) {
    Assign(result, saved->value,
           configPath_ + ":" + std::to_string(saved->line) + ": saved value " +
               files::Shown(files::Trim(saved->value)) + " for " + name + " not taken: ",
           " (value stays " + files::Shown(result.value) + ")");
  }
  return result;
}

Variable* Console::Find(const std::string& name) {
  for (const auto& variable : variables_) {
    if (variable->name == name) return variable.get();
  }
  return nullptr;
}

bool Console::Set(Variable& variable, const std::string& text) {
  const std::string shown = files::Shown(files::Trim(text));
  if (!Assign(variable, text, variable.name + ": refused " + shown + ": ",
              " (value stays " + files::Shown(variable.value) + ")")) {
    return false;
  }
  variable.setThisRun = true;
  return true;
}

bool Console::Assign(Variable& variable, const std::string& text, const std::string& refusal,
                     const std::string& refusalEnd) {
  const std::string trimmed = files::Trim(text);
  float number = 0.0f;
  const char* reason = nullptr;
  if (!ParseNumber(trimmed, &number, &reason)) {
    HostMessage(refusal + reason + refusalEnd);
    return false;
  }
  const float clamped = Clamp(variable, number);
  variable.numeric = true;
  variable.number = clamped;
  variable.value = clamped == number ? trimmed : files::FormatFloat(clamped);
  for (const Binding& binding : variable.bindings) WriteSlot(binding, clamped);
  return true;
}

void Console::Bind(Variable& variable, Binding binding) {
  if (SlotUseCount(binding) == 0) return;  // an empty slot: nothing to write
  EraseBindingsIf(variable.bindings,
                  [](const Binding& held) { return SlotUseCount(held) == 1; });
  if (variable.numeric) WriteSlot(binding, variable.number);
  variable.bindings.push_back(std::move(binding));
}

void Console::ReleaseBindings(int session) {
  for (const auto& variable : variables_) {
    EraseBindingsIf(variable->bindings,
                    [session](const Binding& held) { return held.session == session; });
  }
}

void Console::Log(const std::string& text) {
  std::lock_guard<std::mutex> lock(listenerMutex_);
  listener_.OnLog(text);
}

void Console::HostMessage(const std::string& text) const {
  std::lock_guard<std::mutex> lock(listenerMutex_);
  listener_.OnHostMessage(text);
}

files::Status Console::LoadConfig(const std::string& path) {
  ConfigFile file;
  const files::Status status = ConfigFile::Load(path, &file);
  if (!status.ok()) return status;
  for (int line : file.badLines()) {
    HostMessage(path + ":" + std::to_string(line) +
                ": bad configuration line skipped (expected NAME \"VALUE\")");
  }
  config_ = std::move(file);
  configPath_ = path;
  return status;
}

files::Status Console::SaveConfig(const std::string& path,
                                  const files::WaitNotice& onWait) const {
  ConfigUpdate update;
  const files::Status prepared = PrepareSave(path, onWait, &update);
  return prepared.ok() ? update.Commit() : prepared;
}

files::Status Console::PrepareSave(const std::string& path, const files::WaitNotice& onWait,
                                   ConfigUpdate* update) const {
  const auto edit = [this](ConfigFile* file) {
    for (const auto& variable : variables_) {
      if (!variable->saveToConfig) continue;
      if (variable->setThisRun || !file->Find(variable->name)) {
        file->Set(variable->name, variable->value);
      }
    }
  };
  return update->Prepare(path, edit, onWait);
}

}  // namespace simhost
