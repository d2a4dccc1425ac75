#include "Help.h"

#include "Animation.h"
#include "Grammar.h"
#include "Picture.h"

namespace vantorel_sim {

namespace {

// The usage text around the script language.
const char kUsageBeforeGrammar[] =
    "Usage: vantorel-sim [options] [SCRIPT]\n"
    "\n"
    "Plays SCRIPT (a file, or - for standard input) on the simulated host with\n"
    "the Vantorel plugin, and prints one line per event to standard output:\n"
    "[log] [host] [press] [frame] [draw] [car] [cvar]. Without SCRIPT it plays\n"
    "the built-in demo match.\n"
    "\n"
    "Options:\n"
    "  --plugin PATH    the plugin module to load (default: " VANTOREL_PLUGIN_FILE "\n"
    "                   beside this program; a bare file name is the file in\n"
    "                   the current folder)\n"
    "  --config PATH    the host's configuration file: saved console variables\n"
    "                   are restored from it and written back when the script\n"
    "                   has run to its end\n"
    "  --picture PATH   write a PNG (PATH ends in .png) of the last drawn frame,\n"
    "                   canvas size: cars and ball as the host marks them, the\n"
    "                   plugin's lines on top (without any frame: the match at\n"
    "                   the end)\n"
    "  --animation PATH write every drawn frame, painted as --picture paints\n"
    "                   it, as one lossless animated WebP (PATH ends in .webp),\n"
    "                   each frame lasting motion's dt (1/60 s without motion);\n"
    "                   at most 36000 frames of one canvas size (without any\n"
    "                   frame: one frame of the match at the end); on a\n"
    "                   terminal, shows its progress on standard error\n"
    "  --help           show this text\n"
    "\n"
    "Each option is given once, and each path serves one role: a file given\n"
    "twice, as script, plugin, configuration, picture or animation, is refused\n"
    "before anything runs.\n"
    "\n";
const char kUsageAfterGrammar[] =
    "\n"
    "Lines longer than 64 KiB, scripts larger than 64 MiB, names that are not\n"
    "valid UTF-8 or hold control characters or bidirectional overrides, and\n"
    "numbers that are not finite decimal numbers (nan, inf, 0x10) are bad\n"
    "lines.\n"
    "\n"
    "Exit status: 0 when the script ran to its end; 2 for a bad script line\n"
    "(nothing runs); 1 for any other failure.\n";

// One entry of the script language: how its lines are written, and what
// they do; in the order of the grammar's command words (Grammar.cpp), the
// console variable's line last.
struct Entry {
  const char* synopsis;
  const char* effect;
};

const Entry kEntries[] = {
    {"game hosted|online|none", "the game mode"},
    {"server null|present", "make the game's server null, or bring it back"},
    {"canvas W H", "the canvas size (default 1920 1080)"},
    {"camera [loc=X,Y,Z] [rot=P,Y,R] [fov=DEG] | camera null", "the camera"},
    {"ball [loc=X,Y,Z] [vel=X,Y,Z] | ball null", "the ball (default at 0,0,93, at rest)"},
    {"car NAME [team=N] [loc=X,Y,Z] [vel=X,Y,Z] [angvel=X,Y,Z] [rot=P,Y,R] [boost=F] "
     "[screen=X,Y] [local] [nopri] [noboost]",
     "append a car; screen= fixes where it projects, nopri and noboost leave out its "
     "player information or boost component"},
    {"set NAME [team=N] [loc=X,Y,Z] [vel=X,Y,Z] [angvel=X,Y,Z] [rot=P,Y,R] [boost=F] "
     "[screen=X,Y|none]",
     "change a car: only what the line names"},
    {"nullcar", "append a null entry to the car list"},
    {"local NAME|none", "which car is the local player's"},
    {"plugin load|unload", "load or unload the plugin module"},
    {"press [NAME]", "the pickup button, for NAME's controller (default: the local player's)"},
    {"frame [N]", "draw N frames (default 1)"},
    {"motion on [dt=SECONDS] | motion off",
     "while on, each frame first moves every car, then the ball, by its velocity times dt "
     "(default 1/60 s); off at the start"},
    {"show cars | show cvars", "print the car list, or every console variable"},
    // A line that starts with none of the words above.
    {"NAME VALUE", "set a console variable, e.g. vantorel_enable 1"},
};

// The grammar's layout: each synopsis from column 2, its effect from
// kEffectColumn (on a line of its own when the synopsis reaches that far),
// no line longer than kGrammarWidth.
constexpr std::size_t kSynopsisColumn = 2;
constexpr std::size_t kSynopsisIndent = 6;
constexpr std::size_t kEffectColumn = 32;
constexpr std::size_t kGrammarWidth = 78;

// Appends the words of `text` to `out`, which ends at `column`, starting a
// new line at `indent` wherever the next word would pass kGrammarWidth.
// Returns the column where `out` then ends.
std::size_t AppendWrapped(std::string* out, std::size_t column, std::size_t indent,
                          const std::string& text) {
  bool first = true;
  for (const std::string& word : SplitWords(text)) {
    if (!first && column + 1 + word.size() > kGrammarWidth) {
      *out += "\n" + std::string(indent, ' ');
      column = indent;
    } else if (!first) {
      *out += ' ';
      ++column;
    }
    *out += word;
    column += word.size();
    first = false;
  }
  return column;
}

// Appends one entry: the synopsis, then the effect beside it.
void AppendEntry(std::string* out, const Entry& entry) {
  *out += std::string(kSynopsisColumn, ' ');
  std::size_t column = AppendWrapped(out, kSynopsisColumn, kSynopsisIndent, entry.synopsis);
  if (column + 2 > kEffectColumn) {
    *out += '\n';
    column = 0;
  }
  *out += std::string(kEffectColumn - column, ' ');
  AppendWrapped(out, kEffectColumn, kEffectColumn, entry.effect);
  *out += '\n';
}

}  // namespace

std::string ScriptGrammar() {
  std::string grammar =
      "One command per line; blank lines and lines starting with # are skipped.\n"
      "Vectors are written X,Y,Z, rotations P,Y,R (65536 to a full turn), screen\n"
      "points X,Y.\n";
  for (const Entry& entry : kEntries) AppendEntry(&grammar, entry);
  return grammar;
}

std::string HelpText() {
  std::string help = kUsageBeforeGrammar + ScriptGrammar() + kUsageAfterGrammar;
  if (!PicturesSupported()) help += "\nThis build has no Cairo: --picture is unavailable.\n";
  const std::string missing = MissingForAnimations();
  if (!missing.empty()) help += "\nThis build has no " + missing + ": --animation is unavailable.\n";
  return help;
}

}  // namespace vantorel_sim
