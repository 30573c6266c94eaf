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
    <name>quillane::FailureReport</name>
    <message>
        <source>予期しないエラーが発生しました</source>
        <translation>An unexpected error occurred</translation>
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
</TS>
