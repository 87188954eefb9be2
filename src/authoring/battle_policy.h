// A fixed way of playing a battle, as a player at the keyboard: strike with
// the strongest ability the level allows, drink a potion below a third of
// the hit points, acknowledge every message with Enter. `ranks balance`
// plays its battles with it, and so does the bench that plays a whole game.
#pragma once

namespace rf::authoring {

// What a played battle's time adds per key pressed: the player's reading
// and choosing.
inline constexpr double kPerKeySeconds = 0.5;

// The index of the strongest ability (the greatest power) the level allows.
int StrongestAbility(int level);

// Asked for keys whenever the battle waits for one (the headless session's
// key supplier); it knows where the battle waits from the records and the
// screen. One for each battle.
class BattlePolicy {
public:
    explicit BattlePolicy(int ability) : ability_(ability) {}

    void Supply();

    int actions = 0;  // blows struck and potions drunk
    int keys = 0;
    int enters = 0;

private:
    enum class Where { kUnknown, kCommands, kTargets, kAbilities, kItems };
    void Press(int code);
    int ability_;
    int defeatedSeen_ = 0;
    Where where_ = Where::kCommands;
};

}  // namespace rf::authoring
