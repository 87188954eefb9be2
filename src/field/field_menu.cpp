#include "field/field_menu.h"

#include <algorithm>
#include <cstdint>

#include "console/compose.h"
#include "console/console.h"
#include "console/spoken.h"
#include "core/fixed_text.h"
#include "core/game_state.h"
#include "core/setting_table.h"
#include "core/texts.h"
#include "core/world_about.h"
#include "core/world_translation.h"
#include "field/field_view.h"
#include "field/map_files.h"
#include "items/abilities.h"
#include "items/items.h"
#include "platform/console_session.h"
#include "platform/narration.h"
#include "saves/autosave.h"
#include "saves/settings_file.h"
#include "text/cp932.h"

namespace rf {
namespace {

constexpr TextId kTabs[kMenuPages] = {TextId::kMenuTabStatus, TextId::kMenuTabItems,    TextId::kMenuTabAbilities,
                                      TextId::kMenuTabHowTo,  TextId::kMenuTabSettings, TextId::kMenuTabQuit};
constexpr TextId kHowTo[] = {TextId::kMenuHowTo1, TextId::kMenuHowTo2, TextId::kMenuHowTo3,
                             TextId::kMenuHowTo4, TextId::kMenuHowTo5, TextId::kMenuHowTo6};

// The menu's frame over the field, at the top left: 60 cells by 20 rows,
// what its texts are written for (a body row's 56 cells in po/) and its
// pages take: the map's size today. Over a smaller map it covers the
// mini-map or the legend too (kCoversMore), and they are drawn again.
constexpr int kWidth = 60;
constexpr int kRows = 20;
constexpr int kInner = kWidth - 4;  // between "| " and " |"
constexpr int kTabsRow = 1;
constexpr int kBodyTop = 3;
constexpr int kLastRow = kRows - 1;
constexpr int kFooterRow = kLastRow - 1;
constexpr int kBodyRows = kFooterRow - kBodyTop - 1;  // the signs' room; a row more is drawn
constexpr bool kCoversMore = kWidth > kMapColumns || kRows > kMapRows;
static_assert(kWidth <= kScreenColumns && kRows <= kScreenRows);
constexpr int kSettingRows = kSettingKeys;
constexpr int kLabelCells = 18;

// `text` cut or filled with blanks to `cells`, never splitting a character.
std::string Fitted(std::string_view text, int cells) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (static_cast<int>(out.size() + length) > cells) break;
        out.append(text.substr(i, length));
        i += length;
    }
    out.append(static_cast<std::size_t>(cells) - out.size(), ' ');
    return out;
}

std::string Labelled(std::string_view label, const std::string& value) { return Fitted(label, kLabelCells) + value; }

std::string Number(long long n) { return std::to_string(n); }

std::string Clock(long long seconds) {
    const long long m = seconds / 60 % 60, s = seconds % 60;
    return Number(seconds / 3600) + (m < 10 ? ":0" : ":") + Number(m) + (s < 10 ? ":0" : ":") + Number(s);
}

// Turns an effect still runs: it ages twice an exchange.
std::string EffectsText() {
    std::string out;
    for (int e = 0; e < kTimedEffects; ++e)
        for (const EffectSlot& slot : itemEffects.slots[e])
            if (slot.turnsLeft > 0)
                out += std::string(Text(kItems[ItemOfEffect(e)].name)) + " " +
                       std::string(Text(TextId::kMenuTurnsLeft)) + Number((slot.turnsLeft + 1) / 2) + "  ";
    return out.empty() ? std::string(Text(TextId::kMenuNoEffects)) : out;
}

std::string BattlesLine() {
    return Labelled(Text(TextId::kMenuBattles),
                    std::string(Text(TextId::kMenuWon)) + " " + Number(journey.battlesWon) + "  " +
                        std::string(Text(TextId::kMenuLost)) + " " + Number(journey.battlesLost) + "  " +
                        std::string(Text(TextId::kMenuFled)) + " " + Number(journey.battlesFled));
}

std::string MapsLine() {
    int maps = 0;
    for (int m = 0; m < kMaps; ++m) maps += (journey.mapsVisited >> m) & 1;
    return Labelled(Text(TextId::kMenuMaps), Number(maps) + " / " + Number(kMaps));
}

// Seconds played: one clock reading a call, so a replay shows the same time.
long long PlayedSeconds() {
    if (journey.sessionStart < 0) return journey.secondsBefore;
    return journey.secondsBefore + std::max<long long>(0, platform::ClockSeconds() - journey.sessionStart);
}

void StatusLines(long long played, std::vector<std::string>& lines) {
    const HeroStatus& h = hero;
    lines.push_back(std::string(WorldText(FixedText(h.name))) + "  " + std::string(Text(TextId::kLevelRowLevel)) + " " +
                    Number(h.level));
    lines.push_back(Labelled(Text(TextId::kLevelRowHp), Number(h.maxHp) + std::string(Text(TextId::kMenuHpNote))));
    lines.push_back(Labelled(Text(TextId::kLevelRowAttack), Fitted(Number(h.attack), 8)) +
                    Labelled(Text(TextId::kLevelRowDefence), Number(h.defence)));
    lines.push_back(Labelled(Text(TextId::kLevelRowMagicAttack), Fitted(Number(h.magicAttack), 8)) +
                    Labelled(Text(TextId::kLevelRowMagicDefence), Number(h.magicDefence)));
    lines.push_back(Labelled(Text(TextId::kLevelRowSpeed), Number(h.speed)));
    lines.push_back(Labelled(Text(TextId::kLevelRowExperience), Fitted(Number(h.exp), 8)) +
                    Labelled(Text(TextId::kMenuToNext), Number(h.nextExp > h.exp ? h.nextExp - h.exp : 0)));
    lines.push_back(Labelled(Text(TextId::kMenuEffects), EffectsText()));
    lines.emplace_back();
    lines.emplace_back(Text(TextId::kMenuJourney));
    lines.push_back(Labelled(Text(TextId::kMenuPlayed), Clock(played)));
    lines.push_back(BattlesLine());
    lines.push_back(MapsLine());
    lines.push_back(Labelled(Text(TextId::kMenuQueen),
                             std::string(journey.queenSeen ? Text(TextId::kMenuSeen) : Text(TextId::kMenuNotSeen))) +
                    "  " + std::string(Text(TextId::kMenuKing)) + " " +
                    std::string(journey.kingSeen ? Text(TextId::kMenuSeen) : Text(TextId::kMenuNotSeen)));
    if (journey.kingReachedAt >= 0)
        lines.push_back(Labelled(Text(TextId::kMenuKingReached), Clock(journey.kingReachedAt)));
}

void ItemLines(std::vector<std::string>& lines) {
    const std::string turns = Number(kEffectTurns / 2) + std::string(Text(TextId::kMenuForTurns));
    auto does = [&](const ItemInfo& item) {
        switch (item.effect) {
            case ItemEffect::kHeal: return std::string(Text(TextId::kMenuHeals)) + " " + Number(item.amount);
            case ItemEffect::kRaiseAttack:
                return std::string(Text(TextId::kMenuRaisesAttack)) + " +" + Number(item.amount) + " " + turns;
            case ItemEffect::kRaiseDefence:
                return std::string(Text(TextId::kMenuRaisesDefence)) + " +" + Number(item.amount) + " " + turns;
        }
        return std::string();
    };
    for (int k = 0; k < kItemKinds; ++k)
        lines.push_back(
            Fitted(Text(kItems[k].name), 12) +
            Fitted(Number(std::max<int>(0, hero.items[k].count)) + std::string(Text(TextId::kMenuCount)), 6) +
            does(kItems[k]));
    lines.emplace_back();
    lines.emplace_back(Text(TextId::kMenuCarriesOver));
    lines.emplace_back(Text(TextId::kMenuItemsHeader));
}

void AbilityLines(std::vector<std::string>& lines) {
    const int known = AvailableAbilities(hero.level);
    for (int i = 0; i < known; ++i) {
        const AbilityInfo& a = abilityTable.abilities[i];
        lines.push_back(Fitted(WorldText(FixedText(a.name)), 14) + std::string(Text(TextId::kMenuPower)) + " " +
                        Fitted(Number(a.power), 4) + std::string(Text(TextId::kMenuAccuracy)) + " " +
                        Number(a.accuracy));
    }
    lines.emplace_back();
    lines.emplace_back(Text(TextId::kMenuAgainstDefence));
    lines.emplace_back(Text(TextId::kMenuPowerNote));
    const int* next = std::find_if(std::begin(kAbilityUnlockLevels), std::end(kAbilityUnlockLevels),
                                   [](int level) { return level > hero.level; });
    lines.push_back(next == std::end(kAbilityUnlockLevels) ? std::string(Text(TextId::kMenuAllAbilities))
                                                           : ComposeWithNumber(Text(TextId::kMenuNextAbility), *next));
    lines.emplace_back(Text(TextId::kMenuAbilitiesHeader));
}

// The world's own signs: the runs of words on its maps.
void SignLines(std::vector<std::string>& lines, std::size_t room) {
    for (int map = 1; map <= kMaps; ++map)
        for (int y = 0; y < kMapRows; ++y) {
            const unsigned char* row = &worldGrid.cells[OriginRow(map) + y][OriginColumn(map)];
            for (int x = 0; x < kMapColumns;) {
                if (!IsLeadByte(row[x])) {
                    ++x;
                    continue;
                }
                int end = x;
                // Words and the blanks between them, up to a wall.
                while (end < kMapColumns &&
                       (IsLeadByte(row[end]) || (row[end] == ' ' && end + 1 < kMapColumns && IsLeadByte(row[end + 1]))))
                    end += IsLeadByte(row[end]) ? 2 : 1;
                end = std::min(end, kMapColumns);
                const std::string_view run(reinterpret_cast<const char*>(row + x), static_cast<std::size_t>(end - x));
                if (IsWords(run) && lines.size() < room) {
                    // As the field draws it: in the world's translation, if any.
                    std::string drawn;
                    for (int c = x; c < end; ++c)
                        drawn += static_cast<char>(DrawnCell(OriginColumn(map) + c, OriginRow(map) + y));
                    lines.push_back(drawn.erase(drawn.find_last_not_of(' ') + 1));
                }
                x = end;
            }
        }
}

void HowToLines(std::vector<std::string>& lines) {
    // The world's own name, when its world file gives one.
    if (const std::string name = WorldName(); !name.empty())
        lines.push_back(ComposeWithName(Text(TextId::kMenuWorldName), name));
    for (TextId line : kHowTo) lines.emplace_back(Text(line));
    lines.emplace_back();
    lines.emplace_back(Text(TextId::kMenuSigns));
    SignLines(lines, kBodyRows);
}

// Every language in its own words, the one in use in brackets.
std::string LanguagesText() {
    std::string out;
    for (int in = 0; in < kLanguageCount; ++in) {
        const std::string name(TextIn(in, TextId::kLanguageName));
        out += in == language ? "[" + name + "]  " : " " + name + "   ";
    }
    return out;
}

// The settings page's rows: the language first, then the table's order.
const SettingRow& SettingOnRow(int r) {
    if (r == 0) return SettingOf(SettingKey::kLanguage);
    return SettingOf(static_cast<SettingKey>(r <= static_cast<int>(SettingKey::kLanguage) ? r - 1 : r));
}

void SettingLines(std::string_view keptProblem, bool noSpeech, std::vector<std::string>& lines) {
    for (int r = 0; r < kSettingRows; ++r) {
        const SettingRow& row = SettingOnRow(r);
        const auto value = static_cast<std::size_t>(KeptValue(row, settings, language));
        lines.push_back(Labelled(
            Text(row.label), row.values.empty() ? LanguagesText()
                                                : std::string(Text(row.values[value].said)) +
                                                      std::string(row.nextStart ? Text(TextId::kMenuNextStart) : "")));
    }
    if (settings.classicNextStart) lines.emplace_back(Text(TextId::kMenuClassicNote));
    lines.emplace_back();
    if (noSpeech) {
        lines.emplace_back(Text(TextId::kMenuNoSpeech));
        lines.emplace_back(keptProblem);
    } else if (settings.kept == SettingsKept::kNotInAReplay) {
        lines.emplace_back(Text(TextId::kMenuReplayNotKept));
    } else if (settings.kept == SettingsKept::kNotWithoutSaves) {
        lines.emplace_back(Text(TextId::kMenuNoSaveNotKept));
    } else if (!keptProblem.empty()) {
        lines.emplace_back(Text(TextId::kMenuNotKept));
        lines.emplace_back(keptProblem);
    } else {
        lines.emplace_back(Text(TextId::kMenuKeptIn));
        lines.push_back(SettingsFilePath());
    }
}

struct MenuView {
    int page = kStatusPage;
    int choice = 0;         // the setting chosen
    bool noSpeech = false;  // keptProblem says why speech is off
    long long played = 0;
    std::string keptProblem;
};

void DrawRow(int y, std::string_view text, bool chosen = false) {
    MoveTo(0, y);
    Write("| ");
    if (chosen) Highlight();
    Write(Fitted(text, kInner));
    SetTextAttribute(kPlain);
    Write(" |");
}

void DrawBorder(int y) {
    MoveTo(0, y);
    Write("+" + std::string(kWidth - 2, '-') + "+");
}

// The page in words as it is shown: its name, then on the settings the
// chosen row with its value, on Quit the row, elsewhere every row; then
// what the keys do there.
void NarrateMenu(const MenuView& v, const std::vector<std::string>& lines, TextId footer) {
    if (!platform::Narrating()) return;
    std::string said = spoken::Say(TextId::kSaidMenuPage, {Text(kTabs[v.page])});
    // A row's columns of blanks are one blank to a reader.
    const auto add = [&said](std::string_view row) {
        const std::size_t end = row.find_last_not_of(' ');
        if (end == std::string_view::npos) return;
        for (std::size_t i = 0; i <= end; ++i)
            if (row[i] != ' ' || said.empty() || said.back() != ' ') said += row[i];
        said += Text(TextId::kSaidStop);
    };
    if (v.page == kSettingsPage || v.page == kQuitPage) {
        add(lines[static_cast<std::size_t>(v.page == kSettingsPage ? v.choice : 0)]);
        if (v.page == kSettingsPage && v.noSpeech) add(v.keptProblem);
    } else {
        for (const std::string& row : lines) add(row);
    }
    add(Text(footer));
    platform::Narrate(said);
}

void DrawMenu(const MenuView& v) {
    SetTextAttribute(kPlain);
    DrawBorder(0);
    MoveTo(0, kTabsRow);
    Write("| ");
    int used = 0;
    for (int p = 0; p < kMenuPages; ++p) {
        if (p == v.page) Highlight();
        Write(Text(kTabs[p]));
        SetTextAttribute(kPlain);
        used += static_cast<int>(Text(kTabs[p]).size());
        if (p + 1 < kMenuPages) Write("  "), used += 2;
    }
    WriteSpaces(kInner - used);
    Write(" |");
    DrawBorder(2);
    std::vector<std::string> lines;
    PageLines(v.page, v.played, v.keptProblem, lines, v.noSpeech);
    if (v.page == kQuitPage)
        lines = {std::string(Text(TextId::kMenuQuit)), "", std::string(Text(TextId::kMenuQuitNote))};
    for (int r = 0; r < kBodyRows + 1; ++r) {
        const bool chosen = (v.page == kSettingsPage && r == v.choice) || (v.page == kQuitPage && r == 0);
        DrawRow(kBodyTop + r, r < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(r)] : "", chosen);
    }
    // The keys the page takes: only the settings change, only Quit quits.
    const TextId footer = v.page == kSettingsPage ? TextId::kMenuFooter
                          : v.page == kQuitPage   ? TextId::kMenuFooterQuit
                                                  : TextId::kMenuFooterView;
    DrawRow(kFooterRow, Text(footer));
    DrawBorder(kLastRow);
    NarrateMenu(v, lines, footer);
}

void ChangeSetting(MenuView& v) {
    const SettingRow& row = SettingOnRow(v.choice);
    KeepValue(row, settings, language, (KeptValue(row, settings, language) + 1) % ValueCount(row));
    if (row.key == SettingKey::kLanguage) UseLanguage(language);
    v.keptProblem.clear();
    // Speech that cannot be had is said on the page, and stays off.
    v.noSpeech = row.key == SettingKey::kSpeech && !UseSpeech(v.keptProblem);
    if (!v.noSpeech) KeepSetting(row.key, v.keptProblem);
}

// The field as it stands: the map, the enemies, the hero, and the mark
// that was on the screen; in another language, the legend too; and all of
// the field screen where the menu covered more than the map.
void GiveBackField(bool otherWords) {
    SetTextAttribute(kPlain);
    if constexpr (kCoversMore) {
        ClearScreen();
        DrawMiniMapFrame();
        DrawMiniMap();
        DrawMiniMapMark();
        otherWords = true;
    }
    DrawField();
    if (pieceMarkOnScreen) DrawCurrentPieceMark();
    if (otherWords) DrawLegend();
}

}  // namespace

bool IsWords(std::string_view run) {
    for (std::size_t i = 0; i + 1 < run.size(); ++i) {
        const auto b = static_cast<unsigned char>(run[i]);
        if (!IsLeadByte(b)) continue;
        if (b == 0x82 || b == 0x83 || b >= 0x88) return true;
        ++i;
    }
    return false;
}

void PageLines(int page, long long played, std::string_view keptProblem, std::vector<std::string>& lines,
               bool noSpeech) {
    lines.clear();
    switch (page) {
        case kStatusPage: StatusLines(played, lines); break;
        case kItemsPage: ItemLines(lines); break;
        case kAbilitiesPage: AbilityLines(lines); break;
        case kHowToPage: HowToLines(lines); break;
        case kSettingsPage: SettingLines(keptProblem, noSpeech, lines); break;
        default: break;
    }
}

bool UseSpeech(std::string& problem) {
    if (!settings.speech) {
        platform::StopSpeech();
        return true;
    }
    if (platform::StartSpeech(kLanguageCodes[language], problem)) return true;
    settings.speech = false;
    return false;
}

void RunFieldMenu() {
    MenuView v;
    v.played = PlayedSeconds();
    const std::int16_t openedIn = language;
    DrawMenu(v);
    for (;;) {
        if (!KeyWaiting()) continue;
        const int code = ReadKey();
        if (code == kKeySpace || code == kKeyEscape) break;
        if (code == kKeyLeft || code == kKeyRight) {
            v.page = (v.page + (code == kKeyRight ? 1 : kMenuPages - 1)) % kMenuPages;
            v.choice = 0;
        } else if ((code == kKeyUp || code == kKeyDown) && v.page == kSettingsPage) {
            v.choice = (v.choice + (code == kKeyDown ? 1 : kSettingRows - 1)) % kSettingRows;
        } else if (code == kKeyEnter && v.page == kSettingsPage) {
            ChangeSetting(v);
        } else if (code == kKeyEnter && v.page == kQuitPage) {
            platform::AddToFarewell(SaveForQuitting());
            platform::Exit(0);
        } else {
            continue;
        }
        DrawMenu(v);
    }
    GiveBackField(language != openedIn);
    NarrateField();  // the menu closed: where the hero is, said again
}

void JourneyEndLines(long long played, std::vector<std::string>& lines) {
    lines.clear();
    lines.emplace_back(Text(TextId::kEndWords));
    lines.emplace_back();
    lines.push_back(Labelled(Text(TextId::kMenuPlayed), Clock(played)));
    lines.push_back(BattlesLine());
    lines.push_back(Labelled(Text(TextId::kLevelRowLevel), Number(hero.level)));
    lines.push_back(MapsLine());
    lines.emplace_back();
    lines.emplace_back(Text(TextId::kEndGoesOn));
}

void RunJourneyEnd() {
    journey.kingReachedAt = PlayedSeconds();
    std::vector<std::string> lines;
    JourneyEndLines(journey.kingReachedAt, lines);
    // The menu's frame, over the whole screen but its last row.
    constexpr int kEndWidth = kScreenColumns;
    constexpr int kEndFooterRow = kScreenRows - 3;
    const auto row = [](int y, std::string_view text) {
        MoveTo(0, y);
        Write("| " + Fitted(text, kEndWidth - 4) + " |");
    };
    const auto border = [](int y) {
        MoveTo(0, y);
        Write("+" + std::string(kEndWidth - 2, '-') + "+");
    };
    ClearScreen();
    SetTextAttribute(kPlain);
    border(0);
    row(kTabsRow, Text(TextId::kEndTitle));
    border(2);
    for (int y = kBodyTop; y < kEndFooterRow; ++y) {
        const auto r = static_cast<std::size_t>(y - kBodyTop);
        row(y, r < lines.size() ? lines[r] : "");
    }
    row(kEndFooterRow, Text(TextId::kEndFooter));
    border(kEndFooterRow + 1);
    if (platform::Narrating()) {
        std::string said(Text(TextId::kEndTitle));
        for (const std::string& line : lines) said += " " + line;
        platform::Narrate(said);
    }
    for (;;) {
        if (!KeyWaiting()) continue;
        const int code = ReadKey();
        if (code == kKeyEnter || code == kKeySpace) break;
    }
    ClearScreen();
    SetTextAttribute(kPlain);
    DrawField();
    DrawMiniMapFrame();
    DrawMiniMap();
    DrawMiniMapMark();
    DrawLegend();
    WriteSave();
}

}  // namespace rf
