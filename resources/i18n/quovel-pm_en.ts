<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>TCommandLine</name>
    <message>
        <source>「%1」は知らないオプションです。使い方は quovel-pm --help で表示します。</source>
        <translation>“%1” is not a known option. quovel-pm --help shows how to use the program.</translation>
    </message>
    <message>
        <source>使い方: quovel-pm [--lang %1] [--reset-settings] [ファイル.pat]
        quovel-pm --export-chart 計画.pat 出力.png|出力.svg [--size 幅x高さ] [--lang %1]
        quovel-pm --help | --version
ファイルを開いてウィンドウを表示します。詳しくは man quovel-pm をご覧ください。</source>
        <translation>Usage: quovel-pm [--lang %1] [--reset-settings] [FILE.pat]
       quovel-pm --export-chart PLAN.pat OUT.png|OUT.svg [--size WxH] [--lang %1]
       quovel-pm --help | --version
Opens the file and shows the window. See man quovel-pm for more.</translation>
    </message>
</context>
<context>
    <name>TExportChart</name>
    <message>
        <source>場面がひとつもありません。描くものがありません。</source>
        <translation>The plan has no scenes: there is nothing to draw.</translation>
    </message>
    <message>
        <source>--size は 幅x高さ で指定します（例: 900x520）。</source>
        <translation>--size takes WIDTHxHEIGHT (for example 900x520).</translation>
    </message>
    <message>
        <source>--size の幅と高さは %1 から %2 までです。</source>
        <translation>The width and height of --size go from %1 to %2.</translation>
    </message>
    <message>
        <source>「%1」は知らないオプションです。</source>
        <translation>“%1” is not a known option.</translation>
    </message>
    <message>
        <source>計画のファイルと出力のファイルを1つずつ指定してください。</source>
        <translation>Give one plan file and one output file.</translation>
    </message>
    <message>
        <source>使い方: quovel-pm --export-chart 計画.pat 出力.png|出力.svg [--size 幅x高さ] [--lang %1]</source>
        <translation>Usage: quovel-pm --export-chart PLAN.pat OUT.png|OUT.svg [--size WxH] [--lang %1]</translation>
    </message>
</context>
<context>
    <name>TLanguageOption</name>
    <message>
        <source>%1 を指定してください</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>「%2」は知らない言語です。%1 を指定してください</source>
        <translation>unknown language &quot;%2&quot;; %1</translation>
    </message>
</context>
<context>
    <name>qvl::Messages</name>
    <message>
        <source>ボーダーボーナス</source>
        <translation>Border bonus</translation>
    </message>
    <message>
        <source>増加した桜点Maxのクリアボーナス</source>
        <translation>Clear bonus of the raised cherry max</translation>
    </message>
    <message>
        <source>桜点の増減の、ここと以降のボーダーボーナスに及ぼす影響</source>
        <translation>Effect of the cherry change on the border bonuses here and later</translation>
    </message>
    <message>
        <source>桜点の増減の、ここと以降の得点アイテムの得点に及ぼす影響</source>
        <translation>Effect of the cherry change on the point items here and later</translation>
    </message>
    <message>
        <source>桜点の増減の、ここ[/2]と以降の得点アイテムの得点に及ぼす影響</source>
        <translation>Effect of the cherry change on the point items here [/2] and later</translation>
    </message>
    <message>
        <source>桜点の増減がここ[/2]と以降の「取得するスペルカード中にかすることによるスペルカードボーナスの上昇」に及ぼす影響</source>
        <translation>Effect of the cherry change on the &quot;spell card bonus raised by grazing in captured spell cards&quot; here [/2] and later</translation>
    </message>
    <message>
        <source>増加したかすりの得点とクリアボーナス</source>
        <translation>Score and clear bonus of the added graze</translation>
    </message>
    <message>
        <source>かすり数の増加による、ここと以降のボーナスアイテムの得点の上昇</source>
        <translation>Rise of the bonus items here and later from the added graze</translation>
    </message>
    <message>
        <source>かすり数の増加による、ここ[/2]と以降のボーナスアイテムの得点の上昇</source>
        <translation>Rise of the bonus items here [/2] and later from the added graze</translation>
    </message>
    <message>
        <source>取得するスペルカード中のかすりによる、スペルカードボーナスの上昇</source>
        <translation>Rise of the spell card bonus from grazing in captured spell cards</translation>
    </message>
    <message>
        <source>得点アイテムとそのクリアボーナス</source>
        <translation>Point items and their clear bonus</translation>
    </message>
    <message>
        <source>ボーナスアイテム</source>
        <comment>TermBonusItems</comment>
        <translation>Bonus items</translation>
    </message>
    <message>
        <source>スペルカードボーナス基礎点</source>
        <translation>Spell card bonus base</translation>
    </message>
    <message>
        <source>敵弾消しボーナス</source>
        <comment>TermEnemyBulletBonus</comment>
        <translation>Enemy bullet bonus</translation>
    </message>
    <message>
        <source>桜点初期値</source>
        <translation>initial cherry</translation>
    </message>
    <message>
        <source>ボーダーボーナスを得た回数</source>
        <comment>LabelBorderTimes</comment>
        <translation>border bonuses obtained</translation>
    </message>
    <message>
        <source>難易度補正</source>
        <translation>difficulty factor</translation>
    </message>
    <message>
        <source>増加した桜点</source>
        <comment>LabelGainedCherry</comment>
        <translation>cherry gained</translation>
    </message>
    <message>
        <source>ここと</source>
        <translation>here</translation>
    </message>
    <message>
        <source>ここで</source>
        <translation>here</translation>
    </message>
    <message>
        <source>クリアボーナス</source>
        <translation>clear bonus</translation>
    </message>
    <message>
        <source>増加したかすり数</source>
        <comment>LabelGraze</comment>
        <translation>graze gained</translation>
    </message>
    <message>
        <source>回収した得点アイテム数</source>
        <comment>LabelPointItems</comment>
        <translation>point items collected</translation>
    </message>
    <message>
        <source>回収したボーナスアイテム数</source>
        <comment>LabelBonusItems</comment>
        <translation>bonus items collected</translation>
    </message>
    <message>
        <source>基本点</source>
        <translation>base points</translation>
    </message>
    <message>
        <source>取得したスペルカードでかすった回数</source>
        <translation>graze in captured spell cards</translation>
    </message>
    <message>
        <source>ここより以前に上昇した桜点</source>
        <translation>cherry gained before here</translation>
    </message>
    <message>
        <source>新</source>
        <translation>new</translation>
    </message>
    <message>
        <source>旧回数</source>
        <translation>old count</translation>
    </message>
    <message>
        <source>旧アイテム数</source>
        <translation>old item count</translation>
    </message>
    <message>
        <source>増加した桜点Max</source>
        <comment>LabelCherryMaxRaised</comment>
        <translation>cherry max raised</translation>
    </message>
    <message>
        <source>クリアボーナスを得られる回数</source>
        <translation>clear bonuses to come</translation>
    </message>
    <message>
        <source>以降のボーダーボーナス取得回数</source>
        <translation>later border bonuses</translation>
    </message>
    <message>
        <source>以降の得点アイテム数</source>
        <translation>later point items</translation>
    </message>
    <message>
        <source>以降で取得するスペルカードでのかすり数</source>
        <translation>later graze in captured spell cards</translation>
    </message>
    <message>
        <source>かすり点</source>
        <translation>graze points</translation>
    </message>
    <message>
        <source>以降で回収するボーナスアイテム数</source>
        <translation>later bonus items</translation>
    </message>
    <message>
        <source>ここ以前のかすり数</source>
        <translation>graze before here</translation>
    </message>
    <message>
        <source>桜点Maxが上がってからボーダーボーナスが入るのを考慮…しているつもり</source>
        <translation>Meant to allow for border bonuses that come after the cherry max has risen</translation>
    </message>
    <message>
        <source>&quot;[n / 40] * 10&quot;としていないのはわざと</source>
        <translation>Not &quot;[n / 40] * 10&quot; on purpose</translation>
    </message>
    <message>
        <source>Stage 6, Ex, Phで見られる弾消し桜点アイテムもこれに含まれます</source>
        <translation>The cherry items from cancelled bullets seen in Stage 6, Ex and Ph are included here</translation>
    </message>
    <message>
        <source>わけがわかりません</source>
        <translation>It makes no sense</translation>
    </message>
    <message>
        <source>{1}（{2}）</source>
        <translation>{1} ({2})</translation>
    </message>
    <message>
        <source>ボーダーボーナスを得た回数</source>
        <comment>RowBorderTimes</comment>
        <translation>Border bonuses obtained</translation>
    </message>
    <message>
        <source>増加した桜点Max</source>
        <comment>RowCherryMax</comment>
        <translation>Cherry max raised</translation>
    </message>
    <message>
        <source>増加した桜点</source>
        <comment>RowGainedCherry</comment>
        <translation>Cherry gained</translation>
    </message>
    <message>
        <source>増加したかすり数</source>
        <comment>RowGraze</comment>
        <translation>Graze gained</translation>
    </message>
    <message>
        <source>うち取得したスペルでの分</source>
        <translation>Of which in captured spells</translation>
    </message>
    <message>
        <source>回収した得点アイテム数</source>
        <comment>RowPointItems</comment>
        <translation>Point items collected</translation>
    </message>
    <message>
        <source>回収したボーナスアイテム数</source>
        <comment>RowBonusItems</comment>
        <translation>Bonus items collected</translation>
    </message>
    <message>
        <source>スペルカードボーナス基礎合計</source>
        <translation>Spell card bonus base total</translation>
    </message>
    <message>
        <source>スペルカードボーナス基礎</source>
        <translation>Spell card bonus base</translation>
    </message>
    <message>
        <source>敵弾消しボーナス合計</source>
        <translation>Enemy bullet bonus total</translation>
    </message>
    <message>
        <source>敵弾消しボーナス</source>
        <comment>RowEnemyBulletBonus</comment>
        <translation>Enemy bullet bonus</translation>
    </message>
    <message>
        <source>取得スペルカード枚数</source>
        <comment>RowSpellCardsCaptured</comment>
        <translation>Spell cards captured</translation>
    </message>
    <message>
        <source>「{1}」の値が大きすぎます。-9223372036854775808から9223372036854775807までの整数になる値を入力して下さい。</source>
        <translation>The value of &quot;{1}&quot; is too large. Enter a value that makes a whole number from -9223372036854775808 to 9223372036854775807.</translation>
    </message>
    <message>
        <source>スペルカードボーナス基礎の入力欄に0が入っています。<byte value="xd"/>
スペルカードを取得しないのですか？</source>
        <translation>The spell card bonus base is 0.<byte value="xd"/>
Is the spell card not captured?</translation>
    </message>
    <message>
        <source>スペルカードボーナス基礎の入力欄に0以外の値が入っています。<byte value="xd"/>
スペルカードを取得するのですか？</source>
        <translation>The spell card bonus base is not 0.<byte value="xd"/>
Is the spell card captured?</translation>
    </message>
    <message>
        <source>敵弾消しボーナスの値が0になっています。</source>
        <translation>The enemy bullet bonus is 0.</translation>
    </message>
    <message>
        <source>ボーナスアイテム</source>
        <comment>StatusBonusItems</comment>
        <translation>Bonus items</translation>
    </message>
    <message>
        <source>かすり</source>
        <translation>Graze</translation>
    </message>
    <message>
        <source>得点アイテム</source>
        <translation>Point items</translation>
    </message>
    <message>
        <source>桜点</source>
        <translation>Cherry</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>max</translation>
    </message>
    <message>
        <source>取得スペルカード枚数</source>
        <comment>StatusSpellCards</comment>
        <translation>Spell cards captured</translation>
    </message>
    <message>
        <source>桜点プラス</source>
        <translation>Cherry plus</translation>
    </message>
    <message>
        <source>「{1}」の読み込みに失敗しました。
他のソフト等で使用している場合は終了させて下さい。</source>
        <translation>Could not read &quot;{1}&quot;.
If another program is using it, close that program.</translation>
    </message>
    <message>
        <source>「{1}」を保存できませんでした。
{2}</source>
        <translation>Could not save &quot;{1}&quot;.
{2}</translation>
    </message>
    <message>
        <source>{1}行{2}文字目</source>
        <translation>line {1}, column {2}</translation>
    </message>
    <message>
        <source>{1}でファイルが終わっています。</source>
        <translation>The file ends at {1}.</translation>
    </message>
    <message>
        <source>{1}でファイルが終わっています。{2}からの文字列を閉じる「&quot;」が必要です。</source>
        <translation>The file ends at {1}. The string from {2} needs a closing &quot;.</translation>
    </message>
    <message>
        <source>{1}でファイルが終わっています。{2}からのリストを閉じる「)」が必要です。</source>
        <translation>The file ends at {1}. The list from {2} needs a closing &quot;)&quot;.</translation>
    </message>
    <message>
        <source>{1}でファイルが終わっています。{2}の「(」に続く名前が必要です。</source>
        <translation>The file ends at {1}. The &quot;(&quot; at {2} needs a name after it.</translation>
    </message>
    <message>
        <source>{1}でファイルが終わっています。{2}からの要素を閉じる「)」が必要です。</source>
        <translation>The file ends at {1}. The element from {2} needs a closing &quot;)&quot;.</translation>
    </message>
    <message>
        <source>{1}: 入れ子が{2}段より深くなっています。</source>
        <translation>{1}: groups are nested more than {2} levels deep.</translation>
    </message>
    <message>
        <source>「root」要素がありません。パターンファイルではないようです。</source>
        <translation>There is no &quot;root&quot; element. This does not seem to be a pattern file.</translation>
    </message>
    <message>
        <source>メモリが足りません。</source>
        <comment>OutOfMemory</comment>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>ファイルを開けません。</source>
        <translation>Cannot open the file.</translation>
    </message>
    <message>
        <source>ファイルを読み込めません。</source>
        <translation>Cannot read the file.</translation>
    </message>
    <message>
        <source>通常のファイルではありません。</source>
        <translation>Not a regular file.</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。</source>
        <translation>File not found.</translation>
    </message>
    <message>
        <source>「{1}」は誰でも書き込めるフォルダーにある他のユーザーのシンボリックリンクです。たどりません。</source>
        <translation>&quot;{1}&quot; is another user&apos;s symbolic link in a folder that everybody may write. It is not followed.</translation>
    </message>
    <message>
        <source>ファイルを置き換えられません。</source>
        <translation>Cannot replace the file.</translation>
    </message>
    <message>
        <source>「{1}」は通常のファイルではありません。</source>
        <translation>&quot;{1}&quot; is not a regular file.</translation>
    </message>
    <message>
        <source>「{1}」は保存の間にほかのファイルに変わりました。置き換えません。</source>
        <translation>&quot;{1}&quot; became another file during the save. It is not replaced.</translation>
    </message>
    <message>
        <source>一時ファイルを作成できません。</source>
        <translation>Cannot create a temporary file.</translation>
    </message>
    <message>
        <source>書き込みに失敗しました。</source>
        <translation>Writing failed.</translation>
    </message>
    <message>
        <source>ファイルの属性を設定できません。</source>
        <translation>Cannot set the file&apos;s attributes.</translation>
    </message>
    <message>
        <source>関数のパラメータと見なされない場所でカンマが使用されています</source>
        <translation>A comma is used where it cannot be a function argument</translation>
    </message>
    <message>
        <source>演算式内に、不明な識別子[{1}]が含まれています</source>
        <translation>The expression contains an unknown identifier [{1}]</translation>
    </message>
    <message>
        <source>演算要素の間には演算子が必要です</source>
        <translation>An operator is needed between operands</translation>
    </message>
    <message>
        <source>演算子の間に値がありません</source>
        <translation>There is no value between operators</translation>
    </message>
    <message>
        <source>演算子の後に演算要素がありません</source>
        <translation>There is no operand after the operator</translation>
    </message>
    <message>
        <source>括弧の対応が正しくありません</source>
        <translation>The brackets do not match</translation>
    </message>
    <message>
        <source>式がありません</source>
        <translation>There is no expression</translation>
    </message>
    <message>
        <source>関数[{1}]に渡す引数が足りません</source>
        <translation>Too few arguments for function [{1}]</translation>
    </message>
    <message>
        <source>関数[{1}]に渡す引数が多すぎます</source>
        <translation>Too many arguments for function [{1}]</translation>
    </message>
    <message>
        <source>式が長すぎます</source>
        <translation>The expression is too long</translation>
    </message>
    <message>
        <source>{1} は<byte value="xd"/>
無効な識別子です.</source>
        <translation>{1}<byte value="xd"/>
is not a valid identifier.</translation>
    </message>
    <message>
        <source>識別子=数値 の形式でない行は除外します.</source>
        <translation>Lines not of the form identifier=number are dropped.</translation>
    </message>
    <message>
        <source>{1} は<byte value="xd"/>
登録済み関数です.</source>
        <translation>{1}<byte value="xd"/>
is a registered function.</translation>
    </message>
    <message>
        <source>{1} は<byte value="xd"/>
UserFuncNamesリストに定義済みです.</source>
        <translation>{1}<byte value="xd"/>
is already defined in the UserFuncNames list.</translation>
    </message>
    <message>
        <source>{1} は<byte value="xd"/>
Variablesリストに定義済みです.</source>
        <translation>{1}<byte value="xd"/>
is already defined in the Variables list.</translation>
    </message>
    <message>
        <source>「scb(撃破時の残り時間)」と入力。初期SCB: {1}; 制限時間: {2}秒; ボーナス減少レート: {3}/s</source>
        <translation>Type scb(time left when defeated). Initial SCB: {1}; time limit: {2} s; bonus decrease rate: {3}/s</translation>
    </message>
    <message>
        <source>scb(残り時間): 初期SCB {1}; 制限 {2}秒; 減少 {3}/s</source>
        <translation>scb(time left): SCB {1}; limit {2} s; decrease {3}/s</translation>
    </message>
    <message>
        <source>初期SCB {1}; 制限 {2}秒; 減少 {3}/s</source>
        <translation>SCB {1}; limit {2} s; decrease {3}/s</translation>
    </message>
    <message>
        <source>not(Value)<byte value="xd"/>
ビット反転<byte value="xd"/>
Value ... 対象となる値または式<byte value="xd"/>
※演算子化は辛かったので関数にて ｍ（＿&#x3000;＿）ｍ</source>
        <translation>not(Value)<byte value="xd"/>
Bitwise not<byte value="xd"/>
Value ... the value or expression<byte value="xd"/>
A function, as an operator was too hard</translation>
    </message>
    <message>
        <source>div(P1, P2)<byte value="xd"/>
整数除算<byte value="xd"/>
P1 ... 被除数<byte value="xd"/>
P2 ... 除数<byte value="xd"/>
※演算子化は辛かったので関数にて ｍ（＿&#x3000;＿）ｍ</source>
        <translation>div(P1, P2)<byte value="xd"/>
Integer division<byte value="xd"/>
P1 ... dividend<byte value="xd"/>
P2 ... divisor<byte value="xd"/>
A function, as an operator was too hard</translation>
    </message>
    <message>
        <source>ABS(Value)<byte value="xd"/>
絶対値<byte value="xd"/>
Value ... 対象となる値または式</source>
        <translation>ABS(Value)<byte value="xd"/>
Absolute value<byte value="xd"/>
Value ... the value or expression</translation>
    </message>
    <message>
        <source>PI()<byte value="xd"/>
円周率を返します<byte value="xd"/>
※ゆとり教育により「３」を返す（嘘）.<byte value="xd"/>
&#x3000;ちゃんと 3.1415926535897932385 を返します.</source>
        <translation>PI()<byte value="xd"/>
Returns pi<byte value="xd"/>
Not 3, whatever you were taught (a joke).<byte value="xd"/>
 Really returns 3.1415926535897932385.</translation>
    </message>
    <message>
        <source>SQRT(X)<byte value="xd"/>
X の平方根（√X）を返す</source>
        <translation>SQRT(X)<byte value="xd"/>
Returns the square root of X</translation>
    </message>
    <message>
        <source>CEIL(X)<byte value="xd"/>
X を正の方向へ切り上げます</source>
        <translation>CEIL(X)<byte value="xd"/>
Rounds X up, toward plus</translation>
    </message>
    <message>
        <source>TRUNC(X)<byte value="xd"/>
X の小数部を破棄して整数にします</source>
        <translation>TRUNC(X)<byte value="xd"/>
Drops the fraction of X to make it whole</translation>
    </message>
    <message>
        <source>FLOOR(X)<byte value="xd"/>
X を負の方向へ切り上げます</source>
        <translation>FLOOR(X)<byte value="xd"/>
Rounds X down, toward minus</translation>
    </message>
    <message>
        <source>SIN(X)<byte value="xd"/>
ラジアン単位で角 X のサイン（正弦）を返します</source>
        <translation>SIN(X)<byte value="xd"/>
Returns the sine of the angle X in radians</translation>
    </message>
    <message>
        <source>COS(X)<byte value="xd"/>
ラジアン単位で角 X のコサイン（余弦）を返します</source>
        <translation>COS(X)<byte value="xd"/>
Returns the cosine of the angle X in radians</translation>
    </message>
    <message>
        <source>TAN(X)<byte value="xd"/>
X のタンジェント（正接）を返します</source>
        <translation>TAN(X)<byte value="xd"/>
Returns the tangent of X</translation>
    </message>
    <message>
        <source>ASIN(X)<byte value="xd"/>
X のアークサイン（逆正弦）を返します.<byte value="xd"/>
X は -1 と 1 の間でなければなりません.<byte value="xd"/>
戻り値はラジアンで [-Pi/2..Pi/2] の範囲になります.</source>
        <translation>ASIN(X)<byte value="xd"/>
Returns the arcsine of X.<byte value="xd"/>
X must lie between -1 and 1.<byte value="xd"/>
The result is in radians, in [-Pi/2..Pi/2].</translation>
    </message>
    <message>
        <source>ACOS(X)<byte value="xd"/>
X のアークコサイン（逆余弦）を返します.<byte value="xd"/>
X は -1 と 1 の間でなければなりません.<byte value="xd"/>
戻り値はラジアンで [0..PI] の範囲になります.</source>
        <translation>ACOS(X)<byte value="xd"/>
Returns the arccosine of X.<byte value="xd"/>
X must lie between -1 and 1.<byte value="xd"/>
The result is in radians, in [0..PI].</translation>
    </message>
    <message>
        <source>ATAN(X)<byte value="xd"/>
X のアークタンジェント（逆正接）を計算します</source>
        <translation>ATAN(X)<byte value="xd"/>
Computes the arc tangent of X</translation>
    </message>
    <message>
        <source>SINH(X)<byte value="xd"/>
X のハイパボリックサイン（双曲線正弦）を計算します.</source>
        <translation>SINH(X)<byte value="xd"/>
Computes the hyperbolic sine of X.</translation>
    </message>
    <message>
        <source>COSH<byte value="xd"/>
X のハイパボリックコサイン（双曲線余弦）を計算します.</source>
        <translation>COSH<byte value="xd"/>
Computes the hyperbolic cosine of X.</translation>
    </message>
    <message>
        <source>TANH<byte value="xd"/>
X のハイパボリックタンジェント（双曲線正接）を計算します.</source>
        <translation>TANH<byte value="xd"/>
Computes the hyperbolic tangent of X.</translation>
    </message>
    <message>
        <source>SUM(P1, P2 ...)<byte value="xd"/>
パラメータ全ての値の合計を返します.</source>
        <translation>SUM(P1, P2 ...)<byte value="xd"/>
Returns the sum of all the arguments.</translation>
    </message>
    <message>
        <source>MIN(P1, P2 ...)<byte value="xd"/>
パラメータの中の最小の値を符号付きで返します.</source>
        <translation>MIN(P1, P2 ...)<byte value="xd"/>
Returns the smallest argument, sign included.</translation>
    </message>
    <message>
        <source>MAX(P1, P2 ...)<byte value="xd"/>
パラメータの中の最大の値を符号付きで返します.</source>
        <translation>MAX(P1, P2 ...)<byte value="xd"/>
Returns the largest argument, sign included.</translation>
    </message>
    <message>
        <source>AVERAGE(P1, P2 ...)<byte value="xd"/>
パラメータが保持するすべての値の算術平均を計算します.</source>
        <translation>AVERAGE(P1, P2 ...)<byte value="xd"/>
Computes the arithmetic mean of all the arguments.</translation>
    </message>
    <message>
        <source>STDDEV(P1, P2 ...)<byte value="xd"/>
パラメータにあるすべての値の<byte value="xd"/>
標本標準偏差（標本分散の平方根）を計算します</source>
        <translation>STDDEV(P1, P2 ...)<byte value="xd"/>
Computes the sample standard deviation<byte value="xd"/>
(the square root of the sample variance) of all the arguments</translation>
    </message>
    <message>
        <source>IF(C, T, F)<byte value="xd"/>
判定<byte value="xd"/>
C ... 0 または 0以外になる値または式<byte value="xd"/>
T ... 真(非ゼロ)の時に返す値<byte value="xd"/>
F ... 偽(ゼロ)の時に返す値</source>
        <translation>IF(C, T, F)<byte value="xd"/>
Condition<byte value="xd"/>
C ... a value or expression that is 0 or not<byte value="xd"/>
T ... returned when true (not zero)<byte value="xd"/>
F ... returned when false (zero)</translation>
    </message>
    <message>
        <source>COMPARE(A, B)<byte value="xd"/>
比較<byte value="xd"/>
A &lt; B の時 -1 を返します.<byte value="xd"/>
A = B の時  0 を返します.<byte value="xd"/>
A &gt; B の時  1 を返します.</source>
        <translation>COMPARE(A, B)<byte value="xd"/>
Comparison<byte value="xd"/>
Returns -1 when A &lt; B.<byte value="xd"/>
Returns  0 when A = B.<byte value="xd"/>
Returns  1 when A &gt; B.</translation>
    </message>
    <message>
        <source>SIGN(Value)<byte value="xd"/>
符合<byte value="xd"/>
Value ... 対象となる値または式<byte value="xd"/>
Value &lt; 0 の時 -1 を返します.<byte value="xd"/>
Value = 0 の時  0 を返します.<byte value="xd"/>
Value &gt; 0 の時  1 を返します.</source>
        <translation>SIGN(Value)<byte value="xd"/>
Sign<byte value="xd"/>
Value ... the value or expression<byte value="xd"/>
Returns -1 when Value &lt; 0.<byte value="xd"/>
Returns  0 when Value = 0.<byte value="xd"/>
Returns  1 when Value &gt; 0.</translation>
    </message>
    <message>
        <source>IsODD(Value)<byte value="xd"/>
奇数判定<byte value="xd"/>
Value ... 対象となる値または式<byte value="xd"/>
Value が奇数の場合に 1 を返します.<byte value="xd"/>
Value が偶数の場合に 0 を返します.</source>
        <translation>IsODD(Value)<byte value="xd"/>
Odd test<byte value="xd"/>
Value ... the value or expression<byte value="xd"/>
Returns 1 when Value is odd.<byte value="xd"/>
Returns 0 when Value is even.</translation>
    </message>
    <message>
        <source>IsEVEN(Value)<byte value="xd"/>
偶数判定<byte value="xd"/>
Value ... 対象となる値または式<byte value="xd"/>
Value が奇数の場合に 0 を返します.<byte value="xd"/>
Value が偶数の場合に 1 を返します.</source>
        <translation>IsEVEN(Value)<byte value="xd"/>
Even test<byte value="xd"/>
Value ... the value or expression<byte value="xd"/>
Returns 0 when Value is odd.<byte value="xd"/>
Returns 1 when Value is even.</translation>
    </message>
    <message>
        <source>IsNOT(Value)<byte value="xd"/>
真偽判定<byte value="xd"/>
Value ... 対象となる値または式<byte value="xd"/>
Value が 0 の時、1 を返します.<byte value="xd"/>
Value が 0以外の時、0 を返します.<byte value="xd"/>
※演算子化は辛かったので関数にて ｍ（＿&#x3000;＿）ｍ</source>
        <translation>IsNOT(Value)<byte value="xd"/>
Truth test<byte value="xd"/>
Value ... the value or expression<byte value="xd"/>
Returns 1 when Value is 0.<byte value="xd"/>
Returns 0 when Value is not 0.<byte value="xd"/>
A function, as an operator was too hard</translation>
    </message>
    <message>
        <source>IsMinus(Value)<byte value="xd"/>
負数判定<byte value="xd"/>
Value ... 対象となる値または式<byte value="xd"/>
Value が -1以下の時、1 を返します.<byte value="xd"/>
Value が  0以上の時、0 を返します.</source>
        <translation>IsMinus(Value)<byte value="xd"/>
Negative test<byte value="xd"/>
Value ... the value or expression<byte value="xd"/>
Returns 1 when Value is below 0.<byte value="xd"/>
Returns 0 when Value is 0 or more.</translation>
    </message>
    <message>
        <source>IsPLUS(Value)<byte value="xd"/>
正数判定<byte value="xd"/>
Value ... 対象となる値または式<byte value="xd"/>
Value が  1以上の時、1 を返します.<byte value="xd"/>
Value が  0以下の時、0 を返します.</source>
        <translation>IsPLUS(Value)<byte value="xd"/>
Positive test<byte value="xd"/>
Value ... the value or expression<byte value="xd"/>
Returns 1 when Value is above 0.<byte value="xd"/>
Returns 0 when Value is 0 or less.</translation>
    </message>
    <message>
        <source>AND(P1, P2 ...)<byte value="xd"/>
パラメータの全てが非ゼロかを判定<byte value="xd"/>
全ての値がゼロ以外であれば 1 を返します.<byte value="xd"/>
１つでもゼロ値を示す値があれば 0 を返します.</source>
        <translation>AND(P1, P2 ...)<byte value="xd"/>
Tests whether every argument is non-zero<byte value="xd"/>
Returns 1 when no value is zero.<byte value="xd"/>
Returns 0 when any value is zero.</translation>
    </message>
    <message>
        <source>OR(P1, P2 ...)<byte value="xd"/>
パラメータのいづれかが非ゼロかを判定<byte value="xd"/>
１つでもゼロ以外の値があれば 1 を返します.<byte value="xd"/>
全ての値がゼロ値を示す場合は 0 を返します.</source>
        <translation>OR(P1, P2 ...)<byte value="xd"/>
Tests whether any argument is non-zero<byte value="xd"/>
Returns 1 when some value is not zero.<byte value="xd"/>
Returns 0 when every value is zero.</translation>
    </message>
    <message>
        <source>scb (残り時間)<byte value="xd"/>
スペルカードの基本点を求める</source>
        <translation>scb (time left)<byte value="xd"/>
The base points of the spell card</translation>
    </message>
    <message>
        <source>桁あふれ</source>
        <translation>overflow</translation>
    </message>
    <message>
        <source>{1}: 「{2}」の値が64ビット整数の範囲を超えるため、表示できません。</source>
        <translation>{1}: the value of &quot;{2}&quot; is beyond the 64-bit integer range and cannot be shown.</translation>
    </message>
    <message>
        <source>合計</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>累計</source>
        <translation>Running total</translation>
    </message>
    <message>
        <source>差</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>使い方は「qvl --help」で表示されます（英語）。</source>
        <translation>Run &apos;qvl --help&apos; for usage.</translation>
    </message>
    <message>
        <source>ノードのパス「{1}」が正しくありません: パスは「/」で始まります。</source>
        <translation>bad node path &apos;{1}&apos;: a path starts with &apos;/&apos;</translation>
    </message>
    <message>
        <source>ノードのパス「{1}」が正しくありません: 「{2}」にノードがありません。</source>
        <translation>bad node path &apos;{1}&apos;: no node at &apos;{2}&apos;</translation>
    </message>
    <message>
        <source>{2} に「{1}」という題のパターンはありません。</source>
        <translation>no pattern titled &apos;{1}&apos; at {2}</translation>
    </message>
    <message>
        <source>{2} の値「{1}」が正しくありません: 符号付き64ビットの範囲の整数を指定してください。</source>
        <translation>bad value &apos;{1}&apos; for {2}: a whole number in the signed 64-bit range is expected</translation>
    </message>
    <message>
        <source>{2} の値「{1}」が正しくありません: true か false を指定してください。</source>
        <translation>bad value &apos;{1}&apos; for {2}: true or false is expected</translation>
    </message>
    <message>
        <source>シーンのパターンに「{1}」という項目はありません。</source>
        <translation>unknown field &apos;{1}&apos; for a scene&apos;s pattern</translation>
    </message>
    <message>
        <source>グループのパターンに「{1}」という項目はありません。</source>
        <translation>unknown field &apos;{1}&apos; for a group&apos;s pattern</translation>
    </message>
    <message>
        <source>変更「{1}」が正しくありません: 項目=値 の形で指定してください。</source>
        <translation>bad change &apos;{1}&apos;: FIELD=VALUE is expected</translation>
    </message>
    <message>
        <source>「{1}」はパターンファイル（Shift_JIS）に保存できません: {2}</source>
        <translation>&apos;{1}&apos; cannot be stored in a pattern file (Shift_JIS): {2}</translation>
    </message>
    <message>
        <source>--raw は --format csv と一緒に指定してください。</source>
        <translation>--raw is for --format csv</translation>
    </message>
    <message>
        <source>-o にはファイル名が必要です。-o がなければ標準出力に書き出します。</source>
        <translation>-o needs a file name; without -o, the output goes to standard output</translation>
    </message>
    <message>
        <source>標準出力に書き出せません: {1}</source>
        <translation>cannot write to standard output: {1}</translation>
    </message>
    <message>
        <source>メモリが足りません。</source>
        <comment>CliOutOfMemory</comment>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>コマンド（tree, explain など）を指定してください。</source>
        <translation>A subcommand is required</translation>
    </message>
    <message>
        <source>{1} を指定してください。</source>
        <translation>{1} is required</translation>
    </message>
    <message>
        <source>{1}: 「{2}」は {3} のいずれでもありません。</source>
        <translation>{1}: {2} not in {3}</translation>
    </message>
    <message>
        <source>次の引数は使われません: {1}</source>
        <translation>The following arguments were not expected: {1}</translation>
    </message>
    <message>
        <source>{1} には {2} も必要です。</source>
        <translation>{1} requires {2}</translation>
    </message>
    <message>
        <source>{1} には値が必要です。</source>
        <translation>{1} needs a value</translation>
    </message>
    <message>
        <source>コマンドラインが正しくありません。</source>
        <translation>The command line is not valid.</translation>
    </message>
    <message>
        <source>QVL_LANG=「{1}」は言語を指定していません: {2} を指定してください。</source>
        <translation>QVL_LANG=&apos;{1}&apos; names no language: {2} is expected</translation>
    </message>
    <message>
        <source>{1} か {2}</source>
        <translation>{1} or {2}</translation>
    </message>
</context>
<context>
    <name>qvl::QtText</name>
    <message>
        <source>「%1」(U+%2)</source>
        <translation>“%1” (U+%2)</translation>
    </message>
    <message>
        <source>次の文字はパターンファイル（Shift_JIS）に保存できません。
%1
別の文字に書き換えてからやり直してください。</source>
        <translation>These characters cannot be saved in a pattern file (Shift_JIS):
%1
Replace them with other characters and try again.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>qvl::TAboutForm</name>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>qvl::TComparisonPanel</name>
    <message>
        <source>後のボーダーボーナスへの影響</source>
        <translation>On later border bonuses</translation>
    </message>
    <message>
        <source>後の得点アイテムへの影響</source>
        <translation>On later point items</translation>
    </message>
    <message>
        <source>後のスペルカードボーナスへの影響</source>
        <translation>On later spell card bonuses</translation>
    </message>
    <message>
        <source>それ自体</source>
        <translation>Itself</translation>
    </message>
    <message>
        <source>後のボーナスアイテムへの影響</source>
        <translation>On later bonus items</translation>
    </message>
    <message>
        <source>スペルカードボーナスへの影響</source>
        <translation>On the spell card bonus</translation>
    </message>
    <message>
        <source>桜点Max</source>
        <translation>Cherry max</translation>
    </message>
    <message>
        <source>出力</source>
        <translation>Output</translation>
    </message>
</context>
<context>
    <name>qvl::THelpWindow</name>
    <message>
        <source>使い方(&amp;U)</source>
        <translation>&amp;User Guide</translation>
    </message>
    <message>
        <source>ja</source>
        <extracomment>The language code of the user guide to show: &quot;en&quot; for English; the code of another language where the guide is not written in this one.</extracomment>
        <translation>en</translation>
    </message>
    <message>
        <source>Quovelパターンマネージャ 使い方</source>
        <translation>Quovel Pattern Manager User Guide</translation>
    </message>
    <message>
        <source>使い方の本文</source>
        <translation>User guide text</translation>
    </message>
</context>
<context>
    <name>qvl::TMainWnd</name>
    <message>
        <source>Quovelパターンマネージャ v0.04</source>
        <translation>Quovel Pattern Manager v0.04</translation>
    </message>
    <message>
        <source>「%1」が見つかりません！
最近使ったファイルの一覧から削除します。</source>
        <translation>“%1” was not found!
It is removed from the list of recent files.</translation>
    </message>
    <message>
        <source>パターンファイル (*.pat)|*.pat|すべてのファイル (*.*)|*.*</source>
        <translation>Pattern files (*.pat)|*.pat|All files (*.*)|*.*</translation>
    </message>
    <message>
        <source>「%1」が見つかりません！</source>
        <translation>“%1” was not found!</translation>
    </message>
    <message>
        <source>「%1」の変更を破棄します。よろしいですか？</source>
        <translation>Discard the changes to “%1”?</translation>
    </message>
    <message>
        <source>編集中のファイル「%1」を上書きします。よろしいですか？</source>
        <translation>Overwrite the file “%1” being edited?</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>最近使ったファイル(&amp;R)</source>
        <translation>&amp;Recent Files</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>旧パターンをコピー(&amp;C)</source>
        <translation>&amp;Copy Old Pattern</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>スコア推移(&amp;G)</source>
        <translation>Score &amp;Graph</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>選択(&amp;S)</source>
        <translation>&amp;Select</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>パターンの一括指定(&amp;P)</source>
        <translation>Choose &amp;Patterns by Title</translation>
    </message>
    <message>
        <source>「%1」のメモの変更を破棄します。よろしいですか？</source>
        <translation>Discard the changes to the memo of “%1”?</translation>
    </message>
    <message>
        <source>親ノードの方でまとめてるのを解除してから選択してくださいな。</source>
        <translation>A group above describes this as a whole. Turn that off there before selecting it.</translation>
    </message>
    <message>
        <source>パターン名に含まれる文字列を入力してください</source>
        <translation>Enter a text that the pattern titles contain</translation>
    </message>
    <message>
        <source>アルファベットの大文字小文字は区別しません。
<byte value="xd"/>一致するものが複数あれば、最も上にあるパターンが選ばれます。</source>
        <translation>Upper and lower case letters are the same.
Where several patterns match, the topmost one is chosen.</translation>
    </message>
    <message>
        <source>セルへの入力</source>
        <translation>Typing in the cell</translation>
    </message>
    <message>
        <source>タイトルへの入力</source>
        <translation>Typing in the title</translation>
    </message>
    <message>
        <source>メモへの入力</source>
        <translation>Typing in the memo</translation>
    </message>
    <message>
        <source>場面別メモへの入力</source>
        <translation>Typing in the scene memo</translation>
    </message>
    <message>
        <source>入力欄への入力</source>
        <translation>Typing in the field</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>パターン「%1」の更新</source>
        <translation>Update of the pattern “%1”</translation>
    </message>
    <message>
        <source>パターン「%1」の削除</source>
        <translation>Deletion of the pattern “%1”</translation>
    </message>
    <message>
        <source>新しいパターンの追加</source>
        <translation>New pattern</translation>
    </message>
    <message>
        <source>「%1」のメモの更新</source>
        <translation>Memo of “%1”</translation>
    </message>
    <message>
        <source>「%1」のまとめて記述の設定</source>
        <translation>Describing “%1” as a whole</translation>
    </message>
    <message>
        <source>「%1」のまとめて記述の解除</source>
        <translation>Describing “%1” part by part</translation>
    </message>
    <message>
        <source>「%1」の現行パターンの選択</source>
        <translation>Current pattern of “%1”</translation>
    </message>
    <message>
        <source>パターンの一括指定</source>
        <translation>Patterns chosen by title</translation>
    </message>
</context>
<context>
    <name>qvl::TPatternEditor</name>
    <message>
        <source>入力</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>スペルカード取得</source>
        <translation>Spell card captured</translation>
    </message>
    <message>
        <source>まとめて記述</source>
        <translation>As a whole</translation>
    </message>
    <message>
        <source>メモ</source>
        <translation>Memo</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>算出(&amp;C)</source>
        <translation>&amp;Calculate</translation>
    </message>
    <message>
        <source>新規(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>更新(&amp;A)</source>
        <translation>&amp;Apply</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>旧パターンのメモ</source>
        <translation>Memo of the old pattern</translation>
    </message>
    <message>
        <source>新パターンのメモ</source>
        <translation>Memo of the new pattern</translation>
    </message>
    <message>
        <source>スペルカード取得（旧パターン）</source>
        <translation>Spell card captured (old pattern)</translation>
    </message>
    <message>
        <source>スペルカード取得（新パターン）</source>
        <translation>Spell card captured (new pattern)</translation>
    </message>
    <message>
        <source>パターン「%1」の変更を破棄します。よろしいですか？</source>
        <translation>Discard the changes to the pattern “%1”?</translation>
    </message>
    <message>
        <source>回収可能な得点アイテム数: %1</source>
        <translation>Point items that can be collected: %1</translation>
    </message>
    <message>
        <source>編集中のパターン「%1」を更新します。よろしいですか？</source>
        <translation>Update the pattern “%1” being edited?</translation>
    </message>
    <message>
        <source>「%1」を「%2」に代えて現行のパターンとしますか？</source>
        <translation>Make “%1” the current pattern in place of “%2”?</translation>
    </message>
    <message>
        <source>編集中のパターン「%1」を削除します。よろしいですか？</source>
        <translation>Delete the pattern “%1” being edited?</translation>
    </message>
    <message>
        <source>旧パターンを下敷きにしますか？（更新しなければ内容は消えます）</source>
        <translation>Start from the old pattern? (Its contents are lost unless you apply them.)</translation>
    </message>
</context>
<context>
    <name>qvl::TPatternGrids</name>
    <message>
        <source>「%1」は整数ではありません。</source>
        <translation>“%1” is not a whole number.</translation>
    </message>
    <message>
        <source>増加</source>
        <translation>gain</translation>
    </message>
    <message>
        <source>減少</source>
        <translation>loss</translation>
    </message>
    <message>
        <source>旧パターン</source>
        <translation>Old pattern</translation>
    </message>
    <message>
        <source>新パターン</source>
        <translation>New pattern</translation>
    </message>
</context>
<context>
    <name>qvl::TRecentFiles</name>
    <message>
        <source>一覧を消去</source>
        <translation>Clear List</translation>
    </message>
</context>
<context>
    <name>qvl::TScenePanel</name>
    <message>
        <source>場面別メモ</source>
        <translation>Scene memo</translation>
    </message>
    <message>
        <source>更新(&amp;M)</source>
        <translation>Apply &amp;memo</translation>
    </message>
    <message>
        <source>「%1」のメモを更新します。よろしいですか？</source>
        <translation>Update the memo of “%1”?</translation>
    </message>
    <message>
        <source>場面ツリー</source>
        <translation>Scene tree</translation>
    </message>
    <message>
        <source>場面</source>
        <translation>Scene</translation>
    </message>
</context>
<context>
    <name>qvl::TScoreChartView</name>
    <message>
        <source>各位置のスコア（右の目盛）</source>
        <translation>Score at each position (right scale)</translation>
    </message>
    <message>
        <source>累計スコア</source>
        <translation>Running score</translation>
    </message>
    <message>
        <source>新パターンでの累計</source>
        <translation>Running score with the new pattern</translation>
    </message>
    <message>
        <source>ルート上の位置（面ごと）</source>
        <translation>Position on the route (by stage)</translation>
    </message>
    <message>
        <source>各位置のスコア</source>
        <translation>Score at each position</translation>
    </message>
    <message>
        <source>累計の差（新パターン − 現在）</source>
        <translation>Running difference (new pattern − now)</translation>
    </message>
    <message>
        <source>文書がありません</source>
        <translation>No document</translation>
    </message>
    <message>
        <source>%1
この位置のスコア: %2
累計スコア: %3</source>
        <translation>%1
Score at this position: %2
Running score: %3</translation>
    </message>
    <message>
        <source>%1
この位置のスコア: %2
累計スコア: %3
新パターンでの累計: %4</source>
        <translation>%1
Score at this position: %2
Running score: %3
Running score with the new pattern: %4</translation>
    </message>
    <message>
        <source>スコア推移</source>
        <translation>Score Graph</translation>
    </message>
    <message numerus="yes">
        <source>累計スコア（%n か所は値が64ビット整数の範囲を超えるため描いていません）</source>
        <translation>
            <numerusform>Running score (%n position not drawn: its value is beyond the 64-bit integer range)</numerusform>
            <numerusform>Running score (%n positions not drawn: their values are beyond the 64-bit integer range)</numerusform>
        </translation>
    </message>
    <message>
        <source>100000000=億 10000=万</source>
        <extracomment>The units of the score axis&apos;s labels, largest first, separated by spaces: each a power of ten, &quot;=&quot; and the suffix that stands for it.</extracomment>
        <translation>1000000000=B 1000000=M 1000=k</translation>
    </message>
    <message>
        <source>「%1」には保存できません。拡張子を .png か .svg にしてください。</source>
        <translation>Cannot save to “%1”. Use the extension .png or .svg.</translation>
    </message>
</context>
<context>
    <name>qvl::TScoreChartWindow</name>
    <message>
        <source>PNG 画像 (*.png)|*.png|SVG 画像 (*.svg)|*.svg</source>
        <translation>PNG image (*.png)|*.png|SVG image (*.svg)|*.svg</translation>
    </message>
    <message>
        <source>スコア推移のグラフ</source>
        <translation>Score graph</translation>
    </message>
    <message>
        <source>ファイルに保存(&amp;S)</source>
        <translation>&amp;Save to File</translation>
    </message>
</context>
<context>
    <name>qvl::TStatusBar</name>
    <message>
        <source>ステータスバー</source>
        <translation>Status bar</translation>
    </message>
</context>
</TS>
