<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>TCommandLine</name>
    <message>
        <source>使い方: quovel-pm [--lang ja|en] [--reset-settings] [ファイル.pat]
        quovel-pm --export-chart 計画.pat 出力.png|出力.svg [--size 幅x高さ] [--lang ja|en]
        quovel-pm --help | --version
ファイルを開いてウィンドウを表示します。詳しくは man quovel-pm をご覧ください。</source>
        <translation>Usage: quovel-pm [--lang ja|en] [--reset-settings] [FILE.pat]
       quovel-pm --export-chart PLAN.pat OUT.png|OUT.svg [--size WxH] [--lang ja|en]
       quovel-pm --help | --version
Opens the file and shows the window. See man quovel-pm for more.</translation>
    </message>
    <message>
        <source>「%1」は知らないオプションです。使い方は quovel-pm --help で表示します。</source>
        <translation>“%1” is not a known option. quovel-pm --help shows how to use the program.</translation>
    </message>
</context>
<context>
    <name>TExportChart</name>
    <message>
        <source>使い方: quovel-pm --export-chart 計画.pat 出力.png|出力.svg [--size 幅x高さ] [--lang ja|en]</source>
        <translation>Usage: quovel-pm --export-chart PLAN.pat OUT.png|OUT.svg [--size WxH] [--lang ja|en]</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。</source>
        <translation>The file does not exist.</translation>
    </message>
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
        <source>「%1」には保存できません。拡張子を .png か .svg にしてください。</source>
        <translation>Cannot save to “%1”. Use the extension .png or .svg.</translation>
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
        <source>ボーナスアイテム</source>
        <translation>Bonus items</translation>
    </message>
    <message>
        <source>スペルカードボーナス基礎</source>
        <translation>Spell card bonus base</translation>
    </message>
    <message>
        <source>敵弾消しボーナス</source>
        <translation>Enemy bullet bonus</translation>
    </message>
    <message>
        <source>ボーダーボーナス</source>
        <translation>Border bonus</translation>
    </message>
    <message>
        <source>桜点Max</source>
        <translation>Cherry max</translation>
    </message>
    <message>
        <source>桜点</source>
        <translation>Cherry</translation>
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
        <source>合計</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>出力</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>旧パターン</source>
        <translation>Old pattern</translation>
    </message>
    <message>
        <source>新パターン</source>
        <translation>New pattern</translation>
    </message>
    <message>
        <source>差</source>
        <translation>Difference</translation>
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
        <extracomment>The language code of the user guide to show: &quot;en&quot; for English.</extracomment>
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
        <source>旧パターン</source>
        <translation>Old pattern</translation>
    </message>
    <message>
        <source>新パターン</source>
        <translation>New pattern</translation>
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
        <source>差</source>
        <translation>Difference</translation>
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
</context>
<context>
    <name>qvl::TScoreChartWindow</name>
    <message>
        <source>PNG 画像 (*.png)|*.png|SVG 画像 (*.svg)|*.svg</source>
        <translation>PNG image (*.png)|*.png|SVG image (*.svg)|*.svg</translation>
    </message>
    <message>
        <source>スコア推移</source>
        <translation>Score Graph</translation>
    </message>
    <message>
        <source>スコア推移のグラフ</source>
        <translation>Score graph</translation>
    </message>
    <message>
        <source>ファイルに保存(&amp;S)</source>
        <translation>&amp;Save to File</translation>
    </message>
    <message>
        <source>「%1」には保存できません。拡張子を .png か .svg にしてください。</source>
        <translation>Cannot save to “%1”. Use the extension .png or .svg.</translation>
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
