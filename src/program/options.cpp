#include "program/options.h"

#include <optional>
#include <string_view>

#include "battle/attack.h"
#include "core/map_geometry.h"
#include "core/texts.h"
#include "core/world_manifest.h"
#include "items/abilities.h"

namespace rf {
namespace {

constexpr unsigned kPlay = 1u << static_cast<unsigned>(Command::kPlay);
constexpr unsigned kCheck = 1u << static_cast<unsigned>(Command::kCheck);
constexpr unsigned kBalance = 1u << static_cast<unsigned>(Command::kBalance);
constexpr unsigned kNew = 1u << static_cast<unsigned>(Command::kNew);
constexpr unsigned kEdit = 1u << static_cast<unsigned>(Command::kEdit);
constexpr unsigned kAll = kPlay | kCheck | kBalance | kNew | kEdit;
constexpr unsigned kTools = kCheck | kBalance;

// A whole number within [low, high].
bool Number(std::string_view text, int low, int high, int& out) {
    if (text.empty() || text.size() > 9) return false;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n < low || n > high) return false;
    out = n;
    return true;
}

// Numbers separated by commas, each within [low, high].
bool Numbers(std::string_view text, int low, int high, std::vector<int>& out) {
    out.clear();
    for (std::size_t from = 0;;) {
        const std::size_t comma = text.find(',', from);
        int n = 0;
        if (!Number(text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from), low,
                    high, n))
            return false;
        out.push_back(n);
        if (comma == std::string_view::npos) return true;
        from = comma + 1;
    }
}

// MAP or MAP,X,Y: a map of the world and a cell of it.
bool StartPlace(Options& o, std::string_view v) {
    std::vector<int> n;
    if (!Numbers(v, 0, 99, n) || (n.size() != 1 && n.size() != 3) || n[0] < 1 || n[0] > kMaps) return false;
    if (n.size() == 3 && (n[1] > kLastHeroColumn || n[2] > kLastHeroRow)) return false;
    o.start = v;
    o.startMap = n[0];
    o.startX = n.size() == 3 ? n[1] : -1;
    o.startY = n.size() == 3 ? n[2] : -1;
    return true;
}

// A text made at compile time, so the option table can hold it.
struct BuiltText {
    char chars[80] = {};
    std::size_t size = 0;
    constexpr BuiltText& operator<<(std::string_view s) {
        for (char c : s) chars[size++] = c;
        return *this;
    }
    constexpr BuiltText& operator<<(int n) {
        if (n >= 10) *this << n / 10;
        chars[size++] = static_cast<char>('0' + n % 10);
        return *this;
    }
    constexpr std::string_view View() const { return {chars, size}; }
};

constexpr BuiltText kStartWanted = [] {
    BuiltText t;
    t << "a map 1 to " << kMaps << ", or MAP,X,Y with X 0 to " << kLastHeroColumn << " and Y 0 to " << kLastHeroRow;
    return t;
}();

constexpr BuiltText kShowWanted = [] {
    BuiltText t;
    t << "a map number from 1 to " << kMaps;
    return t;
}();

constexpr BuiltText kBattlesHelp = [] {
    BuiltText t;
    t << "battles per group and level of ranks balance (default " << authoring::kDefaultBattles << ")";
    return t;
}();

constexpr BuiltText kLevelsHelp = [] {
    BuiltText t;
    t << "the levels ranks balance plays (default: 1 to " << kAbilityUnlockLevels[kAbilities - 1] << " by map)";
    return t;
}();

constexpr BuiltText kLevelWanted = [] {
    BuiltText t;
    t << "a whole number from 1 to " << kHighestLevel;
    return t;
}();

struct OptionRow {
    std::string_view name;
    // What follows it: "" nothing, "[X]" a value that may be left out, "X" a value.
    std::string_view value;
    unsigned commands;
    std::string_view help;
    // Takes the value; false when it is not one the option can use, with
    // what it can in `wanted`.
    bool (*take)(Options& o, std::string_view value) = nullptr;
    std::string_view wanted = "";
    // Said after `help` and `wanted`: the values there are, where they are
    // not fixed here.
    std::string (*choices)() = nullptr;
    // An option that gives a setting takes one of its values (in `value`,
    // "*" stands for them; given alone, it is kOnName) into `given`.
    std::optional<SettingKey> setting = std::nullopt;
    std::string Options::*given = nullptr;
};

constexpr OptionRow kOptions[] = {
    {"--world", "DIR", kPlay, "play the world whose data folders are in DIR",
     [](Options& o, std::string_view v) { return o.world = v, true; }},
    {"--continue", "[FILE]", kPlay, "resume the most recent saved game of the world, or FILE",
     [](Options& o, std::string_view v) { return o.continueGame = true, o.continueFile = v, true; }},
    {"--saves", "", kPlay, "list the saved games and exit",
     [](Options& o, std::string_view) { return o.listSaves = true; }},
    {"--record", "FILE", kPlay, "record this game to FILE as well",
     [](Options& o, std::string_view v) { return o.recordFile = v, true; }},
    {"--replay", "FILE", kPlay, "play a recording back (Space pauses, Ctrl+C quits)",
     [](Options& o, std::string_view v) { return o.replayFile = v, true; }},
    {"--speed", "N|max", kPlay, "replay N (1 to 10000) times faster, or without pauses",
     [](Options& o, std::string_view v) { return v == "max" ? (o.speed = 0, true) : Number(v, 1, 10000, o.speed); },
     "a whole number from 1 to 10000, or max"},
    {"--headless", "", kPlay, "replay without a terminal and print the last screen",
     [](Options& o, std::string_view) { return o.headless = true; }},
    {"--end-save", "", kPlay, "keep where the replay ends as a new saved game, to go on from there",
     [](Options& o, std::string_view) { return o.endSave = true; }},
    {"--cast", "OUT", kPlay, "replay without a terminal into OUT, an asciicast (asciinema's format)",
     [](Options& o, std::string_view v) { return o.castFile = v, !v.empty(); }, "a file name"},
    {.name = "--look",
     .value = "*",
     .commands = kPlay,
     .help = "marked (the default) reverses the highlights and marks the active menu; console draws them in "
             "bright white, as the original console did",
     .setting = SettingKey::kLook,
     .given = &Options::look},
    {.name = "--messages",
     .value = "*",
     .commands = kPlay,
     .help = "message pace: a key for each (the default), going on by themselves, or typed at once",
     .setting = SettingKey::kMessages,
     .given = &Options::messages},
    {.name = "--classic",
     .value = "[*]",
     .commands = kPlay,
     .help = "the original's screens and keys alone: no menu, no extra keys, no marks, no journey's lines",
     .setting = SettingKey::kClassic,
     .given = &Options::classic},
    {.name = "--speech",
     .value = "",
     .commands = kPlay,
     .help = "say what happens through the system's speech service (Speech Dispatcher, Windows' voices)",
     .setting = SettingKey::kSpeech,
     .given = &Options::speech},
    {.name = "--lang",
     .value = "LANG",
     .commands = kPlay | kEdit,
     .help = "the language of the texts on the screen: ",
     .choices = KnownLanguages,
     .setting = SettingKey::kLanguage,
     .given = &Options::language},
    {"--start", "MAP[,X,Y]", kPlay, "play-test: start a new game on map MAP (at column X, row Y)", StartPlace,
     kStartWanted.View()},
    {"--level", "N", kPlay, "play-test: start at level N, grown as ranks balance grows the hero",
     [](Options& o, std::string_view v) { return Number(v, 1, kHighestLevel, o.level); }, kLevelWanted.View()},
    {"--no-save", "", kPlay, "play-test: keep neither a save nor a recording of this game",
     [](Options& o, std::string_view) { return o.noSave = true; }},
    {"--battles", "N", kBalance, kBattlesHelp.View(),
     [](Options& o, std::string_view v) { return Number(v, 1, 100000, o.battles); }, "a whole number from 1 to 100000"},
    {"--levels", "L1,L2,...", kBalance, kLevelsHelp.View(),
     [](Options& o, std::string_view v) { return Numbers(v, 1, 99, o.levels); },
     "whole numbers from 1 to 99 separated by commas"},
    {"--format", "FORMAT", kTools, "text (the default), json, csv (balance only) or sarif (check only)",
     [](Options& o, std::string_view v) {
         return (v == "text" || v == "json" || v == "csv" || v == "sarif") && (o.format = v, true);
     },
     "text, json, csv or sarif"},
    {"--notes", "", kCheck, "ranks check: list the notes too",
     [](Options& o, std::string_view) { return o.notes = true; }},
    {"--pot", "", kCheck, "ranks check: print a template (.pot) of the world's texts to translate",
     [](Options& o, std::string_view) { return o.pot = true; }},
    {"--show", "N", kCheck, "ranks check: print map N as the game reads it",
     [](Options& o, std::string_view v) { return Number(v, 1, kMaps, o.show); }, kShowWanted.View()},
    {"--help", "", kAll, "show this text and exit", [](Options& o, std::string_view) { return o.help = true; }},
    {"--version", "", kPlay, "show the version and exit",
     [](Options& o, std::string_view) { return o.version = true; }},
};

const OptionRow* Find(std::string_view name) {
    if (name == "-h") name = "--help";
    for (const OptionRow& s : kOptions)
        if (s.name == name) return &s;
    return nullptr;
}

std::string_view CommandName(Command c) {
    return c == Command::kCheck     ? "ranks check"
           : c == Command::kBalance ? "ranks balance"
           : c == Command::kNew     ? "ranks new"
           : c == Command::kEdit    ? "ranks edit"
                                    : "ranks";
}

// What follows the option, its setting's values in place of "*".
std::string Spelled(const OptionRow& row) {
    std::string value(row.value);
    if (const std::size_t star = value.find('*'); row.setting && star != std::string::npos)
        value.replace(star, 1, ValueNames(SettingOf(*row.setting), "|", "|"));
    return value;
}

// The option and what follows it, for the usage lines.
std::string Usage(std::string_view name) {
    const OptionRow* row = Find(name);
    return "[" + std::string(name) + (row->value.empty() ? "" : " " + Spelled(*row)) + "]";
}

// A setting's value, kOnName when the option stands alone.
bool TakeSetting(const OptionRow& row, Options& o, std::string_view value) {
    if (value.empty()) value = kOnName;
    o.*row.given = value;
    return ValueIndex(SettingOf(*row.setting), value) >= 0;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// What the options ask for together that the game cannot do as asked.
bool Combinable(const Options& o, std::string& error) {
    if (o.command == Command::kCheck && o.format == "csv") {
        error = "--format=csv goes with ranks balance; ranks check writes text, json or sarif";
        return false;
    }
    if (o.command == Command::kBalance && o.format == "sarif") {
        error = "--format=sarif goes with ranks check; ranks balance writes text, csv or json";
        return false;
    }
    if (o.command == Command::kNew && o.world.empty() && !o.help) {
        error = "ranks new needs the folder to write the world into: ranks new DIR";
        return false;
    }
    if (o.command != Command::kPlay) return true;
    if ((!o.start.empty() || o.level != 0) && (o.continueGame || !o.replayFile.empty() || o.listSaves)) {
        error = "--start and --level begin a new game: they do not go with " + std::string(o.continueGame ? "--continue"
                                                                                           : !o.replayFile.empty()
                                                                                               ? "--replay"
                                                                                               : "--saves");
        return false;
    }
    if (o.noSave && (!o.replayFile.empty() || o.listSaves || !o.recordFile.empty() || o.continueGame)) {
        error = "--no-save plays a new game that leaves no file: it does not go with " +
                std::string(o.listSaves             ? "--saves"
                            : !o.replayFile.empty() ? "--replay"
                            : o.continueGame        ? "--continue"
                                                    : "--record");
        return false;
    }
    if (!o.replayFile.empty() && (o.continueGame || !o.recordFile.empty() || o.listSaves)) {
        error = "--replay plays a recording as it was made: it does not go with " +
                std::string(o.continueGame          ? "--continue"
                            : !o.recordFile.empty() ? "--record"
                                                    : "--saves");
        return false;
    }
    if (o.classic == kOnName && (!o.look.empty() || !o.messages.empty())) {
        error = "--classic plays as the original did: it does not go with " +
                std::string(o.look.empty() ? "--messages" : "--look");
        return false;
    }
    if (o.replayFile.empty() && (o.headless || o.speed != 1 || !o.castFile.empty() || o.endSave)) {
        error = "--headless, --speed, --cast and --end-save go with --replay FILE";
        return false;
    }
    if (o.endSave && (o.headless || !o.castFile.empty())) {
        error = "--end-save keeps the end of a replay on screen: it does not go with " +
                std::string(o.headless ? "--headless" : "--cast");
        return false;
    }
    if (!o.castFile.empty() && (o.headless || o.speed == 0)) {
        error = o.headless ? "--cast replays without a terminal already: it does not go with --headless"
                           : "--cast keeps the game's times: --speed max has none, give a number";
        return false;
    }
    if (o.listSaves && (o.continueGame || !o.recordFile.empty())) {
        error = "--saves lists the saved games and plays none: it does not go with " +
                std::string(o.continueGame ? "--continue" : "--record");
        return false;
    }
    return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options& o, std::string& error) {
    o = Options{};
    if (argc > 0 && argv[0] != nullptr) o.program = argv[0];
    int i = 1;
    if (argc > 1 && std::string_view(argv[1]) == "check") o.command = Command::kCheck, i = 2;
    else if (argc > 1 && std::string_view(argv[1]) == "balance") o.command = Command::kBalance, i = 2;
    else if (argc > 1 && std::string_view(argv[1]) == "new") o.command = Command::kNew, i = 2;
    else if (argc > 1 && std::string_view(argv[1]) == "edit") o.command = Command::kEdit, i = 2;
    const unsigned mine = 1u << static_cast<unsigned>(o.command);
    for (; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!arg.starts_with("-") || arg == "-") {
            // The world folder of the authors' tools.
            if (o.command != Command::kPlay && o.world.empty() && !arg.empty()) {
                o.world = arg;
                continue;
            }
            error = "unexpected argument " + Quoted(arg);
            return false;
        }
        std::string_view value;
        bool given = false;
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            given = true;
        }
        const OptionRow* option = Find(arg);
        if (option == nullptr) {
            error = "unknown option " + Quoted(arg);
            return false;
        }
        if ((option->commands & mine) == 0) {
            error = std::string(option->name) + " does not go with " + std::string(CommandName(o.command));
            return false;
        }
        const bool optional = option->value.starts_with("[");
        if (option->value.empty() && given) {
            error = std::string(option->name) + " takes no value";
            return false;
        }
        // A value is the next argument unless that is an option itself.
        if (!option->value.empty() && !given && i + 1 < argc && !std::string_view(argv[i + 1]).starts_with("--")) {
            value = argv[++i];
            given = true;
        }
        if (!option->value.empty() && !optional && !given) {
            error = std::string(option->name) + " needs a value: " + std::string(option->name) + " " +
                    std::string(option->value);
            return false;
        }
        if (option->setting ? !TakeSetting(*option, o, value) : !option->take(o, value)) {
            error = std::string(option->name) + ": " + Quoted(value) + " is not " +
                    (option->setting ? ValueNames(SettingOf(*option->setting), ", ", " or ")
                                     : std::string(option->wanted) + (option->choices ? option->choices() : ""));
            return false;
        }
    }
    return Combinable(o, error);
}

int GivenValue(const Options& options, SettingKey key) {
    for (const OptionRow& row : kOptions)
        if (row.setting == key) return ValueIndex(SettingOf(key), options.*row.given);
    return -1;
}

std::string UsageText() {
    return "usage: ranks [--world DIR] [--continue [FILE]] [--saves] [--record FILE]\n"
           "             [--start MAP[,X,Y]] [--level N] [--no-save]\n"
           "             [--replay FILE [--speed N|max]\n"
           "              [--headless | --cast OUT | --end-save]]\n"
           "             " +
           Usage("--look") + " " + Usage("--messages") + "\n             " + Usage("--classic") + " " +
           Usage("--lang") + " " + Usage("--speech") +
           " [--help] [--version]\n"
           "       ranks edit [DIR] [--lang LANG]\n"
           "       ranks check [DIR] [--format=text|json|sarif] [--notes] [--show N] [--pot]\n"
           "       ranks balance [DIR] [--battles N] [--levels L1,L2,...]\n"
           "                     [--format=text|csv|json]\n"
           "       ranks new DIR\n";
}

namespace {

// The help fits a terminal of 80 columns: each description in its own
// column, wrapped at its spaces; an option too wide for its column stands
// on a line of its own above the description.
constexpr std::size_t kHelpColumn = 21, kHelpWidth = 80;

std::string HelpRow(std::string left, std::string_view text) {
    std::string out;
    if (left.size() >= kHelpColumn) out = left + "\n", left.clear();
    left.resize(kHelpColumn, ' ');
    std::string line = left;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find(' ', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view word = text.substr(at, end - at);
        if (line.size() > kHelpColumn && line.size() + 1 + word.size() > kHelpWidth)
            out += line + "\n", line.assign(kHelpColumn, ' ');
        if (line.size() > kHelpColumn) line += ' ';
        line += word;
        at = end + 1;
    }
    return out + line + "\n";
}

// The help's lines of the options that go with the game, or of the others.
std::string HelpLines(bool play) {
    std::string out;
    for (const OptionRow& s : kOptions) {
        if (((s.commands & kPlay) != 0) != play) continue;
        const std::string left = "  " + std::string(s.name) + (s.value.empty() ? "" : " " + Spelled(s));
        out += HelpRow(left,
                       std::string(s.help) + (s.choices != nullptr ? s.choices() + " (the first is the default)" : ""));
    }
    return out;
}

}  // namespace

std::string HelpText() {
    std::string out = "Ranks & Files - a role-playing game for the text console.\n\n" + UsageText() + "\n";
    out += HelpLines(true);
    out +=
        "\n"
        "For world authors:\n"
        "  ranks new DIR                      write a small world to start from into DIR\n"
        "  ranks edit [DIR]                   paint a world's maps, enemies and marks in\n"
        "                                     the game's own screen (DIR: as for check)\n"
        "  ranks check [DIR]                  report what the game makes of a world (DIR:\n"
        "                                     the world the working directory lies in)\n"
        "  ranks balance [DIR]                play battles at several levels and print,\n"
        "                                     per map, the level that wins and the time\n"
        "                                     a fight takes\n";
    out += HelpLines(false);
    out +=
        "\n"
        "Without --world the game plays the working directory when it holds the\n"
        "data folders (Hero_Info, Enemy_Info, Abilities, map_form, map_info,\n"
        "mini_map), otherwise the default world installed beside the program.\n"
        "\n"
        "Keys: arrow keys (or h j k l, or the keypad's 8 2 4 6) walk and choose,\n"
        "Enter or Right confirms, Space or Left goes back, Enter, Right or Down\n"
        "acknowledges a message. Space on the field opens the menu (status,\n"
        "items, abilities, how to play, settings, quit), but not with --classic,\n"
        "which plays the original's keys and screens alone. Ctrl+C quits.\n"
        "\n"
        "Every game is saved as it goes, and recorded beside its save, in the\n"
        "user's data folder (ranks --saves shows where).\n";
    return out;
}

std::string OptionNames() {
    std::string out;
    for (const OptionRow& s : kOptions) out += std::string(s.name) + "\n";
    return out;
}

std::string OptionNames(Command command) {
    std::string out;
    for (const OptionRow& s : kOptions)
        if ((s.commands & 1u << static_cast<unsigned>(command)) != 0) out += std::string(s.name) + "\n";
    return out;
}

}  // namespace rf
