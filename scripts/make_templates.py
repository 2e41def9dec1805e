#!/usr/bin/env python3
"""Writes the six template pattern files into template/.

Each file holds one difficulty's scene tree (stages, the ways and bosses inside
them, and their scenes with titles, collectable point items and spell card
values), in code page 932 and laid out exactly as the program saves a
document, so that loading and saving a template gives back the same bytes.
Every node carries the one empty, selected pattern that the program gives a
node without patterns.

Usage: scripts/make_templates.py [output folder]   (default: template/)
"""

import os
import sys

# ---- The game's content ------------------------------------------------------

# (stage name, first-half way scenes, second-half way scenes)
STAGES = [
    ("朝霧の畦道", ["毛玉の群れ", "妖精の編隊"], ["左右からの妖精", "大妖精の弾幕"]),
    ("風鈴の峠", ["峠道の妖精", "風車の列"], ["吹き下ろしの編隊", "鈴の音の弾幕"]),
    ("月影の湖畔", ["水面の毛玉", "霧の中の妖精"], ["湖上の大編隊", "水柱の弾幕"]),
    ("朽ちた書庫", ["書架の間", "飛び交う魔導書"], ["禁書の回廊", "栞の嵐"]),
    ("星降る天文台", ["螺旋階段", "流星の妖精"], ["観測室の番人", "星図の弾幕"]),
    ("逆さ城の天守", ["逆さの城門", "天井の回廊"], ["玉座への道", "最後の編隊"]),
]

# Per stage: (mid-boss, its spell cards), (boss, its spell cards). A spell card
# is (the name on Easy and Normal, the name on Hard and Lunatic); a difficulty
# with fewer cards uses the first ones.
BOSSES = [
    (("霧見ソヨカ", [("霧符「朝霧の薄衣」", "霧符「朝霧の重ね衣」")]),
     ("霧見ソヨカ", [("露符「葉末のしずく」", "露符「千の葉末のしずく」"),
                    ("霧符「畦道の迷い霧」", "霧符「果てなき迷い霧」"),
                    ("朝符「日の出前の静けさ」", "朝符「夜明けを待つ静けさ」")])),
    (("霧見ソヨカ", [("霧符「峠に立つ白い壁」", "霧符「峠を閉ざす白い壁」")]),
     ("鈴鳴アカネ", [("鈴符「風鈴の小径」", "鈴符「鳴り止まぬ風鈴の小径」"),
                    ("風符「峠越えの颪」", "風符「吹き荒ぶ峠の颪」"),
                    ("音符「七つの鈴の音」", "音符「百八つの鈴の音」"),
                    ("鈴符「夕立ちの鈴鳴り」", "鈴符「雷鳴と鈴鳴り」")])),
    (("水鏡ミナセ", [("水符「さざ波の輪」", "水符「重なるさざ波の輪」"),
                    ("鏡符「水面の双子月」", "鏡符「水面の三つ子月」")]),
     ("水鏡ミナセ", [("月符「湖に落ちた月」", "月符「湖の底の月」"),
                    ("水符「蓮の葉渡り」", "水符「沈む蓮の葉渡り」"),
                    ("鏡符「映し身の舞」", "鏡符「千の映し身の舞」"),
                    ("霧符「湖畔の夜霧」", "霧符「月を隠す夜霧」")])),
    (("頁守りシオリ", [("栞符「挟まれた押し花」", "栞符「色褪せぬ押し花」"),
                      ("頁符「めくれる頁の風」", "頁符「千頁の突風」")]),
     ("古書ツヅリ", [("書符「綴じ糸の迷路」", "書符「ほどけぬ綴じ糸の迷路」"),
                    ("墨符「滲む墨文字」", "墨符「溢れ出す墨文字」"),
                    ("禁書「開かずの目録」", "禁書「封じられた目録」"),
                    ("紙符「千羽の紙飛行機」", "紙符「万羽の紙飛行機」"),
                    ("綴符「終わらない物語」", "綴符「結末のない物語」")])),
    (("古書ツヅリ", [("書符「星図の写本」", "書符「失われた星図の写本」"),
                    ("墨符「夜空の落書き」", "墨符「夜空を塗り潰す落書き」")]),
     ("天測ホシノ", [("星符「流れ星の通り道」", "星符「流星群の通り道」"),
                    ("天符「回る天球儀」", "天符「狂い回る天球儀」"),
                    ("測符「星と星の距離」", "測符「届かない星の距離」"),
                    ("星符「北の空の七つ星」", "星符「北の空の十四星」"),
                    ("天符「夜明けの明星」", "天符「沈まない明星」")])),
    (("天測ホシノ", [("星符「逆さの星座」", "星符「裏返る星座」"),
                    ("測符「天守までの高さ」", "測符「測り知れない高さ」")]),
     ("逆月ユラ", [("逆符「天地返しの門」", "逆符「天地返しの大門」"),
                  ("月符「逆さに昇る月」", "月符「逆さに沈む月」"),
                  ("城符「落ちてこない瓦」", "城符「降りそそぐ瓦」"),
                  ("逆符「鏡の間の迷子」", "逆符「出口のない鏡の間」"),
                  ("月符「欠けては満ちる月」", "月符「満ちることのない月」"),
                  ("城符「逆さ城の天守閣」", "城符「崩れゆく天守閣」"),
                  ("終符「さかさまの夜明け」", "終符「二度と来ない夜明け」")])),
]

# Spell cards per stage, mid-boss and boss: more in later stages and on the
# higher difficulties.
MID_SPELLS = {
    "Easy": [0, 1, 1, 1, 1, 1],
    "Normal": [0, 1, 1, 1, 2, 2],
    "Hard": [1, 1, 1, 2, 2, 2],
    "Lunatic": [1, 1, 2, 2, 2, 2],
}
BOSS_SPELLS = {
    "Easy": [2, 2, 3, 3, 4, 5],
    "Normal": [2, 3, 3, 4, 4, 5],
    "Hard": [3, 3, 4, 4, 5, 6],
    "Lunatic": [3, 4, 4, 5, 5, 7],
}
# The spell card bonus grows with the stage and the difficulty.
STAGE_BONUS = [2_000_000, 3_000_000, 4_000_000, 5_000_000, 6_000_000, 8_000_000]
DIFFICULTY_BONUS = {"Easy": 1.0, "Normal": 1.5, "Hard": 2.0, "Lunatic": 2.5,
                    "Extra": 1.75, "Phantasm": 2.0}

EXTRA = {
    "stage": "夢見の庭園",
    "first": ["夢の入り口", "胡蝶の群れ"],
    "second": ["眠りの花畑", "白昼夢の編隊"],
    "mid": ("夢現ウツツ", ["夢符「まどろみの入り口」", "胡蝶「ひらひら舞う夢」"]),
    "boss": ("夢現ウツツ", [
        "夢符「うたた寝の木漏れ日」", "現符「夢と現の境目」", "胡蝶「七色の胡蝶の群れ」",
        "眠符「羊を数える夜」", "夢符「覚めても続く夢」", "幻符「白昼夢の庭園」",
        "現符「まばたきの間の永遠」", "夢符「夢の中の夢」", "眠符「百年の眠り」",
        "夢現「長い長い午睡」"]),
}
PHANTASM = {
    "stage": "境界の彼方",
    "first": ["境目の小道", "揺らぐ景色"],
    "second": ["幻灯の列", "彼方の門"],
    "mid": ("夢現ウツツ", ["夢符「夢の続きの入り口」", "現符「ふたたびの境目」"]),
    "boss": ("幻灯ヨミ", [
        "灯符「行灯の回り道」", "幻符「影絵の行列」", "灯符「消えない灯籠流し」",
        "幻符「走馬灯の一幕」", "影符「映写機の亡霊」", "灯符「百の提灯、千の影」",
        "幻符「彼方に揺れる陽炎」", "影符「影踏みの鬼」", "灯符「境界の灯台」",
        "幻符「遠い日の幻灯会」", "影符「光と影の万華鏡」", "幻灯「最後の一枚」"]),
}

# ---- The tree ------------------------------------------------------------------


class Node:
    def __init__(self, element, attributes, children=()):
        self.element = element
        self.attributes = attributes  # [(name, value)], value a str
        self.children = list(children)


def empty_pattern():
    attributes = [("title", ""), ("memo", ""), ("selected", "true")]
    for name in ("player", "bomb", "cherry-max", "cherry-difference", "cherry-plus",
                 "border-bonus-times", "bonus-item", "point", "graze",
                 "spell-card-bonus-base", "enemy-bullet-bonus"):
        attributes.append((name, "0"))
    attributes.append(("getting-spell-card", "false"))
    return Node("pattern", attributes)


def empty_grouped_pattern():
    attributes = [("title", ""), ("memo", ""), ("selected", "true")]
    for name in ("player", "bomb", "cherry-max", "cherry-difference", "cherry-plus",
                 "border-bonus-times", "bonus-item", "point", "graze-in-getting-spell-cards",
                 "graze-rest", "total-spell-card-bonus-base", "total-enemy-bullet-bonus",
                 "getting-spell-cards-number"):
        attributes.append((name, "0"))
    return Node("grouped-pattern", attributes)


def scene(kind, title, point, spell=None):
    attributes = [("kind", kind), ("title", title), ("point", str(point))]
    if spell is not None:
        bonus, time_limit, rate = spell
        # The bonus must still be positive when the time runs out.
        assert bonus > time_limit * rate, (title, spell)
        attributes += [("initial-spell-card-bonus", str(bonus)),
                       ("time-limit", str(time_limit)), ("decrease-rate", str(rate))]
    attributes.append(("memo", ""))
    return Node("scene", attributes, [empty_pattern()])


def group(kind, title, children):
    return Node("group", [("kind", kind), ("title", title), ("memo", ""), ("grouping", "false")],
                [empty_grouped_pattern()] + children)


def spell_values(stage_bonus, difficulty, index, mid_boss, last):
    bonus = stage_bonus * DIFFICULTY_BONUS[difficulty] * (1 + 0.1 * index)
    if mid_boss:
        bonus *= 0.8
    bonus = int(round(bonus / 10_000)) * 10_000
    if last:
        time_limit = 90
    elif mid_boss:
        time_limit = 30 + 5 * index
    else:
        time_limit = min(40 + 5 * index, 65)
    # Falls to about 40 % of the initial bonus at the time limit.
    rate = int(bonus * 0.6 / time_limit) // 1000 * 1000
    return bonus, time_limit, rate


def boss_group(title, spells, stage_number, stage_bonus, difficulty, mid_boss, final_cards):
    """Normal attacks and spell cards in turn; the last final_cards spell
    cards follow one another without a normal attack between them."""
    children = []
    for i, spell_title in enumerate(spells):
        if i < len(spells) - final_cards or i == 0:
            number = len([c for c in children if c.attributes[0][1] != "spell-card"]) + 1
            # The first normal attack of a fight gives no enemy bullet bonus;
            # the later ones of a boss end with one.
            kind = ("normal-attack" if mid_boss or number == 1
                    else "normal-attack-with-enemy-bullet-bonus")
            children.append(scene(kind, f"通常攻撃{number}", 8 + 3 * stage_number + 2 * i))
        last = not mid_boss and i == len(spells) - 1 and final_cards > 0
        children.append(scene("spell-card", spell_title, 20 + 5 * stage_number + 2 * i,
                              spell_values(stage_bonus, difficulty, i, mid_boss, last)))
    if not spells:
        children.append(scene("normal-attack", "通常攻撃1", 8 + 3 * stage_number))
    prefix = "中ボス" if mid_boss else "ボス"
    return group("boss", f"{prefix}　{title}", children)


def way_group(title, names, stage_number, second_half):
    base = (90 if second_half else 60) + 25 * stage_number
    return group("way", title,
                 [scene("way", name, base + 15 * i) for i, name in enumerate(names)])


def main_stage(number, difficulty):
    name, first, second = STAGES[number - 1]
    (mid_name, mid_cards), (boss_name, boss_cards) = BOSSES[number - 1]
    use = 0 if difficulty in ("Easy", "Normal") else 1
    mid = [card[use] for card in mid_cards[:MID_SPELLS[difficulty][number - 1]]]
    boss = [card[use] for card in boss_cards[:BOSS_SPELLS[difficulty][number - 1]]]
    bonus = STAGE_BONUS[number - 1]
    final_cards = 2 if number == 6 else 0
    return group("stage", f"{number}面　{name}", [
        way_group("道中前半", first, number, False),
        boss_group(mid_name, mid, number, bonus, difficulty, True, 0),
        way_group("道中後半", second, number, True),
        boss_group(boss_name, boss, number, bonus, difficulty, False, final_cards),
    ])


def bonus_stage(content, difficulty, number, label):
    bonus = 10_000_000 if difficulty == "Extra" else 12_000_000
    mid_name, mid = content["mid"]
    boss_name, boss = content["boss"]
    return group("stage", f"{label}　{content['stage']}", [
        way_group("道中前半", content["first"], number, False),
        boss_group(mid_name, mid, number, bonus, difficulty, True, 0),
        way_group("道中後半", content["second"], number, True),
        boss_group(boss_name, boss, number, bonus, difficulty, False, 2),
    ])


def document(difficulty):
    if difficulty == "Extra":
        stages = [bonus_stage(EXTRA, difficulty, 7, "Extra")]
    elif difficulty == "Phantasm":
        stages = [bonus_stage(PHANTASM, difficulty, 8, "Phantasm")]
    else:
        stages = [main_stage(n, difficulty) for n in range(1, 7)]
    return Node("root", [("game", "Quovel"), ("difficulty", difficulty),
                         ("title", f"Quovel {difficulty}"), ("memo", ""), ("grouping", "false")],
                [empty_grouped_pattern()] + stages)


# ---- Writing, exactly as the program writes a document -------------------------

DELIMITERS = b"\t\n\r \"#'().;"


def escape_name(name):
    out = bytearray()
    for b in name:
        if b in DELIMITERS:
            out.append(0x5C)
        out.append(b)
    return bytes(out)


def escape_string(text):
    out = bytearray()
    for i, b in enumerate(text):
        previous = text[i - 1] if i > 0 else 0
        lead = 0x81 <= previous <= 0xFC
        if b == 0x22:
            out += b"\x81\x68" if lead else b'\\"'
            continue
        if b == 0x5C and not lead:
            out.append(0x5C)
        out.append(b)
    return bytes(out)


def text_element(name, value):
    return (b"(" + escape_name(name.encode("ascii")) + b' "' +
            escape_string(value.encode("cp932")) + b'")')


def write(node, level):
    out = bytearray(b"(" + escape_name(node.element.encode("ascii")))
    if node.attributes:
        out += b" (@ "
        align = len(out)
        for i, (name, value) in enumerate(node.attributes):
            if i > 0:
                out += b"\r\n" + b"  " * level + b" " * align
            out += text_element(name, value)
        out += b")"
    for child in node.children:
        out += b"\r\n" + b"  " * (level + 1) + write(child, level + 1)
    out += b")"
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "template")
    os.makedirs(folder, exist_ok=True)
    for difficulty in ("Easy", "Normal", "Hard", "Lunatic", "Extra", "Phantasm"):
        text = write(document(difficulty), 0) + b"\r\n"
        path = os.path.join(folder, f"qvl_{difficulty.lower()}.pat")
        with open(path, "wb") as f:
            f.write(text)
        print(f"{path}: {len(text)} bytes")


if __name__ == "__main__":
    main()
