#!/usr/bin/env python3
"""Plays the default world's battles many times over with the game's number
rules, to check its balance: early fights, Rook groups, and how long the
hero takes to reach levels 12, 18 and 25. Reads the status files from
world/ (UTF-8 sources). Usage: bench/world_balance.py [world dir]"""
import os
import random
import statistics
import sys

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "world")
ABILITY_FILES = ["SwordCut", "Flame", "BigRevolveSword", "HellFlame", "AbsoluteObedience"]
UNLOCK = [1, 1, 12, 18, 25]
KINDS = ["Pawn", "Knight", "Bishop", "Rook"]


def tokens(path):
    with open(path, encoding="utf-8") as f:
        return f.read().split()


def load():
    t = tokens(os.path.join(ROOT, "Hero_Info", "Hero_Status_Info.txt"))
    n = [int(v) for v in t[1:]]
    hero = dict(maxHp=n[0], attack=n[1], defence=n[2], magicAttack=n[3], magicDefence=n[4], speed=n[5],
                nextExp=n[6], exp=n[7], level=n[8])
    enemies = {}
    for k in KINDS:
        t = tokens(os.path.join(ROOT, "Enemy_Info", k + "_Status_Info.txt"))
        n = [int(v) for v in t[3:]]
        enemies[k] = dict(maxHp=n[2], attack=n[3], defence=n[4], magicAttack=n[5], magicDefence=n[6], speed=n[7],
                          ability=n[8])
    abilities = []
    for a in ABILITY_FILES:
        t = tokens(os.path.join(ROOT, "Abilities", a + ".txt"))
        abilities.append(dict(power=int(t[2]), accuracy=int(t[3])))
    return hero, enemies, abilities


class Rand:
    def __init__(self, seed):
        self.s = seed & 0xFFFFFFFF

    def draw(self):
        self.s = (self.s * 214013 + 2531011) & 0xFFFFFFFF
        return (self.s >> 16) & 0x7FFF


def s16(v):
    v &= 0xFFFF
    return v - 0x10000 if v >= 0x8000 else v


def spread(r, m):
    k = r.draw() % (2 * m + 101)
    return int(k / (2 * m + 100) * 10 - 4)


def six(s):
    return s["maxHp"] + s["attack"] + s["defence"] + s["magicAttack"] + s["magicDefence"] + s["speed"]


def evaded(r, d, a, c):
    dd = s16(d + d // 2 + r.draw() % (d + 1))
    hh = s16(a * c + r.draw() % (a + 1))
    return dd > hh


def hero_damage(r, h, e, a):
    sp = spread(r, h["level"])
    base = h["attack"] * a["power"] + a["accuracy"]
    return s16(int(base / e["defence"] + h["exp"] / (e["defence"] * e["magicDefence"]) + sp))


def enemy_damage(r, h, e, a):
    sp = spread(r, (h["level"] * 2) // 3)
    base = e["attack"] * a["power"] + a["accuracy"]
    g = (h["exp"] * 2) // 3
    return s16(int(base / h["defence"] + g / (h["defence"] * h["magicDefence"]) + sp))


def threshold(h):
    t = (six(h) * h["level"]) & 0xFFFF
    if 10 <= t <= 99:
        t = t + (10 - t % 10) if t % 10 >= 5 else t - t % 10
    if t >= 100:
        t = t + (100 - t % 100) if t % 100 >= 50 else t - t % 100
    return t


def grow(r, h):
    c = ((h["exp"] - h["nextExp"]) & 0xFFFFFFFF) % 300
    g = r.draw() % 5 + 3
    if c > r.draw() % 300:
        g += 1
    h["maxHp"] += g
    for f in ("attack", "defence", "magicAttack", "magicDefence", "speed"):
        g = r.draw() % 4 - 1
        if c > r.draw() % 300:
            g += 1
        h[f] += max(g, 1)


def battle(h, e, size, abilities, r):
    """One battle; the hero always strikes the first standing enemy with the
    ability that does most on average. Returns (won, seconds, messages)."""
    hp = h["maxHp"]
    slots = [e["maxHp"]] * size
    actions = 0
    seconds = 6.0  # wipes, opening, closing message
    usable = [i for i in range(5) if h["level"] >= UNLOCK[i]]
    best = max(usable, key=lambda i: (h["attack"] * abilities[i]["power"] + abilities[i]["accuracy"]) *
               min(1.0, abilities[i]["accuracy"] / 2.0))
    a = abilities[best]
    b = abilities[e["ability"]]
    while True:
        target = next(i for i, v in enumerate(slots) if v > 0)
        actions += 1
        seconds += 2.0
        if not evaded(r, e["speed"], h["speed"], a["accuracy"]):
            slots[target] -= max(0, hero_damage(r, h, e, a))
            if slots[target] <= 0:
                seconds += 1.0
                if all(v <= 0 for v in slots):
                    return True, seconds, actions
                continue
        for _ in range(sum(1 for v in slots if v > 0)):
            actions += 1
            seconds += 3.0
            if evaded(r, h["speed"], e["speed"], b["accuracy"]):
                continue
            d = enemy_damage(r, h, e, b)
            hp -= max(0, d)
            seconds += max(0, d) * 0.02
            if hp <= 0:
                return False, seconds, actions


def kill_exp(r, e):
    s = six(e)
    return s16(s + r.draw() % s + s // 6)


def win_rate(h, e, size, abilities, trials=400):
    wins = 0
    for t in range(trials):
        won, _, _ = battle(h, e, size, abilities, Rand(1000 + t))
        wins += won
    return wins / trials


# The route a player walks: which groups they meet at which level.
def groups_for(level):
    if level < 4:
        return [("Pawn", 1), ("Pawn", 2), ("Pawn", 3)]
    if level < 8:
        return [("Pawn", 3), ("Knight", 1), ("Knight", 2), ("Pawn", 4), ("Knight", 3)]
    if level < 12:
        return [("Knight", 3), ("Bishop", 1), ("Bishop", 2), ("Knight", 4), ("Pawn", 5), ("Rook", 1)]
    if level < 18:
        return [("Bishop", 3), ("Rook", 2), ("Knight", 5), ("Bishop", 4), ("Rook", 3), ("Bishop", 5)]
    return [("Rook", 4), ("Bishop", 6), ("Rook", 5), ("Rook", 6), ("Knight", 7), ("Pawn", 7), ("Bishop", 7),
            ("Rook", 7)]


def campaign(hero, enemies, abilities, seed, walk_seconds=25.0):
    h = dict(hero)
    rnd = random.Random(seed)
    r = Rand(seed)
    t = 0.0
    reached = {}
    battles = 0
    while h["level"] < 25 and t < 12 * 3600:
        pool = groups_for(h["level"])
        # A careful player avoids groups it loses to.
        choices = [g for g in pool if win_rate(h, enemies[g[0]], g[1], abilities, 20) >= 0.8] or pool[:1]
        kind, size = rnd.choice(choices)
        e = enemies[kind]
        won, secs, actions = battle(h, e, size, abilities, Rand(rnd.randrange(1 << 32)))
        battles += 1
        t += secs + walk_seconds
        if not won:
            continue
        gained = (kill_exp(r, e) * size) & 0xFFFF
        if actions >= 40:
            gained = int(gained / ((actions // 10) * 1.1 / 4.0))
        h["exp"] += gained
        while h["exp"] >= h["nextExp"]:
            h["level"] += 1
            rest = h["exp"] - h["nextExp"]
            grow(r, h)
            h["nextExp"] = threshold(h)
            h["exp"] = rest
            for goal in (12, 18, 25):
                if h["level"] >= goal and goal not in reached:
                    reached[goal] = (t, battles)
    return reached, h


def main():
    hero, enemies, abilities = load()
    print("fresh hero: six-stat sum", six(hero), "next", hero["nextExp"], "threshold rule gives", threshold(hero))
    for kind, size in (("Pawn", 1), ("Pawn", 2), ("Pawn", 3), ("Knight", 1), ("Rook", 1), ("Rook", 2), ("Rook", 4)):
        print(f"  fresh hero against {kind} x{size}: wins {win_rate(hero, enemies[kind], size, abilities):.0%}")
    runs = [campaign(hero, enemies, abilities, seed) for seed in range(12)]
    for goal in (12, 18, 25):
        times = [r[0][goal][0] / 3600 for r in runs if goal in r[0]]
        fights = [r[0][goal][1] for r in runs if goal in r[0]]
        if times:
            print(f"level {goal}: {statistics.median(times):.1f} h (range {min(times):.1f}-{max(times):.1f}),"
                  f" {statistics.median(fights):.0f} battles, in {len(times)}/{len(runs)} runs")
        else:
            print(f"level {goal}: not reached")
    h = runs[0][1]
    print("hero at the end of run 0:", {k: h[k] for k in ("level", "maxHp", "attack", "defence", "speed")})
    for kind, size in (("Rook", 4), ("Rook", 7)):
        print(f"  that hero against {kind} x{size}: wins {win_rate(h, enemies[kind], size, abilities):.0%}")


if __name__ == "__main__":
    main()
