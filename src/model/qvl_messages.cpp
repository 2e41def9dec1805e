#include "model/qvl_messages.h"

#include <array>
#include <atomic>

#include "model/qvl_text.h"

namespace qvl {
namespace {

using enum message_t;

// The Japanese texts are the program's own since its first version, byte for
// byte; the English ones say the same in plain ASCII where they can, so that
// they are code page 932 bytes as they stand.
constexpr message_text_t kMessages[] = {
    {TermBorderBonus, "ボーダーボーナス", "Border bonus"},
    {TermCherryMaxClearBonus, "増加した桜点Maxのクリアボーナス",
     "Clear bonus of the raised cherry max"},
    {TermCherryOnBorderBonuses, "桜点の増減の、ここと以降のボーダーボーナスに及ぼす影響",
     "Effect of the cherry change on the border bonuses here and later"},
    {TermCherryOnPointItems, "桜点の増減の、ここと以降の得点アイテムの得点に及ぼす影響",
     "Effect of the cherry change on the point items here and later"},
    {TermCherryOnPointItemsGroup, "桜点の増減の、ここ[/2]と以降の得点アイテムの得点に及ぼす影響",
     "Effect of the cherry change on the point items here [/2] and later"},
    {TermCherryOnSpellCardGraze,
     "桜点の増減がここ[/2]と以降の「取得するスペルカード中にかすることによるスペルカードボーナス"
     "の上昇」に及ぼす影響",
     "Effect of the cherry change on the \"spell card bonus raised by grazing in captured spell "
     "cards\" here [/2] and later"},
    {TermGrazeScore, "増加したかすりの得点とクリアボーナス",
     "Score and clear bonus of the added graze"},
    {TermGrazeOnBonusItems, "かすり数の増加による、ここと以降のボーナスアイテムの得点の上昇",
     "Rise of the bonus items here and later from the added graze"},
    {TermGrazeOnBonusItemsGroup,
     "かすり数の増加による、ここ[/2]と以降のボーナスアイテムの得点の上昇",
     "Rise of the bonus items here [/2] and later from the added graze"},
    {TermSpellCardGrazeBonus, "取得するスペルカード中のかすりによる、スペルカードボーナスの上昇",
     "Rise of the spell card bonus from grazing in captured spell cards"},
    {TermPointItems, "得点アイテムとそのクリアボーナス", "Point items and their clear bonus"},
    {TermBonusItems, "ボーナスアイテム", "Bonus items"},
    {TermSpellCardBonusBase, "スペルカードボーナス基礎点", "Spell card bonus base"},
    {TermEnemyBulletBonus, "敵弾消しボーナス", "Enemy bullet bonus"},

    {LabelInitialCherry, "桜点初期値", "initial cherry"},
    {LabelBorderTimes, "ボーダーボーナスを得た回数", "border bonuses obtained"},
    {LabelFactor, "難易度補正", "difficulty factor"},
    {LabelGainedCherry, "増加した桜点", "cherry gained"},
    {LabelHereAnd, "ここと", "here"},
    {LabelHereIn, "ここで", "here"},
    {LabelClearBonus, "クリアボーナス", "clear bonus"},
    {LabelGraze, "増加したかすり数", "graze gained"},
    {LabelPointItems, "回収した得点アイテム数", "point items collected"},
    {LabelBonusItems, "回収したボーナスアイテム数", "bonus items collected"},
    {LabelBasePoints, "基本点", "base points"},
    {LabelSpellGraze, "取得したスペルカードでかすった回数", "graze in captured spell cards"},
    {LabelCherryBefore, "ここより以前に上昇した桜点", "cherry gained before here"},
    {LabelNew, "新", "new"},
    {LabelOldTimes, "旧回数", "old count"},
    {LabelOldItems, "旧アイテム数", "old item count"},
    {LabelCherryMaxRaised, "増加した桜点Max", "cherry max raised"},
    {LabelClearBonusCount, "クリアボーナスを得られる回数", "clear bonuses to come"},
    {LabelLaterBorderTimes, "以降のボーダーボーナス取得回数", "later border bonuses"},
    {LabelLaterPointItems, "以降の得点アイテム数", "later point items"},
    {LabelLaterSpellGraze, "以降で取得するスペルカードでのかすり数",
     "later graze in captured spell cards"},
    {LabelGrazePoints, "かすり点", "graze points"},
    {LabelLaterBonusItems, "以降で回収するボーナスアイテム数", "later bonus items"},
    {LabelGrazeBefore, "ここ以前のかすり数", "graze before here"},

    {NoteCherryMaxFirst, "桜点Maxが上がってからボーダーボーナスが入るのを考慮…しているつもり",
     "Meant to allow for border bonuses that come after the cherry max has risen"},
    {NoteBonusItemSteps, "\"[n / 40] * 10\"としていないのはわざと",
     "Not \"[n / 40] * 10\" on purpose"},
    {NoteBonusItems, "Stage 6, Ex, Phで見られる弾消し桜点アイテムもこれに含まれます",
     "The cherry items from cancelled bullets seen in Stage 6, Ex and Ph are included here"},
    {NoteMakesNoSense, "わけがわかりません", "It makes no sense"},
    {HintTitleWithNote, "{1}（{2}）", "{1} ({2})"},

    {RowBorderTimes, "ボーダーボーナスを得た回数", "Border bonuses obtained"},
    {RowCherryMax, "増加した桜点Max", "Cherry max raised"},
    {RowGainedCherry, "増加した桜点", "Cherry gained"},
    {RowGraze, "増加したかすり数", "Graze gained"},
    {RowSpellGraze, "うち取得したスペルでの分", "Of which in captured spells"},
    {RowPointItems, "回収した得点アイテム数", "Point items collected"},
    {RowBonusItems, "回収したボーナスアイテム数", "Bonus items collected"},
    {RowSpellCardBonusBaseTotal, "スペルカードボーナス基礎合計", "Spell card bonus base total"},
    {RowSpellCardBonusBase, "スペルカードボーナス基礎", "Spell card bonus base"},
    {RowEnemyBulletBonusTotal, "敵弾消しボーナス合計", "Enemy bullet bonus total"},
    {RowEnemyBulletBonus, "敵弾消しボーナス", "Enemy bullet bonus"},
    {RowSpellCardsCaptured, "取得スペルカード枚数", "Spell cards captured"},
    {EditorValueTooLarge,
     "「{1}」の値が大きすぎます。-9223372036854775808から9223372036854775807までの整数になる値を"
     "入力して下さい。",
     "The value of \"{1}\" is too large. Enter a value that makes a whole number from "
     "-9223372036854775808 to 9223372036854775807."},
    {QuestionBaseZeroButCaptured,
     "スペルカードボーナス基礎の入力欄に0が入っています。\r\nスペルカードを取得しないのですか？",
     "The spell card bonus base is 0.\r\nIs the spell card not captured?"},
    {QuestionBaseSetButNotCaptured,
     "スペルカードボーナス基礎の入力欄に0以外の値が入っています。\r\nスペルカードを取得するのですか"
     "？",
     "The spell card bonus base is not 0.\r\nIs the spell card captured?"},
    {WarningEnemyBulletBonusZero, "敵弾消しボーナスの値が0になっています。",
     "The enemy bullet bonus is 0."},

    {StatusBonusItems, "ボーナスアイテム", "Bonus items"},
    {StatusGraze, "かすり", "Graze"},
    {StatusPointItems, "得点アイテム", "Point items"},
    {StatusCherry, "桜点", "Cherry"},
    {StatusCherryMax, "最大", "max"},
    {StatusSpellCards, "取得スペルカード枚数", "Spell cards captured"},
    {StatusCherryPlus, "桜点プラス", "Cherry plus"},

    {LoadFailed,
     "「{1}」の読み込みに失敗しました。\n他のソフト等で使用している場合は終了させて下さい。",
     "Could not read \"{1}\".\nIf another program is using it, close that program."},
    {SaveFailed, "「{1}」を保存できませんでした。\n{2}", "Could not save \"{1}\".\n{2}"},
    {FilePosition, "{1}行{2}文字目", "line {1}, column {2}"},
    {FileEndsAt, "{1}でファイルが終わっています。", "The file ends at {1}."},
    {FileEndsInString, "{1}でファイルが終わっています。{2}からの文字列を閉じる「\"」が必要です。",
     "The file ends at {1}. The string from {2} needs a closing \"."},
    {FileEndsInList, "{1}でファイルが終わっています。{2}からのリストを閉じる「)」が必要です。",
     "The file ends at {1}. The list from {2} needs a closing \")\"."},
    {FileEndsBeforeName, "{1}でファイルが終わっています。{2}の「(」に続く名前が必要です。",
     "The file ends at {1}. The \"(\" at {2} needs a name after it."},
    {FileEndsInElement, "{1}でファイルが終わっています。{2}からの要素を閉じる「)」が必要です。",
     "The file ends at {1}. The element from {2} needs a closing \")\"."},
    {GroupsTooDeep, "{1}: 入れ子が{2}段より深くなっています。",
     "{1}: groups are nested more than {2} levels deep."},
    {NoRootElement, "「root」要素がありません。パターンファイルではないようです。",
     "There is no \"root\" element. This does not seem to be a pattern file."},
    {OutOfMemory, "メモリが足りません。", "Out of memory."},
    {CannotOpenFile, "ファイルを開けません。", "Cannot open the file."},
    {CannotReadFile, "ファイルを読み込めません。", "Cannot read the file."},
    {NotARegularFile, "通常のファイルではありません。", "Not a regular file."},
    {FileNotFound, "ファイルが見つかりません。", "File not found."},
    {OtherUsersLink,
     "「{1}"
     "」は誰でも書き込めるフォルダーにある他のユーザーのシンボリックリンクです。たどりません。",
     "\"{1}\" is another user's symbolic link in a folder that everybody may write. It is not "
     "followed."},
    {CannotReplaceFile, "ファイルを置き換えられません。", "Cannot replace the file."},
    {NamedNotARegularFile, "「{1}」は通常のファイルではありません。",
     "\"{1}\" is not a regular file."},
    {ChangedDuringSave, "「{1}」は保存の間にほかのファイルに変わりました。置き換えません。",
     "\"{1}\" became another file during the save. It is not replaced."},
    {CannotCreateTemporary, "一時ファイルを作成できません。", "Cannot create a temporary file."},
    {WriteFailed, "書き込みに失敗しました。", "Writing failed."},
    {CannotSetAttributes, "ファイルの属性を設定できません。", "Cannot set the file's attributes."},

    {CalcInvalidComma, "関数のパラメータと見なされない場所でカンマが使用されています",
     "A comma is used where it cannot be a function argument"},
    {CalcUndefinedIdent, "演算式内に、不明な識別子[{1}]が含まれています",
     "The expression contains an unknown identifier [{1}]"},
    {CalcNoMarkBetweenValue, "演算要素の間には演算子が必要です",
     "An operator is needed between operands"},
    {CalcNoValueBetweenMark, "演算子の間に値がありません", "There is no value between operators"},
    {CalcNoValueAfterMark, "演算子の後に演算要素がありません",
     "There is no operand after the operator"},
    {CalcInvalidBracket, "括弧の対応が正しくありません", "The brackets do not match"},
    {CalcEmptyExpression, "式がありません", "There is no expression"},
    {CalcNotEnoughParameters, "関数[{1}]に渡す引数が足りません",
     "Too few arguments for function [{1}]"},
    {CalcTooManyParameters, "関数[{1}]に渡す引数が多すぎます",
     "Too many arguments for function [{1}]"},
    {CalcExpressionTooLong, "式が長すぎます", "The expression is too long"},
    {CalcInvalidName, "{1} は\r\n無効な識別子です.", "{1}\r\nis not a valid identifier."},
    {CalcNotNameValue, "識別子=数値 の形式でない行は除外します.",
     "Lines not of the form identifier=number are dropped."},
    {CalcRegisteredFunction, "{1} は\r\n登録済み関数です.", "{1}\r\nis a registered function."},
    {CalcInUserFuncNames, "{1} は\r\nUserFuncNamesリストに定義済みです.",
     "{1}\r\nis already defined in the UserFuncNames list."},
    {CalcInVariables, "{1} は\r\nVariablesリストに定義済みです.",
     "{1}\r\nis already defined in the Variables list."},
    {ScbHint,
     "「scb(撃破時の残り時間)」と入力。初期SCB: {1}; 制限時間: {2}秒; ボーナス減少レート: {3}/s",
     "Type scb(time left when defeated). Initial SCB: {1}; time limit: {2} s; bonus decrease "
     "rate: {3}/s"},
    {ScbHintShort, "scb(残り時間): 初期SCB {1}; 制限 {2}秒; 減少 {3}/s",
     "scb(time left): SCB {1}; limit {2} s; decrease {3}/s"},
    {ScbHintFigures, "初期SCB {1}; 制限 {2}秒; 減少 {3}/s", "SCB {1}; limit {2} s; decrease {3}/s"},

    {HelpNot,
     "not(Value)\r\nビット反転\r\nValue ... 対象となる値または式\r\n※演算子化は辛かったので関数に"
     "て ｍ（＿　＿）ｍ",
     "not(Value)\r\nBitwise not\r\nValue ... the value or expression\r\nA function, as an "
     "operator was too hard"},
    {HelpDiv,
     "div(P1, P2)\r\n整数除算\r\nP1 ... 被除数\r\nP2 ... 除数\r\n※演算子化は辛かったので関数にて "
     "ｍ（＿　＿）ｍ",
     "div(P1, P2)\r\nInteger division\r\nP1 ... dividend\r\nP2 ... divisor\r\nA function, as an "
     "operator was too hard"},
    {HelpAbs, "ABS(Value)\r\n絶対値\r\nValue ... 対象となる値または式",
     "ABS(Value)\r\nAbsolute value\r\nValue ... the value or expression"},
    {HelpPi,
     "PI()\r\n円周率を返します\r\n※ゆとり教育により「３」を返す（嘘）.\r\n　ちゃんと "
     "3.1415926535897932385 を返します.",
     "PI()\r\nReturns pi\r\nNot 3, whatever you were taught (a joke).\r\n Really returns "
     "3.1415926535897932385."},
    {HelpSqrt, "SQRT(X)\r\nX の平方根（√X）を返す", "SQRT(X)\r\nReturns the square root of X"},
    {HelpCeil, "CEIL(X)\r\nX を正の方向へ切り上げます", "CEIL(X)\r\nRounds X up, toward plus"},
    {HelpTrunc, "TRUNC(X)\r\nX の小数部を破棄して整数にします",
     "TRUNC(X)\r\nDrops the fraction of X to make it whole"},
    {HelpFloor, "FLOOR(X)\r\nX を負の方向へ切り上げます",
     "FLOOR(X)\r\nRounds X down, toward minus"},
    {HelpSin, "SIN(X)\r\nラジアン単位で角 X のサイン（正弦）を返します",
     "SIN(X)\r\nReturns the sine of the angle X in radians"},
    {HelpCos, "COS(X)\r\nラジアン単位で角 X のコサイン（余弦）を返します",
     "COS(X)\r\nReturns the cosine of the angle X in radians"},
    {HelpTan, "TAN(X)\r\nX のタンジェント（正接）を返します", "TAN(X)\r\nReturns the tangent of X"},
    {HelpAsin,
     "ASIN(X)\r\nX のアークサイン（逆正弦）を返します.\r\nX は -1 と 1 "
     "の間でなければなりません.\r\n"
     "戻り値はラジアンで [-Pi/2..Pi/2] の範囲になります.",
     "ASIN(X)\r\nReturns the arcsine of X.\r\nX must lie between -1 and 1.\r\nThe result is in "
     "radians, in [-Pi/2..Pi/2]."},
    {HelpAcos,
     "ACOS(X)\r\nX のアークコサイン（逆余弦）を返します.\r\nX は -1 と 1 の間でなければなりません."
     "\r\n戻り値はラジアンで [0..PI] の範囲になります.",
     "ACOS(X)\r\nReturns the arccosine of X.\r\nX must lie between -1 and 1.\r\nThe result is in "
     "radians, in [0..PI]."},
    {HelpAtan, "ATAN(X)\r\nX のアークタンジェント（逆正接）を計算します",
     "ATAN(X)\r\nComputes the arc tangent of X"},
    {HelpSinh, "SINH(X)\r\nX のハイパボリックサイン（双曲線正弦）を計算します.",
     "SINH(X)\r\nComputes the hyperbolic sine of X."},
    {HelpCosh, "COSH\r\nX のハイパボリックコサイン（双曲線余弦）を計算します.",
     "COSH\r\nComputes the hyperbolic cosine of X."},
    {HelpTanh, "TANH\r\nX のハイパボリックタンジェント（双曲線正接）を計算します.",
     "TANH\r\nComputes the hyperbolic tangent of X."},
    {HelpSum, "SUM(P1, P2 ...)\r\nパラメータ全ての値の合計を返します.",
     "SUM(P1, P2 ...)\r\nReturns the sum of all the arguments."},
    {HelpMin, "MIN(P1, P2 ...)\r\nパラメータの中の最小の値を符号付きで返します.",
     "MIN(P1, P2 ...)\r\nReturns the smallest argument, sign included."},
    {HelpMax, "MAX(P1, P2 ...)\r\nパラメータの中の最大の値を符号付きで返します.",
     "MAX(P1, P2 ...)\r\nReturns the largest argument, sign included."},
    {HelpAverage, "AVERAGE(P1, P2 ...)\r\nパラメータが保持するすべての値の算術平均を計算します.",
     "AVERAGE(P1, P2 ...)\r\nComputes the arithmetic mean of all the arguments."},
    {HelpStdDev,
     "STDDEV(P1, P2 ...)\r\nパラメータにあるすべての値の\r\n標本標準偏差（標本分散の平方根）を計算"
     "します",
     "STDDEV(P1, P2 ...)\r\nComputes the sample standard deviation\r\n(the square root of the "
     "sample variance) of all the arguments"},
    {HelpIf,
     "IF(C, T, F)\r\n判定\r\nC ... 0 または 0以外になる値または式\r\nT ... 真(非ゼロ)の時に返す値"
     "\r\nF ... 偽(ゼロ)の時に返す値",
     "IF(C, T, F)\r\nCondition\r\nC ... a value or expression that is 0 or not\r\nT ... returned "
     "when true (not zero)\r\nF ... returned when false (zero)"},
    {HelpCompare,
     "COMPARE(A, B)\r\n比較\r\nA < B の時 -1 を返します.\r\nA = B の時  0 を返します.\r\nA > B の"
     "時  1 を返します.",
     "COMPARE(A, B)\r\nComparison\r\nReturns -1 when A < B.\r\nReturns  0 when A = B.\r\nReturns  "
     "1 when A > B."},
    {HelpSign,
     "SIGN(Value)\r\n符合\r\nValue ... 対象となる値または式\r\nValue < 0 の時 -1 を返します.\r\n"
     "Value = 0 の時  0 を返します.\r\nValue > 0 の時  1 を返します.",
     "SIGN(Value)\r\nSign\r\nValue ... the value or expression\r\nReturns -1 when Value < "
     "0.\r\nReturns  0 when Value = 0.\r\nReturns  1 when Value > 0."},
    {HelpIsOdd,
     "IsODD(Value)\r\n奇数判定\r\nValue ... 対象となる値または式\r\nValue が奇数の場合に 1 を返しま"
     "す.\r\nValue が偶数の場合に 0 を返します.",
     "IsODD(Value)\r\nOdd test\r\nValue ... the value or expression\r\nReturns 1 when Value is "
     "odd.\r\nReturns 0 when Value is even."},
    {HelpIsEven,
     "IsEVEN(Value)\r\n偶数判定\r\nValue ... 対象となる値または式\r\nValue が奇数の場合に 0 を返し"
     "ます.\r\nValue が偶数の場合に 1 を返します.",
     "IsEVEN(Value)\r\nEven test\r\nValue ... the value or expression\r\nReturns 0 when Value is "
     "odd.\r\nReturns 1 when Value is even."},
    {HelpIsNot,
     "IsNOT(Value)\r\n真偽判定\r\nValue ... 対象となる値または式\r\nValue が 0 の時、1 を返します."
     "\r\nValue が 0以外の時、0 を返します.\r\n※演算子化は辛かったので関数にて ｍ（＿　＿）ｍ",
     "IsNOT(Value)\r\nTruth test\r\nValue ... the value or expression\r\nReturns 1 when Value is "
     "0.\r\nReturns 0 when Value is not 0.\r\nA function, as an operator was too hard"},
    {HelpIsMinus,
     "IsMinus(Value)\r\n負数判定\r\nValue ... 対象となる値または式\r\nValue が -1以下の時、1 を返"
     "します.\r\nValue が  0以上の時、0 を返します.",
     "IsMinus(Value)\r\nNegative test\r\nValue ... the value or expression\r\nReturns 1 when Value "
     "is below 0.\r\nReturns 0 when Value is 0 or more."},
    {HelpIsPlus,
     "IsPLUS(Value)\r\n正数判定\r\nValue ... 対象となる値または式\r\nValue が  1以上の時、1 を返し"
     "ます.\r\nValue が  0以下の時、0 を返します.",
     "IsPLUS(Value)\r\nPositive test\r\nValue ... the value or expression\r\nReturns 1 when Value "
     "is above 0.\r\nReturns 0 when Value is 0 or less."},
    {HelpAnd,
     "AND(P1, P2 ...)\r\nパラメータの全てが非ゼロかを判定\r\n全ての値がゼロ以外であれば 1 を返しま"
     "す.\r\n１つでもゼロ値を示す値があれば 0 を返します.",
     "AND(P1, P2 ...)\r\nTests whether every argument is non-zero\r\nReturns 1 when no value is "
     "zero.\r\nReturns 0 when any value is zero."},
    {HelpOr,
     "OR(P1, P2 ...)\r\nパラメータのいづれかが非ゼロかを判定\r\n１つでもゼロ以外の値があれば 1 を"
     "返します.\r\n全ての値がゼロ値を示す場合は 0 を返します.",
     "OR(P1, P2 ...)\r\nTests whether any argument is non-zero\r\nReturns 1 when some value is "
     "not zero.\r\nReturns 0 when every value is zero."},
    {HelpScb, "scb (残り時間)\r\nスペルカードの基本点を求める",
     "scb (time left)\r\nThe base points of the spell card"},

    {ValueOutOfRange, "桁あふれ", "overflow"},
    {ValueOutOfRangeAt, "{1}: 「{2}」の値が64ビット整数の範囲を超えるため、表示できません。",
     "{1}: the value of \"{2}\" is beyond the 64-bit integer range and cannot be shown."},
    {NameTotal, "合計", "Total"},
    {NameRunningTotal, "累計", "Running total"},
    {NameDifference, "差", "Difference"},

    {CliUsageHint, "使い方は「qvl --help」で表示されます（英語）。", "Run 'qvl --help' for usage."},
    {CliPathStart, "ノードのパス「{1}」が正しくありません: パスは「/」で始まります。",
     "bad node path '{1}': a path starts with '/'"},
    {CliNoNodeAt, "ノードのパス「{1}」が正しくありません: 「{2}」にノードがありません。",
     "bad node path '{1}': no node at '{2}'"},
    {CliNoPatternTitled, "{2} に「{1}」という題のパターンはありません。",
     "no pattern titled '{1}' at {2}"},
    {CliBadScore,
     "{2} の値「{1}」が正しくありません: 符号付き64ビットの範囲の整数を指定してください。",
     "bad value '{1}' for {2}: a whole number in the signed 64-bit range is expected"},
    {CliBadBool, "{2} の値「{1}」が正しくありません: true か false を指定してください。",
     "bad value '{1}' for {2}: true or false is expected"},
    {CliUnknownSceneField, "シーンのパターンに「{1}」という項目はありません。",
     "unknown field '{1}' for a scene's pattern"},
    {CliUnknownGroupField, "グループのパターンに「{1}」という項目はありません。",
     "unknown field '{1}' for a group's pattern"},
    {CliBadChange, "変更「{1}」が正しくありません: 項目=値 の形で指定してください。",
     "bad change '{1}': FIELD=VALUE is expected"},
    {CliNotShiftJis, "「{1}」はパターンファイル（Shift_JIS）に保存できません: {2}",
     "'{1}' cannot be stored in a pattern file (Shift_JIS): {2}"},
    {CliRawNeedsCsv, "--raw は --format csv と一緒に指定してください。",
     "--raw is for --format csv"},
    {CliOutputNeedsName, "-o にはファイル名が必要です。-o がなければ標準出力に書き出します。",
     "-o needs a file name; without -o, the output goes to standard output"},
    {CliBadQvlLang, "QVL_LANG=「{1}」は言語を指定していません: ja か en を指定してください。",
     "QVL_LANG='{1}' names no language: ja or en is expected"},
    {CliCannotWriteStdout, "標準出力に書き出せません: {1}", "cannot write to standard output: {1}"},
    {CliOutOfMemory, "メモリが足りません。", "out of memory"},
    {CliSubcommandRequired, "コマンド（tree, explain など）を指定してください。",
     "A subcommand is required"},
    {CliRequired, "{1} を指定してください。", "{1} is required"},
    {CliNotOneOf, "{1}: 「{2}」は {3} のいずれでもありません。", "{1}: {2} not in {3}"},
    {CliNotExpected, "次の引数は使われません: {1}",
     "The following arguments were not expected: {1}"},
    {CliNeeds, "{1} には {2} も必要です。", "{1} requires {2}"},
    {CliNeedsValue, "{1} には値が必要です。", "{1} needs a value"},
    {CliBadCommandLine, "コマンドラインが正しくありません。", "The command line is not valid."},
};

static_assert(std::size(kMessages) == kMessageCount, "one entry per message");

constexpr bool InOrder() {
  for (std::size_t i = 0; i < std::size(kMessages); ++i) {
    if (static_cast<std::size_t>(kMessages[i].id) != i) return false;
  }
  return true;
}
static_assert(InOrder(), "the table follows the order of message_t");

std::atomic<language_t> g_language{language_t::Japanese};

using converted_t = std::array<std::array<std::string, 2>, kMessageCount>;

// All texts at once, on first use; a function-local static is built by one
// thread while any other waits.
const converted_t& Converted() {
  static const converted_t converted = [] {
    converted_t c;
    for (std::size_t i = 0; i < kMessageCount; ++i) {
      c[i][0] = Utf8ToCp932(kMessages[i].japanese);
      c[i][1] = Utf8ToCp932(kMessages[i].english);
    }
    return c;
  }();
  return converted;
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

const message_text_t* MessageTable() {
  return kMessages;
}

const std::string& Message(message_t id, language_t language) {
  return Converted()[static_cast<std::size_t>(id)][language == language_t::English ? 1 : 0];
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
