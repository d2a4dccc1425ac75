#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace simhost {
class Callbacks;
class Console;
class Match;
struct Variable;
}  // namespace simhost

// The host's record of one loaded plugin: what its CVarManagerWrapper and
// GameWrapper point at. In the global namespace because the host interface
// names it there, opaque to the plugin. The host owns every session and keeps
// it alive as long as a wrapper may lead to it, so that a wrapper the plugin
// kept never dangles; once the plugin is unloaded the session is inactive,
// and registrations through it are ignored. A session owns the handles of
// its CVarWrappers and points at the host's console, match and callbacks.
class HostSession {
 public:
  // What a CVarWrapper handed to this session points at.
  struct CVarHandle {
    HostSession* session = nullptr;
    simhost::Variable* variable = nullptr;
  };

  HostSession(int id, simhost::Console& console, simhost::Match& match,
              simhost::Callbacks& callbacks)
      : id(id), console(&console), match(&match), callbacks(&callbacks) {}

  // The handle of `variable` for this session; one per variable.
  CVarHandle& HandleFor(simhost::Variable& variable);

  const int id;
  simhost::Console* const console;
  simhost::Match* const match;
  simhost::Callbacks* const callbacks;
  std::atomic<bool> active{true};

 private:
  std::mutex handlesMutex_;
  std::vector<std::unique_ptr<CVarHandle>> handles_;
};
