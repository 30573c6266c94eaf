<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>TFrmQuillane</name>
    <message>
        <source>基本設定</source>
        <translation>Basic settings</translation>
    </message>
    <message>
        <source>ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘ( $HomeDirectory に設定されます)(&amp;H)：</source>
        <translation>&amp;Home directory (set as $HomeDirectory):</translation>
    </message>
    <message>
        <source>ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘ</source>
        <translation>Home directory</translation>
    </message>
    <message>
        <source>ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘを参照</source>
        <translation>Browse for the home directory</translation>
    </message>
    <message>
        <source>参照(&amp;R)</source>
        <translation>B&amp;rowse</translation>
    </message>
    <message>
        <source>MoveToNotebookDirectory関数を定義する</source>
        <translation>Define MoveToNotebookDirectory[]</translation>
    </message>
    <message>
        <source>MoveToNotebookDirectory関数を定義する(&amp;D)</source>
        <translation>&amp;Define MoveToNotebookDirectory[]</translation>
    </message>
    <message>
        <source>起動時に実行したいｺﾏﾝﾄﾞ</source>
        <translation>Commands to execute at start-up</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞの例</source>
        <translation>Examples of commands</translation>
    </message>
    <message>
        <source>&lt;&lt;Graphics`PlotField3D` (* ﾊﾟｯｹｰｼﾞ読込 *)
Off[General::spell]     (* ｽﾍﾟﾙ警告抑制 *)
Pi2 = Pi ^ 2;           (* 定数の定義 *)</source>
        <translation>&lt;&lt;Graphics`PlotField3D` (* load package *)
Off[General::spell]     (* spelling off *)
Pi2 = Pi ^ 2;           (* a constant *)</translation>
    </message>
    <message>
        <source>MoveToNotebookDirectory関数の説明</source>
        <translation>What MoveToNotebookDirectory[] does</translation>
    </message>
    <message>
        <source>MoveToNotebookDirectory[] 関数は
最後にﾉｰﾄﾌﾞｯｸﾌｧｲﾙを保存したﾃﾞｨﾚｸﾄﾘを
ｶﾚﾝﾄﾃﾞｨﾚｸﾄﾘにします。</source>
        <translation>MoveToNotebookDirectory[] makes the
folder of the notebook saved last the
current directory.</translation>
    </message>
    <message>
        <source>起動時に実行したいｺﾏﾝﾄﾞ(&amp;E)：</source>
        <translation>Commands to &amp;execute at start-up:</translation>
    </message>
    <message>
        <source>【ｺﾏﾝﾄﾞの例】</source>
        <translation>Examples:</translation>
    </message>
    <message>
        <source>設定ﾌｧｲﾙ指定</source>
        <translation>Settings file</translation>
    </message>
    <message>
        <source>書き換える設定ﾌｧｲﾙ(通常は init.m です) (&amp;I)；</source>
        <translation>Settings file to rewrite (usually &amp;init.m):</translation>
    </message>
    <message>
        <source>書き換える設定ﾌｧｲﾙ</source>
        <translation>Settings file to rewrite</translation>
    </message>
    <message>
        <source>書き換える設定ﾌｧｲﾙを参照</source>
        <translation>Browse for the settings file</translation>
    </message>
    <message>
        <source>参照(&amp;F)</source>
        <translation>Bro&amp;wse</translation>
    </message>
    <message>
        <source>設定ﾌｧｲﾙを開く</source>
        <translation>Open the settings file as text</translation>
    </message>
    <message>
        <source>書き込み</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>書き込み(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>設定ﾌｧｲﾙを開く(&amp;M)</source>
        <translation>&amp;Open as text</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>フォルダの参照</source>
        <translation>Browse for Folder</translation>
    </message>
    <message>
        <source>カスタム(&amp;U)</source>
        <translation>C&amp;ustom</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>$HomeDirectoryを選んでください</source>
        <translation>Choose the folder for $HomeDirectory</translation>
    </message>
</context>
<context>
    <name>quillane::CodePage</name>
    <message>
        <source>コードページ %1 には対応していません</source>
        <translation>Code page %1 is not supported</translation>
    </message>
    <message>
        <source>コードページ %1 のテキストとして読めないバイトがあります (%2 バイト目)</source>
        <translation>Some bytes are not valid text in code page %1 (byte %2)</translation>
    </message>
    <message>
        <source>コードページ %1 で表せない文字があります (%2 バイト目)</source>
        <translation>Some characters cannot be written in code page %1 (byte %2)</translation>
    </message>
    <message>
        <source>コードページ %1 のテキストとして読めないバイトがあります</source>
        <translation>Some bytes are not valid text in code page %1</translation>
    </message>
    <message>
        <source>コードページ %1 で表せない文字があります</source>
        <translation>Some characters cannot be written in code page %1</translation>
    </message>
</context>
<context>
    <name>quillane::CommandLine</name>
    <message>
        <source>Mathematica のｶｰﾈﾙの起動ﾌｧｲﾙ init.m にある Quillane のｾｸｼｮﾝを編集します。</source>
        <translation>Edits Quillane&apos;s section of init.m, the start-up file of the Mathematica kernel.</translation>
    </message>
    <message>
        <source>編集する init.m (省略すると、見つかった設定ﾌｧｲﾙ)</source>
        <translation>The init.m to edit (without one, the settings file found)</translation>
    </message>
    <message>
        <source>quillane: 編集できるﾌｧｲﾙは一つだけです

%1</source>
        <translation>quillane: only one file can be edited

%1</translation>
    </message>
    <message>
        <source>quillane: 画面に接続できません (DISPLAY も WAYLAND_DISPLAY も設定されていません)
</source>
        <translation>quillane: cannot connect to a display (neither DISPLAY nor WAYLAND_DISPLAY is set)
</translation>
    </message>
</context>
<context>
    <name>quillane::EditorLauncher</name>
    <message>
        <source>ﾌｧｲﾙ名を Windows の文字に変換できません</source>
        <translation>The file name cannot be converted to Windows characters</translation>
    </message>
    <message>
        <source>ﾌﾟﾛｸﾞﾗﾑ名を Windows の文字に変換できません</source>
        <translation>The program name cannot be converted to Windows characters</translation>
    </message>
    <message>
        <source>ﾃｷｽﾄｴﾃﾞｨﾀが見つかりません。ﾃﾞｽｸﾄｯﾌﾟの text/plain の既定のｱﾌﾟﾘｹｰｼｮﾝと、次のﾌﾟﾛｸﾞﾗﾑを探しました: %1</source>
        <translation>No text editor was found. Looked for the desktop&apos;s default application for text/plain and for these programs: %1</translation>
    </message>
    <message>
        <source>ﾃｷｽﾄｴﾃﾞｨﾀを起動できません。試したﾌﾟﾛｸﾞﾗﾑ:%1</source>
        <translation>The text editor cannot be started. Programs tried:%1</translation>
    </message>
    <message>
        <source>エラー %1</source>
        <translation>Error %1</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ名に &quot; を含むﾌｧｲﾙは開けません: %1</source>
        <translation>A file whose name holds &quot; cannot be opened: %1</translation>
    </message>
</context>
<context>
    <name>quillane::FailureReport</name>
    <message>
        <source>予期しないエラーが発生しました</source>
        <translation>An unexpected error occurred</translation>
    </message>
</context>
<context>
    <name>quillane::FileIo</name>
    <message>
        <source>通常のファイルではありません</source>
        <translation>Not a regular file</translation>
    </message>
    <message>
        <source>エラー %1</source>
        <translation>Error %1</translation>
    </message>
</context>
<context>
    <name>quillane::InitFileLocation</name>
    <message>
        <source>&apos;%1&apos; の取得に失敗しました</source>
        <translation>Reading &apos;%1&apos; failed</translation>
    </message>
    <message>
        <source>&apos;%1&apos; のデータ型が不正です</source>
        <translation>&apos;%1&apos; has the wrong data type</translation>
    </message>
</context>
<context>
    <name>quillane::SectionEngine</name>
    <message>
        <source>ファイルの読込みに失敗しました</source>
        <translation>Reading the file failed</translation>
    </message>
    <message>
        <source>ホームディレクトリに改行が含まれています</source>
        <translation>The home directory holds a line break</translation>
    </message>
    <message>
        <source>ファイル %1 に保存できません: %2</source>
        <translation>Cannot save the file %1: %2</translation>
    </message>
    <message>
        <source>%1 行目ほか %2 行</source>
        <translation>lines %1 and %2 more</translation>
    </message>
    <message>
        <source>ホームディレクトリに%1</source>
        <translation>%1 in the home directory</translation>
    </message>
    <message>
        <source>コマンドの %1は Quillane のマーカーまたは指定行として読み込まれるため、書き込めません</source>
        <translation>In the commands, %1 would be read back as Quillane&apos;s markers or directives, so the commands cannot be written</translation>
    </message>
    <message>
        <source>ファイル %1 は開けません</source>
        <translation>Cannot open the file %1</translation>
    </message>
    <message>
        <source>%1 行目に Quillane セクションの終わりの行がありますが、始まりの行がありません。ファイルを手作業で修正してください</source>
        <translation>Line %1 is the end line of Quillane&apos;s section, but there is no start line. Please mend the file by hand</translation>
    </message>
    <message>
        <source>Quillane セクションの終わりの行 (%1 行目) が始まりの行 (%2 行目) より前にあります。ファイルを手作業で修正してください</source>
        <translation>The end line of Quillane&apos;s section (line %1) comes before its start line (line %2). Please mend the file by hand</translation>
    </message>
    <message>
        <source>セクションの外にある Quillane のマーカー行 (%1) のため、保存した設定が正しく読み込めなくなります。ファイルを手作業で修正してください</source>
        <translation>Quillane&apos;s marker lines outside the section (%1) would keep the saved settings from being read back correctly. Please mend the file by hand</translation>
    </message>
    <message>
        <source>ファイル %1 を作成できません</source>
        <translation>Cannot create the file %1</translation>
    </message>
    <message>
        <source>。元の内容に戻せなかったため、元の内容を %1 に残してあります</source>
        <translation>. The old contents could not be put back; they are kept in %1</translation>
    </message>
    <message>
        <source>%1 行目</source>
        <comment>one line</comment>
        <translation>line %1</translation>
    </message>
    <message>
        <source>%1 行目</source>
        <comment>several lines</comment>
        <translation>lines %1</translation>
    </message>
</context>
<context>
    <name>quillane::TBrowseDlg</name>
    <message>
        <source>TBrowseDlg: Execute の実行中には %s プロパティの値を変更できません</source>
        <translation>TBrowseDlg: the %s property cannot be changed while Execute runs</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>フォルダの参照</source>
        <translation>Browse for Folder</translation>
    </message>
    <message>
        <source>カスタム(&amp;U)</source>
        <translation>C&amp;ustom</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
</context>
<context>
    <name>quillane::TFrmQuillane</name>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>このｺﾝﾋﾟｭｰﾀの設定ﾌｧｲﾙから選ぶ (F4)</source>
        <translation>Choose among the settings files of this computer (F4)</translation>
    </message>
    <message>
        <source>保存せずに終了するには、もう一度終了して「いいえ」を選んでください。</source>
        <translation>To exit without saving, exit again and choose &quot;No&quot;.</translation>
    </message>
    <message>
        <source>このﾕｰｻﾞｰ用</source>
        <translation>This user&apos;s</translation>
    </message>
    <message>
        <source>全ﾕｰｻﾞｰ用</source>
        <translation>All users&apos;</translation>
    </message>
    <message>
        <source>ｲﾝｽﾄｰﾙ先 %1 %2</source>
        <translation>Installation %1 %2</translation>
    </message>
    <message>
        <source>書き込み可</source>
        <translation>writable</translation>
    </message>
    <message>
        <source>書き込み不可</source>
        <translation>not writable</translation>
    </message>
    <message>
        <source>未作成・作成可</source>
        <translation>not there yet, can be created</translation>
    </message>
    <message>
        <source>未作成・作成不可</source>
        <translation>not there yet, cannot be created</translation>
    </message>
    <message>
        <source>内容が変更されています。ほかのﾌｧｲﾙを読み込む前に、変更を %1 に保存しますか？</source>
        <translation>The contents have been changed. Save the changes to %1 before another file is loaded?</translation>
    </message>
    <message>
        <source>設定ﾌｧｲﾙ %1 には、このﾕｰｻﾞｰは書き込めません (書き込みの権限がありません)。</source>
        <translation>This user cannot write the settings file %1 (no permission to write it).</translation>
    </message>
    <message>
        <source>
このﾕｰｻﾞｰ用の設定ﾌｧｲﾙ %1 を使いますか？ (まだなければ、最初の書き込みで作成します)</source>
        <translation>
Use this user&apos;s settings file %1 instead? (If it does not exist yet, the first save creates it.)</translation>
    </message>
    <message>
        <source>ﾕｰｻﾞｰ用を使う(&amp;U)</source>
        <translation>&amp;Use the user&apos;s file</translation>
    </message>
    <message>
        <source>このまま(&amp;K)</source>
        <translation>&amp;Keep this one</translation>
    </message>
    <message>
        <source>設定ﾌｧｲﾙ %1 はまだありません。ﾌｧｲﾙと、必要なﾌｫﾙﾀﾞを作成して書き込みますか？</source>
        <translation>The settings file %1 does not exist yet. Create it, and the folders it needs, and save?</translation>
    </message>
    <message>
        <source>作成して書き込む(&amp;C)</source>
        <translation>&amp;Create and save</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞ %1 を作成できません</source>
        <translation>Cannot create the folder %1</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ %1 を作成できません: %2</source>
        <translation>Cannot create the file %1: %2</translation>
    </message>
    <message>
        <source>
このﾕｰｻﾞｰには、このﾌｧｲﾙに書き込む権限がありません。設定ﾌｧｲﾙ欄の ▼ (F4) からこのﾕｰｻﾞｰ用の設定ﾌｧｲﾙを選んで書き込むか、権限のあるﾕｰｻﾞｰで書き込んでください</source>
        <translation>
This user has no permission to write this file. Choose this user&apos;s settings file with ▼ (F4) in the settings file field and save there, or save as a user who may write it</translation>
    </message>
    <message>
        <source>起動時に実行したいｺﾏﾝﾄﾞに &quot;%1&quot; が含まれています。このままでは、ｺﾏﾝﾄﾞは設定されていないものとして扱われ、設定ﾌｧｲﾙに書き込まれません。
&quot;%1&quot; を取り除いて、残りのｺﾏﾝﾄﾞを書き込みますか？</source>
        <translation>The commands to execute at start-up contain &quot;%1&quot;, which stands for no commands: as they are, they count as not set and are not saved into the settings file.
Remove &quot;%1&quot; and save the other commands?</translation>
    </message>
    <message>
        <source>取り除いて書き込む(&amp;R)</source>
        <translation>&amp;Remove and save</translation>
    </message>
    <message>
        <source>ｺﾏﾝﾄﾞなしで書き込む(&amp;W)</source>
        <translation>Save &amp;without commands</translation>
    </message>
    <message>
        <source>設定ﾌｧｲﾙ %1 は、読み込んだ後にほかのﾌﾟﾛｸﾞﾗﾑで変更されています。
読み込み直すと、この画面での変更は失われます。上書きすると、Quillane のｾｸｼｮﾝがこの画面の内容になります(ｾｸｼｮﾝの外の行はﾌｧｲﾙのまま残ります)。</source>
        <translation>The settings file %1 has been changed by another program since it was loaded.
Reloading it loses the changes made in this window. Overwriting it makes Quillane&apos;s section what this window shows (the lines outside the section stay as they are in the file).</translation>
    </message>
    <message>
        <source>読み込み直す(&amp;R)</source>
        <translation>&amp;Reload</translation>
    </message>
    <message>
        <source>上書きする(&amp;O)</source>
        <translation>&amp;Overwrite</translation>
    </message>
    <message>
        <source>ﾎｰﾑにするﾃﾞｨﾚｸﾄﾘに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります</source>
        <translation>The home directory has characters that the settings file&apos;s encoding cannot hold</translation>
    </message>
    <message>
        <source>起動時に実行したいｺﾏﾝﾄﾞに、設定ﾌｧｲﾙの文字ｺｰﾄﾞで書けない文字があります</source>
        <translation>The commands to execute at start-up have characters that the settings file&apos;s encoding cannot hold</translation>
    </message>
</context>
<context>
    <name>quillane::TQtDialogs</name>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>内容が変更されています。変更を保存しますか？</source>
        <translation>The contents have been changed. Save the changes?</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>quillane::TShellTreeModel</name>
    <message>
        <source>読み込み中...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>(見つかりません)</source>
        <translation>(not found)</translation>
    </message>
</context>
<context>
    <name>quillane::shell::PosixShell</name>
    <message>
        <source>デスクトップ</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>コンピュータ</source>
        <translation>Computer</translation>
    </message>
</context>
</TS>
