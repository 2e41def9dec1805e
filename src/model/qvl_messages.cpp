#include "model/qvl_messages.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <tuple>

#include "model/qvl_text.h"

// The marks that lupdate looks for when it gathers the texts into the
// catalogues. It reads the sources as text, so the core's own macros serve
// without Qt: each gives the text and the word that tells it apart from
// another message of the same text.
#define QT_TRANSLATE_NOOP(context, text) text, ""
#define QT_TRANSLATE_NOOP3(context, text, disambiguation) text, disambiguation

namespace qvl {
namespace {

// One translation of a catalogue (UTF-8), under the key of its source: the
// table that the build makes of each catalogue, sorted by key.
struct translation_t {
  std::string_view source;
  std::string_view disambiguation;
  std::string_view text;
};
struct catalogue_t {
  std::string_view code;
  const translation_t* begin;
  const translation_t* end;
};

}  // namespace
}  // namespace qvl

// kCatalogues: every catalogue of resources/i18n, by language code.
#include "model/qvl_catalogues.inc"

namespace qvl {
namespace {

using enum message_t;

// The Japanese texts are the program's own since its first version, byte for
// byte; the catalogues' English says the same in plain ASCII where it can, so
// that it is code page 932 bytes as it stands.
constexpr message_source_t kMessages[] = {
    {TermBorderBonus, QT_TRANSLATE_NOOP("qvl::Messages", "ボーダーボーナス")},
    {TermCherryMaxClearBonus,
     QT_TRANSLATE_NOOP("qvl::Messages", "増加した桜点Maxのクリアボーナス")},
    {TermCherryOnBorderBonuses,
     QT_TRANSLATE_NOOP("qvl::Messages", "桜点の増減の、ここと以降のボーダーボーナスに及ぼす影響")},
    {TermCherryOnPointItems,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "桜点の増減の、ここと以降の得点アイテムの得点に及ぼす影響")},
    {TermCherryOnPointItemsGroup,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "桜点の増減の、ここ[/2]と以降の得点アイテムの得点に及ぼす影響")},
    {TermCherryOnSpellCardGraze,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "桜点の増減がここ[/"
                       "2]と以降の「取得するスペルカード中にかすることによるスペルカードボーナス"
                       "の上昇」に及ぼす影響")},
    {TermGrazeScore, QT_TRANSLATE_NOOP("qvl::Messages", "増加したかすりの得点とクリアボーナス")},
    {TermGrazeOnBonusItems,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "かすり数の増加による、ここと以降のボーナスアイテムの得点の上昇")},
    {TermGrazeOnBonusItemsGroup,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "かすり数の増加による、ここ[/2]と以降のボーナスアイテムの得点の上昇")},
    {TermSpellCardGrazeBonus,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "取得するスペルカード中のかすりによる、スペルカードボーナスの上昇")},
    {TermPointItems, QT_TRANSLATE_NOOP("qvl::Messages", "得点アイテムとそのクリアボーナス")},
    {TermBonusItems, QT_TRANSLATE_NOOP3("qvl::Messages", "ボーナスアイテム", "TermBonusItems")},
    {TermSpellCardBonusBase, QT_TRANSLATE_NOOP("qvl::Messages", "スペルカードボーナス基礎点")},
    {TermEnemyBulletBonus,
     QT_TRANSLATE_NOOP3("qvl::Messages", "敵弾消しボーナス", "TermEnemyBulletBonus")},

    {LabelInitialCherry, QT_TRANSLATE_NOOP("qvl::Messages", "桜点初期値")},
    {LabelBorderTimes,
     QT_TRANSLATE_NOOP3("qvl::Messages", "ボーダーボーナスを得た回数", "LabelBorderTimes")},
    {LabelFactor, QT_TRANSLATE_NOOP("qvl::Messages", "難易度補正")},
    {LabelGainedCherry, QT_TRANSLATE_NOOP3("qvl::Messages", "増加した桜点", "LabelGainedCherry")},
    {LabelHereAnd, QT_TRANSLATE_NOOP("qvl::Messages", "ここと")},
    {LabelHereIn, QT_TRANSLATE_NOOP("qvl::Messages", "ここで")},
    {LabelClearBonus, QT_TRANSLATE_NOOP("qvl::Messages", "クリアボーナス")},
    {LabelGraze, QT_TRANSLATE_NOOP3("qvl::Messages", "増加したかすり数", "LabelGraze")},
    {LabelPointItems,
     QT_TRANSLATE_NOOP3("qvl::Messages", "回収した得点アイテム数", "LabelPointItems")},
    {LabelBonusItems,
     QT_TRANSLATE_NOOP3("qvl::Messages", "回収したボーナスアイテム数", "LabelBonusItems")},
    {LabelBasePoints, QT_TRANSLATE_NOOP("qvl::Messages", "基本点")},
    {LabelSpellGraze, QT_TRANSLATE_NOOP("qvl::Messages", "取得したスペルカードでかすった回数")},
    {LabelCherryBefore, QT_TRANSLATE_NOOP("qvl::Messages", "ここより以前に上昇した桜点")},
    {LabelNew, QT_TRANSLATE_NOOP("qvl::Messages", "新")},
    {LabelOldTimes, QT_TRANSLATE_NOOP("qvl::Messages", "旧回数")},
    {LabelOldItems, QT_TRANSLATE_NOOP("qvl::Messages", "旧アイテム数")},
    {LabelCherryMaxRaised,
     QT_TRANSLATE_NOOP3("qvl::Messages", "増加した桜点Max", "LabelCherryMaxRaised")},
    {LabelClearBonusCount, QT_TRANSLATE_NOOP("qvl::Messages", "クリアボーナスを得られる回数")},
    {LabelLaterBorderTimes, QT_TRANSLATE_NOOP("qvl::Messages", "以降のボーダーボーナス取得回数")},
    {LabelLaterPointItems, QT_TRANSLATE_NOOP("qvl::Messages", "以降の得点アイテム数")},
    {LabelLaterSpellGraze,
     QT_TRANSLATE_NOOP("qvl::Messages", "以降で取得するスペルカードでのかすり数")},
    {LabelGrazePoints, QT_TRANSLATE_NOOP("qvl::Messages", "かすり点")},
    {LabelLaterBonusItems, QT_TRANSLATE_NOOP("qvl::Messages", "以降で回収するボーナスアイテム数")},
    {LabelGrazeBefore, QT_TRANSLATE_NOOP("qvl::Messages", "ここ以前のかすり数")},

    {NoteCherryMaxFirst,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "桜点Maxが上がってからボーダーボーナスが入るのを考慮…しているつもり")},
    {NoteBonusItemSteps,
     QT_TRANSLATE_NOOP("qvl::Messages", "\"[n / 40] * 10\"としていないのはわざと")},
    {NoteBonusItems,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "Stage 6, Ex, Phで見られる弾消し桜点アイテムもこれに含まれます")},
    {NoteMakesNoSense, QT_TRANSLATE_NOOP("qvl::Messages", "わけがわかりません")},
    {HintTitleWithNote, QT_TRANSLATE_NOOP("qvl::Messages", "{1}（{2}）")},

    {RowBorderTimes,
     QT_TRANSLATE_NOOP3("qvl::Messages", "ボーダーボーナスを得た回数", "RowBorderTimes")},
    {RowCherryMax, QT_TRANSLATE_NOOP3("qvl::Messages", "増加した桜点Max", "RowCherryMax")},
    {RowGainedCherry, QT_TRANSLATE_NOOP3("qvl::Messages", "増加した桜点", "RowGainedCherry")},
    {RowGraze, QT_TRANSLATE_NOOP3("qvl::Messages", "増加したかすり数", "RowGraze")},
    {RowSpellGraze, QT_TRANSLATE_NOOP("qvl::Messages", "うち取得したスペルでの分")},
    {RowPointItems, QT_TRANSLATE_NOOP3("qvl::Messages", "回収した得点アイテム数", "RowPointItems")},
    {RowBonusItems,
     QT_TRANSLATE_NOOP3("qvl::Messages", "回収したボーナスアイテム数", "RowBonusItems")},
    {RowSpellCardBonusBaseTotal,
     QT_TRANSLATE_NOOP("qvl::Messages", "スペルカードボーナス基礎合計")},
    {RowSpellCardBonusBase, QT_TRANSLATE_NOOP("qvl::Messages", "スペルカードボーナス基礎")},
    {RowEnemyBulletBonusTotal, QT_TRANSLATE_NOOP("qvl::Messages", "敵弾消しボーナス合計")},
    {RowEnemyBulletBonus,
     QT_TRANSLATE_NOOP3("qvl::Messages", "敵弾消しボーナス", "RowEnemyBulletBonus")},
    {RowSpellCardsCaptured,
     QT_TRANSLATE_NOOP3("qvl::Messages", "取得スペルカード枚数", "RowSpellCardsCaptured")},
    {EditorValueTooLarge,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "「{1}」の値が大きすぎます。-"
                       "9223372036854775808から9223372036854775807までの整数になる値を"
                       "入力して下さい。")},
    {QuestionBaseZeroButCaptured,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "スペルカードボーナス基礎の入力欄に0が入っています。\r\nスペルカードを取得し"
                       "ないのですか？")},
    {QuestionBaseSetButNotCaptured,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "スペルカードボーナス基礎の入力欄に0以外の値が入っています。\r\nスペルカード"
                       "を取得するのですか"
                       "？")},
    {WarningEnemyBulletBonusZero,
     QT_TRANSLATE_NOOP("qvl::Messages", "敵弾消しボーナスの値が0になっています。")},

    {StatusBonusItems, QT_TRANSLATE_NOOP3("qvl::Messages", "ボーナスアイテム", "StatusBonusItems")},
    {StatusGraze, QT_TRANSLATE_NOOP("qvl::Messages", "かすり")},
    {StatusPointItems, QT_TRANSLATE_NOOP("qvl::Messages", "得点アイテム")},
    {StatusCherry, QT_TRANSLATE_NOOP("qvl::Messages", "桜点")},
    {StatusCherryMax, QT_TRANSLATE_NOOP("qvl::Messages", "最大")},
    {StatusSpellCards,
     QT_TRANSLATE_NOOP3("qvl::Messages", "取得スペルカード枚数", "StatusSpellCards")},
    {StatusCherryPlus, QT_TRANSLATE_NOOP("qvl::Messages", "桜点プラス")},

    {LoadFailed,
     QT_TRANSLATE_NOOP(
         "qvl::Messages",
         "「{1}」の読み込みに失敗しました。\n他のソフト等で使用している場合は終了させて下さい。")},
    {SaveFailed, QT_TRANSLATE_NOOP("qvl::Messages", "「{1}」を保存できませんでした。\n{2}")},
    {FilePosition, QT_TRANSLATE_NOOP("qvl::Messages", "{1}行{2}文字目")},
    {FileEndsAt, QT_TRANSLATE_NOOP("qvl::Messages", "{1}でファイルが終わっています。")},
    {FileEndsInString,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "{1}でファイルが終わっています。{2}からの文字列を閉じる「\"」が必要です。")},
    {FileEndsInList,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "{1}でファイルが終わっています。{2}からのリストを閉じる「)」が必要です。")},
    {FileEndsBeforeName,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "{1}でファイルが終わっています。{2}の「(」に続く名前が必要です。")},
    {FileEndsInElement,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "{1}でファイルが終わっています。{2}からの要素を閉じる「)」が必要です。")},
    {GroupsTooDeep, QT_TRANSLATE_NOOP("qvl::Messages", "{1}: 入れ子が{2}段より深くなっています。")},
    {NoRootElement,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "「root」要素がありません。パターンファイルではないようです。")},
    {OutOfMemory, QT_TRANSLATE_NOOP3("qvl::Messages", "メモリが足りません。", "OutOfMemory")},
    {CannotOpenFile, QT_TRANSLATE_NOOP("qvl::Messages", "ファイルを開けません。")},
    {CannotReadFile, QT_TRANSLATE_NOOP("qvl::Messages", "ファイルを読み込めません。")},
    {NotARegularFile, QT_TRANSLATE_NOOP("qvl::Messages", "通常のファイルではありません。")},
    {FileNotFound, QT_TRANSLATE_NOOP("qvl::Messages", "ファイルが見つかりません。")},
    {OtherUsersLink, QT_TRANSLATE_NOOP("qvl::Messages",
                                       "「{1}"
                                       "」は誰でも書き込めるフォルダーにある他のユーザーのシンボリ"
                                       "ックリンクです。たどりません。")},
    {CannotReplaceFile, QT_TRANSLATE_NOOP("qvl::Messages", "ファイルを置き換えられません。")},
    {NamedNotARegularFile,
     QT_TRANSLATE_NOOP("qvl::Messages", "「{1}」は通常のファイルではありません。")},
    {ChangedDuringSave,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "「{1}」は保存の間にほかのファイルに変わりました。置き換えません。")},
    {CannotCreateTemporary, QT_TRANSLATE_NOOP("qvl::Messages", "一時ファイルを作成できません。")},
    {WriteFailed, QT_TRANSLATE_NOOP("qvl::Messages", "書き込みに失敗しました。")},
    {CannotSetAttributes, QT_TRANSLATE_NOOP("qvl::Messages", "ファイルの属性を設定できません。")},

    {CalcInvalidComma,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "関数のパラメータと見なされない場所でカンマが使用されています")},
    {CalcUndefinedIdent,
     QT_TRANSLATE_NOOP("qvl::Messages", "演算式内に、不明な識別子[{1}]が含まれています")},
    {CalcNoMarkBetweenValue,
     QT_TRANSLATE_NOOP("qvl::Messages", "演算要素の間には演算子が必要です")},
    {CalcNoValueBetweenMark, QT_TRANSLATE_NOOP("qvl::Messages", "演算子の間に値がありません")},
    {CalcNoValueAfterMark, QT_TRANSLATE_NOOP("qvl::Messages", "演算子の後に演算要素がありません")},
    {CalcInvalidBracket, QT_TRANSLATE_NOOP("qvl::Messages", "括弧の対応が正しくありません")},
    {CalcEmptyExpression, QT_TRANSLATE_NOOP("qvl::Messages", "式がありません")},
    {CalcNotEnoughParameters,
     QT_TRANSLATE_NOOP("qvl::Messages", "関数[{1}]に渡す引数が足りません")},
    {CalcTooManyParameters, QT_TRANSLATE_NOOP("qvl::Messages", "関数[{1}]に渡す引数が多すぎます")},
    {CalcExpressionTooLong, QT_TRANSLATE_NOOP("qvl::Messages", "式が長すぎます")},
    {CalcInvalidName, QT_TRANSLATE_NOOP("qvl::Messages", "{1} は\r\n無効な識別子です.")},
    {CalcNotNameValue,
     QT_TRANSLATE_NOOP("qvl::Messages", "識別子=数値 の形式でない行は除外します.")},
    {CalcRegisteredFunction, QT_TRANSLATE_NOOP("qvl::Messages", "{1} は\r\n登録済み関数です.")},
    {CalcInUserFuncNames,
     QT_TRANSLATE_NOOP("qvl::Messages", "{1} は\r\nUserFuncNamesリストに定義済みです.")},
    {CalcInVariables,
     QT_TRANSLATE_NOOP("qvl::Messages", "{1} は\r\nVariablesリストに定義済みです.")},
    {ScbHint, QT_TRANSLATE_NOOP("qvl::Messages",
                                "「scb(撃破時の残り時間)」と入力。初期SCB: {1}; 制限時間: {2}秒; "
                                "ボーナス減少レート: {3}/s")},
    {ScbHintShort,
     QT_TRANSLATE_NOOP("qvl::Messages", "scb(残り時間): 初期SCB {1}; 制限 {2}秒; 減少 {3}/s")},
    {ScbHintFigures, QT_TRANSLATE_NOOP("qvl::Messages", "初期SCB {1}; 制限 {2}秒; 減少 {3}/s")},

    {HelpNot, QT_TRANSLATE_NOOP("qvl::Messages",
                                "not(Value)\r\nビット反転\r\nValue ... "
                                "対象となる値または式\r\n※演算子化は辛かったので関数に"
                                "て ｍ（＿　＿）ｍ")},
    {HelpDiv, QT_TRANSLATE_NOOP("qvl::Messages",
                                "div(P1, P2)\r\n整数除算\r\nP1 ... 被除数\r\nP2 ... "
                                "除数\r\n※演算子化は辛かったので関数にて "
                                "ｍ（＿　＿）ｍ")},
    {HelpAbs,
     QT_TRANSLATE_NOOP("qvl::Messages", "ABS(Value)\r\n絶対値\r\nValue ... 対象となる値または式")},
    {HelpPi, QT_TRANSLATE_NOOP(
                 "qvl::Messages",
                 "PI()\r\n円周率を返します\r\n※ゆとり教育により「３」を返す（嘘）.\r\n　ちゃんと "
                 "3.1415926535897932385 を返します.")},
    {HelpSqrt, QT_TRANSLATE_NOOP("qvl::Messages", "SQRT(X)\r\nX の平方根（√X）を返す")},
    {HelpCeil, QT_TRANSLATE_NOOP("qvl::Messages", "CEIL(X)\r\nX を正の方向へ切り上げます")},
    {HelpTrunc, QT_TRANSLATE_NOOP("qvl::Messages", "TRUNC(X)\r\nX の小数部を破棄して整数にします")},
    {HelpFloor, QT_TRANSLATE_NOOP("qvl::Messages", "FLOOR(X)\r\nX を負の方向へ切り上げます")},
    {HelpSin,
     QT_TRANSLATE_NOOP("qvl::Messages", "SIN(X)\r\nラジアン単位で角 X のサイン（正弦）を返します")},
    {HelpCos, QT_TRANSLATE_NOOP("qvl::Messages",
                                "COS(X)\r\nラジアン単位で角 X のコサイン（余弦）を返します")},
    {HelpTan, QT_TRANSLATE_NOOP("qvl::Messages", "TAN(X)\r\nX のタンジェント（正接）を返します")},
    {HelpAsin, QT_TRANSLATE_NOOP("qvl::Messages",
                                 "ASIN(X)\r\nX のアークサイン（逆正弦）を返します.\r\nX は -1 と 1 "
                                 "の間でなければなりません.\r\n"
                                 "戻り値はラジアンで [-Pi/2..Pi/2] の範囲になります.")},
    {HelpAcos, QT_TRANSLATE_NOOP("qvl::Messages",
                                 "ACOS(X)\r\nX のアークコサイン（逆余弦）を返します.\r\nX は -1 と "
                                 "1 の間でなければなりません."
                                 "\r\n戻り値はラジアンで [0..PI] の範囲になります.")},
    {HelpAtan,
     QT_TRANSLATE_NOOP("qvl::Messages", "ATAN(X)\r\nX のアークタンジェント（逆正接）を計算します")},
    {HelpSinh, QT_TRANSLATE_NOOP("qvl::Messages",
                                 "SINH(X)\r\nX のハイパボリックサイン（双曲線正弦）を計算します.")},
    {HelpCosh, QT_TRANSLATE_NOOP("qvl::Messages",
                                 "COSH\r\nX のハイパボリックコサイン（双曲線余弦）を計算します.")},
    {HelpTanh,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "TANH\r\nX のハイパボリックタンジェント（双曲線正接）を計算します.")},
    {HelpSum,
     QT_TRANSLATE_NOOP("qvl::Messages", "SUM(P1, P2 ...)\r\nパラメータ全ての値の合計を返します.")},
    {HelpMin,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "MIN(P1, P2 ...)\r\nパラメータの中の最小の値を符号付きで返します.")},
    {HelpMax,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "MAX(P1, P2 ...)\r\nパラメータの中の最大の値を符号付きで返します.")},
    {HelpAverage,
     QT_TRANSLATE_NOOP(
         "qvl::Messages",
         "AVERAGE(P1, P2 ...)\r\nパラメータが保持するすべての値の算術平均を計算します.")},
    {HelpStdDev,
     QT_TRANSLATE_NOOP(
         "qvl::Messages",
         "STDDEV(P1, P2 "
         "...)\r\nパラメータにあるすべての値の\r\n標本標準偏差（標本分散の平方根）を計算"
         "します")},
    {HelpIf, QT_TRANSLATE_NOOP("qvl::Messages",
                               "IF(C, T, F)\r\n判定\r\nC ... 0 または 0以外になる値または式\r\nT "
                               "... 真(非ゼロ)の時に返す値"
                               "\r\nF ... 偽(ゼロ)の時に返す値")},
    {HelpCompare, QT_TRANSLATE_NOOP("qvl::Messages",
                                    "COMPARE(A, B)\r\n比較\r\nA < B の時 -1 を返します.\r\nA = B "
                                    "の時  0 を返します.\r\nA > B の"
                                    "時  1 を返します.")},
    {HelpSign, QT_TRANSLATE_NOOP("qvl::Messages",
                                 "SIGN(Value)\r\n符合\r\nValue ... 対象となる値または式\r\nValue < "
                                 "0 の時 -1 を返します.\r\n"
                                 "Value = 0 の時  0 を返します.\r\nValue > 0 の時  1 を返します.")},
    {HelpIsOdd, QT_TRANSLATE_NOOP("qvl::Messages",
                                  "IsODD(Value)\r\n奇数判定\r\nValue ... "
                                  "対象となる値または式\r\nValue が奇数の場合に 1 を返しま"
                                  "す.\r\nValue が偶数の場合に 0 を返します.")},
    {HelpIsEven, QT_TRANSLATE_NOOP("qvl::Messages",
                                   "IsEVEN(Value)\r\n偶数判定\r\nValue ... "
                                   "対象となる値または式\r\nValue が奇数の場合に 0 を返し"
                                   "ます.\r\nValue が偶数の場合に 1 を返します.")},
    {HelpIsNot, QT_TRANSLATE_NOOP("qvl::Messages",
                                  "IsNOT(Value)\r\n真偽判定\r\nValue ... "
                                  "対象となる値または式\r\nValue が 0 の時、1 を返します."
                                  "\r\nValue が 0以外の時、0 "
                                  "を返します.\r\n※演算子化は辛かったので関数にて ｍ（＿　＿）ｍ")},
    {HelpIsMinus, QT_TRANSLATE_NOOP("qvl::Messages",
                                    "IsMinus(Value)\r\n負数判定\r\nValue ... "
                                    "対象となる値または式\r\nValue が -1以下の時、1 を返"
                                    "します.\r\nValue が  0以上の時、0 を返します.")},
    {HelpIsPlus, QT_TRANSLATE_NOOP("qvl::Messages",
                                   "IsPLUS(Value)\r\n正数判定\r\nValue ... "
                                   "対象となる値または式\r\nValue が  1以上の時、1 を返し"
                                   "ます.\r\nValue が  0以下の時、0 を返します.")},
    {HelpAnd,
     QT_TRANSLATE_NOOP(
         "qvl::Messages",
         "AND(P1, P2 ...)\r\nパラメータの全てが非ゼロかを判定\r\n全ての値がゼロ以外であれば 1 "
         "を返しま"
         "す.\r\n１つでもゼロ値を示す値があれば 0 を返します.")},
    {HelpOr, QT_TRANSLATE_NOOP(
                 "qvl::Messages",
                 "OR(P1, P2 "
                 "...)\r\nパラメータのいづれかが非ゼロかを判定\r\n１つでもゼロ以外の値があれば 1 を"
                 "返します.\r\n全ての値がゼロ値を示す場合は 0 を返します.")},
    {HelpScb, QT_TRANSLATE_NOOP("qvl::Messages", "scb (残り時間)\r\nスペルカードの基本点を求める")},

    {ValueOutOfRange, QT_TRANSLATE_NOOP("qvl::Messages", "桁あふれ")},
    {ValueOutOfRangeAt,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "{1}: 「{2}」の値が64ビット整数の範囲を超えるため、表示できません。")},
    {NameTotal, QT_TRANSLATE_NOOP("qvl::Messages", "合計")},
    {NameRunningTotal, QT_TRANSLATE_NOOP("qvl::Messages", "累計")},
    {NameDifference, QT_TRANSLATE_NOOP("qvl::Messages", "差")},

    {CliUsageHint,
     QT_TRANSLATE_NOOP("qvl::Messages", "使い方は「qvl --help」で表示されます（英語）。")},
    {CliPathStart,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "ノードのパス「{1}」が正しくありません: パスは「/」で始まります。")},
    {CliNoNodeAt,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "ノードのパス「{1}」が正しくありません: 「{2}」にノードがありません。")},
    {CliNoPatternTitled,
     QT_TRANSLATE_NOOP("qvl::Messages", "{2} に「{1}」という題のパターンはありません。")},
    {CliBadScore,
     QT_TRANSLATE_NOOP(
         "qvl::Messages",
         "{2} の値「{1}」が正しくありません: 符号付き64ビットの範囲の整数を指定してください。")},
    {CliBadBool,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "{2} の値「{1}」が正しくありません: true か false を指定してください。")},
    {CliUnknownSceneField,
     QT_TRANSLATE_NOOP("qvl::Messages", "シーンのパターンに「{1}」という項目はありません。")},
    {CliUnknownGroupField,
     QT_TRANSLATE_NOOP("qvl::Messages", "グループのパターンに「{1}」という項目はありません。")},
    {CliBadChange,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "変更「{1}」が正しくありません: 項目=値 の形で指定してください。")},
    {CliNotShiftJis,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "「{1}」はパターンファイル（Shift_JIS）に保存できません: {2}")},
    {CliRawNeedsCsv,
     QT_TRANSLATE_NOOP("qvl::Messages", "--raw は --format csv と一緒に指定してください。")},
    {CliOutputNeedsName,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "-o にはファイル名が必要です。-o がなければ標準出力に書き出します。")},
    {CliBadQvlLang,
     QT_TRANSLATE_NOOP("qvl::Messages",
                       "QVL_LANG=「{1}」は言語を指定していません: {2} を指定してください。")},
    {CliCannotWriteStdout, QT_TRANSLATE_NOOP("qvl::Messages", "標準出力に書き出せません: {1}")},
    {CliOutOfMemory, QT_TRANSLATE_NOOP3("qvl::Messages", "メモリが足りません。", "CliOutOfMemory")},
    {CliSubcommandRequired,
     QT_TRANSLATE_NOOP("qvl::Messages", "コマンド（tree, explain など）を指定してください。")},
    {CliRequired, QT_TRANSLATE_NOOP("qvl::Messages", "{1} を指定してください。")},
    {CliNotOneOf,
     QT_TRANSLATE_NOOP("qvl::Messages", "{1}: 「{2}」は {3} のいずれでもありません。")},
    {CliNotExpected, QT_TRANSLATE_NOOP("qvl::Messages", "次の引数は使われません: {1}")},
    {CliNeeds, QT_TRANSLATE_NOOP("qvl::Messages", "{1} には {2} も必要です。")},
    {CliNeedsValue, QT_TRANSLATE_NOOP("qvl::Messages", "{1} には値が必要です。")},
    {CliBadCommandLine, QT_TRANSLATE_NOOP("qvl::Messages", "コマンドラインが正しくありません。")},
    {ChoiceOr, QT_TRANSLATE_NOOP("qvl::Messages", "{1} か {2}")},
};

static_assert(std::size(kMessages) == kMessageCount, "one entry per message");

constexpr bool InOrder() {
  for (std::size_t i = 0; i < std::size(kMessages); ++i) {
    if (static_cast<std::size_t>(kMessages[i].id) != i) return false;
  }
  return true;
}
static_assert(InOrder(), "the table follows the order of message_t");

constexpr bool LanguagesInOrder() {
  for (std::size_t i = 0; i < kLanguageCount; ++i) {
    if (static_cast<std::size_t>(kLanguages[i].language) != i) return false;
  }
  return true;
}
static_assert(LanguagesInOrder(), "a language is its place in kLanguages");

constexpr bool EveryCatalogueIsALanguage() {
  for (const catalogue_t& catalogue : kCatalogues) {
    if (std::ranges::find(kLanguages, catalogue.code, &language_entry_t::code) ==
        std::end(kLanguages)) {
      return false;
    }
  }
  return true;
}
static_assert(EveryCatalogueIsALanguage(), "each catalogue's language has its line in kLanguages");

std::atomic<language_t> g_language{language_t::Japanese};

// Each language's texts (UTF-8) by message: the catalogue's translation where
// it has one for the message's present source text; none otherwise, as Qt
// does with the window's texts.
using texts_t = std::array<std::array<std::string_view, kMessageCount>, kLanguageCount>;

const texts_t& Translations() {
  static const texts_t texts = [] {
    texts_t t{};
    for (std::size_t l = 0; l < kLanguageCount; ++l) {
      const auto catalogue = std::ranges::find(kCatalogues, kLanguages[l].code, &catalogue_t::code);
      if (catalogue == std::end(kCatalogues)) continue;
      const auto key = [](const auto& m) { return std::tie(m.source, m.disambiguation); };
      for (std::size_t i = 0; i < kMessageCount; ++i) {
        const message_source_t& m = kMessages[i];
        const translation_t wanted{m.text, m.disambiguation, {}};
        const translation_t* found = std::lower_bound(
            catalogue->begin, catalogue->end, wanted,
            [&](const translation_t& a, const translation_t& b) { return key(a) < key(b); });
        if (found != catalogue->end && key(*found) == key(wanted)) t[l][i] = found->text;
      }
    }
    return t;
  }();
  return texts;
}

// All texts at once, on first use; a function-local static is built by one
// thread while any other waits.
using converted_t = std::array<std::array<std::string, kMessageCount>, kLanguageCount>;

const converted_t& Converted() {
  static const converted_t converted = [] {
    converted_t c;
    for (std::size_t l = 0; l < kLanguageCount; ++l) {
      for (std::size_t i = 0; i < kMessageCount; ++i) {
        const std::string_view translated = Translations()[l][i];
        c[l][i] = Utf8ToCp932(translated.empty() ? kMessages[i].text : translated);
      }
    }
    return c;
  }();
  return converted;
}

std::size_t LanguageIndex(language_t language) {
  const auto l = static_cast<std::size_t>(language);
  return l < kLanguageCount ? l : 0;
}

}  // namespace

void SetLanguage(language_t language) {
  g_language.store(language, std::memory_order_relaxed);
}

language_t CurrentLanguage() {
  return g_language.load(std::memory_order_relaxed);
}

std::optional<language_t> LanguageFromName(std::string_view name) {
  std::string lower;
  for (const char c : name) lower.push_back(LowerAsciiChar(c));
  for (const language_entry_t& entry : kLanguages) {
    if (lower == entry.code) return entry.language;
  }
  return std::nullopt;
}

std::string_view LanguageName(language_t language) {
  for (const language_entry_t& entry : kLanguages) {
    if (entry.language == language) return entry.code;
  }
  return kLanguages[0].code;
}

std::string LanguageCodeChoice(language_t language) {
  std::string choice(kLanguages[0].code);
  for (std::size_t l = 1; l < kLanguageCount; ++l) {
    choice = FillPlaceholders(Message(message_t::ChoiceOr, language), {choice, kLanguages[l].code});
  }
  return choice;
}

const message_source_t* MessageTable() {
  return kMessages;
}

std::string_view TranslatedMessage(message_t id, language_t language) {
  const std::size_t l = LanguageIndex(language);
  if (l == 0) return kMessages[static_cast<std::size_t>(id)].text;
  return Translations()[l][static_cast<std::size_t>(id)];
}

const std::string& Message(message_t id, language_t language) {
  return Converted()[LanguageIndex(language)][static_cast<std::size_t>(id)];
}

const std::string& Message(message_t id) {
  return Message(id, CurrentLanguage());
}

std::string FillPlaceholders(std::string_view cp932, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(cp932.size());
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    const char c = cp932[i];
    // A trail byte may look like "{"; double-byte characters pass whole.
    if (IsCp932LeadByte(static_cast<unsigned char>(c)) && i + 1 < cp932.size()) {
      out.append(cp932.substr(i, 2));
      ++i;
      continue;
    }
    if (c == '{' && i + 2 < cp932.size() && cp932[i + 1] >= '1' && cp932[i + 1] <= '9' &&
        cp932[i + 2] == '}') {
      const auto n = static_cast<std::size_t>(cp932[i + 1] - '1');
      if (n < args.size()) out.append(args.begin()[n]);
      i += 2;
      continue;
    }
    out.push_back(c);
  }
  return out;
}

std::string FormatMessage(message_t id, std::initializer_list<std::string_view> args) {
  return FillPlaceholders(Message(id), args);
}

}  // namespace qvl
