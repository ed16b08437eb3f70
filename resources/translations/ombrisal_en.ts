<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AppCore</name>
    <message>
        <source>ポートを閉じてから局番を設定してください</source>
        <translation>Close the port before setting the stations</translation>
    </message>
    <message>
        <source>デバイス・コメントをインポート</source>
        <translation>Import device comments</translation>
    </message>
</context>
<context>
    <name>AtomicFile</name>
    <message>
        <source>リンク先のファイルがありません</source>
        <translation>The file the link points to does not exist</translation>
    </message>
    <message>
        <source>通常のファイルではありません</source>
        <translation>Not a regular file</translation>
    </message>
    <message>
        <source>他のユーザーのファイルです</source>
        <translation>The file belongs to another user</translation>
    </message>
</context>
<context>
    <name>BinaryReader</name>
    <message>
        <source>ファイルが途中で終わっています。</source>
        <translation>The file ends too early.</translation>
    </message>
</context>
<context>
    <name>BitGridView</name>
    <message>
        <source>選択範囲を１にセットします</source>
        <translation>Sets the selected range to 1</translation>
    </message>
    <message>
        <source>選択範囲を０リセットします</source>
        <translation>Resets the selected range to 0</translation>
    </message>
    <message>
        <source>選択範囲をビット反転します</source>
        <translation>Inverts the bits of the selected range</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Reg.</translation>
    </message>
    <message>
        <source>選択範囲をユーザー登録画面に登録します</source>
        <translation>Registers the selected range in the user window</translation>
    </message>
    <message>
        <source>選択範囲にデータを書き込みます</source>
        <translation>Writes data to the selected range</translation>
    </message>
</context>
<context>
    <name>BitView</name>
    <message>
        <source>選択範囲無効</source>
        <translation>Invalid selection</translation>
    </message>
    <message>
        <source>[ Dec ]又は、[ Hex ]を選択してください。</source>
        <translation>Select [ Dec ] or [ Hex ].</translation>
    </message>
    <message>
        <source>選択範囲範囲外</source>
        <translation>Selection out of range</translation>
    </message>
    <message>
        <source>選択範囲が無効です、[Dec][Hex]を選択してください。</source>
        <translation>The selection is invalid; select [Dec] or [Hex].</translation>
    </message>
    <message>
        <source>セル範囲選択異常</source>
        <translation>Invalid cell selection</translation>
    </message>
    <message>
        <source>１つの列を選択してください。</source>
        <translation>Select a single column.</translation>
    </message>
</context>
<context>
    <name>CellInput</name>
    <message>
        <source>「</source>
        <translation>&quot;</translation>
    </message>
    <message>
        <source>」にはシステムの文字コードで表せない文字があります。</source>
        <translation>&quot; has characters the system code page cannot represent.</translation>
    </message>
    <message>
        <source>」は１ワードに入りません。<byte value="xd"/>
１ワードには半角２文字か全角１文字が入ります。</source>
        <translation>&quot; does not fit in one word.<byte value="xd"/>
One word holds two half-width characters or one full-width character.</translation>
    </message>
</context>
<context>
    <name>CellStyle</name>
    <message>
        <source><byte value="xd"/>
コメントを入力してください。</source>
        <translation><byte value="xd"/>
Enter a comment.</translation>
    </message>
    <message>
        <source>コメント・入力</source>
        <translation>Comment - Enter</translation>
    </message>
    <message>
        <source> ～ </source>
        <translation> - </translation>
    </message>
    <message>
        <source><byte value="xd"/>
選択範囲のコメントを消去しますか？<byte value="xd"/>
</source>
        <translation><byte value="xd"/>
Delete the comments of the selected range?<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>コメント・消去</source>
        <translation>Comment - Delete</translation>
    </message>
</context>
<context>
    <name>ChosenFile</name>
    <message>
        <source> を読み込めません: </source>
        <translation> cannot be read: </translation>
    </message>
</context>
<context>
    <name>CommentStore</name>
    <message>
        <source>%1 行目「%2」: </source>
        <translation>line %1 &quot;%2&quot;: </translation>
    </message>
</context>
<context>
    <name>DeviceValues</name>
    <message>
        <source>デバイスが読めません: </source>
        <translation>cannot read the device: </translation>
    </message>
    <message>
        <source> はデバイスメモリにありません</source>
        <translation> is not in device memory</translation>
    </message>
    <message>
        <source>ビットの値は 0 か 1 です: </source>
        <translation>a bit&apos;s value is 0 or 1: </translation>
    </message>
    <message>
        <source>ワードの値は -32768〜65535 か 0x0〜0xFFFF です: </source>
        <translation>a word&apos;s value is -32768 to 65535 or 0x0 to 0xFFFF: </translation>
    </message>
    <message>
        <source>「デバイス,値」の形ではありません: </source>
        <translation>not in the form &quot;device,value&quot;: </translation>
    </message>
    <message>
        <source>デバイス値をエクスポート</source>
        <translation>Export device values</translation>
    </message>
    <message>
        <source>デバイス値をインポート</source>
        <translation>Import device values</translation>
    </message>
    <message>
        <source>デバイス値は変更されていません。</source>
        <translation>No device value was changed.</translation>
    </message>
    <message>
        <source>JSON オブジェクト {&quot;D100&quot;:1234, ...} ではありません</source>
        <translation>not a JSON object {&quot;D100&quot;:1234, ...}</translation>
    </message>
    <message>
        <source>デバイス名 (&quot;D100&quot;) がありません</source>
        <translation>a device name (&quot;D100&quot;) is missing</translation>
    </message>
    <message>
        <source>デバイス名が閉じていません</source>
        <translation>a device name is not closed</translation>
    </message>
    <message>
        <source>「:」がありません</source>
        <translation>&quot;:&quot; is missing</translation>
    </message>
    <message>
        <source>「,」か「}」がありません</source>
        <translation>&quot;,&quot; or &quot;}&quot; is missing</translation>
    </message>
    <message>
        <source>オブジェクトの後に余計なものがあります</source>
        <translation>something follows the object</translation>
    </message>
    <message>
        <source>%1 行目: </source>
        <translation>line %1: </translation>
    </message>
</context>
<context>
    <name>DeviceView</name>
    <message>
        <source>&#x3000;（局番 %1）</source>
        <translation> (station %1)</translation>
    </message>
</context>
<context>
    <name>DlgFont</name>
    <message>
        <source>フォント</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>文字の色を選択します</source>
        <translation>Chooses the colour of the text</translation>
    </message>
    <message>
        <source>文字色(&amp;C):</source>
        <translation>Text &amp;colour:</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>文字色</source>
        <translation>Text colour</translation>
    </message>
</context>
<context>
    <name>DlgInput</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>DlgMsg</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Error</name>
    <message>
        <source>プロシージャの呼び出し、または引数が不正です。</source>
        <translation>Invalid procedure call or argument.</translation>
    </message>
    <message>
        <source>オーバーフローしました。</source>
        <translation>Overflow.</translation>
    </message>
    <message>
        <source>メモリが不足しています。</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>インデックスが有効範囲にありません。</source>
        <translation>Subscript out of range.</translation>
    </message>
    <message>
        <source>0 で除算しました。</source>
        <translation>Division by zero.</translation>
    </message>
    <message>
        <source>型が一致しません。</source>
        <translation>Type mismatch.</translation>
    </message>
    <message>
        <source>ファイル名または番号が不正です。</source>
        <translation>Bad file name or number.</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。</source>
        <translation>File not found.</translation>
    </message>
    <message>
        <source>ファイルは既に開かれています。</source>
        <translation>File already open.</translation>
    </message>
    <message>
        <source>デバイス I/O エラーです。</source>
        <translation>Device I/O error.</translation>
    </message>
    <message>
        <source>ディスクの空き容量が不足しています。</source>
        <translation>Disk full.</translation>
    </message>
    <message>
        <source>ファイルにこれ以上データがありません。</source>
        <translation>Input past end of file.</translation>
    </message>
    <message>
        <source>書き込みできません。</source>
        <translation>Permission denied.</translation>
    </message>
    <message>
        <source>パス名が無効です。</source>
        <translation>Path/File access error.</translation>
    </message>
    <message>
        <source>パスが見つかりません。</source>
        <translation>Path not found.</translation>
    </message>
    <message>
        <source>キャンセルされました。</source>
        <translation>Cancelled.</translation>
    </message>
    <message>
        <source>通常のファイルではありません。</source>
        <translation>Not a regular file.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>アプリケーション定義またはオブジェクト定義のエラーです。</source>
        <translation>Application-defined or object-defined error.</translation>
    </message>
</context>
<context>
    <name>ErrorLog</name>
    <message>
        <source><byte value="xd"/>
…ほか </source>
        <translation><byte value="xd"/>
…and </translation>
    </message>
    <message>
        <source> 件（</source>
        <translation> more (written to </translation>
    </message>
    <message>
        <source> に記録しました）</source>
        <translation>)</translation>
    </message>
</context>
<context>
    <name>FaultInjector</name>
    <message>
        <source>障害注入の規則 &quot;</source>
        <translation>Fault rule &quot;</translation>
    </message>
    <message>
        <source>&quot; が二度指定されています</source>
        <translation>&quot; is given twice</translation>
    </message>
    <message>
        <source> は一つだけ、ミリ秒を付けて指定してください（例 </source>
        <translation> takes exactly one value, in milliseconds (e.g. </translation>
    </message>
    <message>
        <source>=100）</source>
        <translation>=100)</translation>
    </message>
    <message>
        <source> のミリ秒は </source>
        <translation> milliseconds must be from </translation>
    </message>
    <message>
        <source> から 60000 までです</source>
        <translation> to 60000</translation>
    </message>
    <message>
        <source>nak は一つだけ、エラーコードを付けて指定してください（例 nak=06）</source>
        <translation>nak takes exactly one value, an error code (e.g. nak=06)</translation>
    </message>
    <message>
        <source>nak のエラーコードは 16 進 2 桁です（例 nak=06）</source>
        <translation>The error code of nak is two hexadecimal digits (e.g. nak=06)</translation>
    </message>
    <message>
        <source>insert は一つだけ、バイトを付けて指定してください（例 insert=41）</source>
        <translation>insert takes exactly one value, a byte (e.g. insert=41)</translation>
    </message>
    <message>
        <source>insert のバイトは 16 進 2 桁です（例 insert=41）</source>
        <translation>The byte of insert is two hexadecimal digits (e.g. insert=41)</translation>
    </message>
    <message>
        <source> は値を取らず、動作は一つだけです</source>
        <translation> takes no value, and a rule has one action only</translation>
    </message>
    <message>
        <source>at はバイト位置（0 から）です</source>
        <translation>at is a byte position (from 0)</translation>
    </message>
    <message>
        <source>mask は 16 進 2 桁（00 以外）です</source>
        <translation>mask is two hexadecimal digits (not 00)</translation>
    </message>
    <message>
        <source>cmd はコマンドの英大文字 2 文字です（例 cmd=WR）</source>
        <translation>cmd is a command of two capital letters (e.g. cmd=WR)</translation>
    </message>
    <message>
        <source> はこの通信にないコマンドです</source>
        <translation> is not a command of this protocol</translation>
    </message>
    <message>
        <source>dev はデバイスか範囲です（例 dev=D100-D199, dev=X40）</source>
        <translation>dev is a device or a range (e.g. dev=D100-D199, dev=X40)</translation>
    </message>
    <message>
        <source>every は 1 以上の回数です</source>
        <translation>every is a count of 1 or more</translation>
    </message>
    <message>
        <source>p は 0 から 1 までの確率です（例 p=0.25）</source>
        <translation>p is a probability from 0 to 1 (e.g. p=0.25)</translation>
    </message>
    <message>
        <source>空の項目があります</source>
        <translation>There is an empty item</translation>
    </message>
    <message>
        <source>&quot; は使えない項目です</source>
        <translation>&quot; is not a known item</translation>
    </message>
    <message>
        <source>動作 (delay drop nak badsum flip insert split twice) がありません</source>
        <translation>No action (delay drop nak badsum flip insert split twice)</translation>
    </message>
    <message>
        <source>at は flip, insert, split にだけ指定できます</source>
        <translation>at can only be given to flip, insert and split</translation>
    </message>
    <message>
        <source>mask は flip にだけ指定できます</source>
        <translation>mask can only be given to flip</translation>
    </message>
    <message>
        <source>中央</source>
        <translation>the middle byte</translation>
    </message>
    <message>
        <source>応答を </source>
        <translation>Reply delayed by </translation>
    </message>
    <message>
        <source> ms 遅延</source>
        <translation> ms</translation>
    </message>
    <message>
        <source>応答を破棄（要求は実行済み）</source>
        <translation>Reply dropped (request executed)</translation>
    </message>
    <message>
        <source>否定応答 </source>
        <translation>NAK </translation>
    </message>
    <message>
        <source> を送信（要求は未実行）</source>
        <translation> sent (request not executed)</translation>
    </message>
    <message>
        <source>サムチェックを破損</source>
        <translation>Sum check corrupted</translation>
    </message>
    <message>
        <source>応答の</source>
        <translation>Reply: </translation>
    </message>
    <message>
        <source>を反転 (XOR </source>
        <translation> flipped (XOR </translation>
    </message>
    <message>
        <source>に </source>
        <translation> gets </translation>
    </message>
    <message>
        <source> を挿入</source>
        <translation> inserted</translation>
    </message>
    <message>
        <source>応答を</source>
        <translation>Reply split at </translation>
    </message>
    <message>
        <source>で分割し </source>
        <translation> and sent with a gap of </translation>
    </message>
    <message>
        <source> ms 空けて送信</source>
        <translation> ms</translation>
    </message>
    <message>
        <source>応答を二度送信</source>
        <translation>Reply sent twice</translation>
    </message>
    <message>
        <source>%1 バイト目</source>
        <translation>byte %1</translation>
    </message>
    <message>
        <source>%1 行目: seed の後には 0 以上の整数を書いてください</source>
        <translation>line %1: write an integer of 0 or more after seed</translation>
    </message>
    <message>
        <source>%1 行目: </source>
        <translation>line %1: </translation>
    </message>
</context>
<context>
    <name>FrameJournal</name>
    <message>
        <source>JSON オブジェクトではありません</source>
        <translation>not a JSON object</translation>
    </message>
    <message>
        <source>direction が pc&gt;plc でも plc&gt;pc でもありません</source>
        <translation>direction is neither pc&gt;plc nor plc&gt;pc</translation>
    </message>
    <message>
        <source>bytes が16進数の列ではありません</source>
        <translation>bytes is not a string of hexadecimal digits</translation>
    </message>
    <message>
        <source>mono_ms がありません</source>
        <translation>mono_ms is missing</translation>
    </message>
    <message>
        <source>mono_ms が数ではありません</source>
        <translation>mono_ms is not a number</translation>
    </message>
    <message>
        <source>format は 1〜4 です</source>
        <translation>format is 1 to 4</translation>
    </message>
    <message>
        <source>sum は true か false です</source>
        <translation>sum is true or false</translation>
    </message>
</context>
<context>
    <name>FrameReading</name>
    <message>
        <source>パリティ異常</source>
        <translation>parity error</translation>
    </message>
    <message>
        <source>サムチェック異常</source>
        <translation>sum check error</translation>
    </message>
    <message>
        <source>プロトコル異常</source>
        <translation>protocol error</translation>
    </message>
    <message>
        <source>フレーミング異常</source>
        <translation>framing error</translation>
    </message>
    <message>
        <source>オーバーラン</source>
        <translation>overrun</translation>
    </message>
    <message>
        <source>範囲外</source>
        <translation>out of range</translation>
    </message>
    <message>
        <source>文字異常</source>
        <translation>character error</translation>
    </message>
    <message>
        <source>PC番号違い</source>
        <translation>wrong PC number</translation>
    </message>
    <message>
        <source> 登録 </source>
        <translation> registers </translation>
    </message>
    <message>
        <source> 点</source>
        <translation> points</translation>
    </message>
    <message>
        <source>PC 応答 </source>
        <translation>PC answer </translation>
    </message>
    <message>
        <source>(解読できません)</source>
        <translation>(cannot be read)</translation>
    </message>
    <message>
        <source> (不明なコマンド)</source>
        <translation> (unknown command)</translation>
    </message>
    <message>
        <source>コマンドがありません</source>
        <translation>no command</translation>
    </message>
    <message>
        <source>コマンド </source>
        <translation>there is no command </translation>
    </message>
    <message>
        <source> はありません (BR WR BW WW BT WT BM WM MB MN と J/Q の組)</source>
        <translation> (BR WR BW WW BT WT BM WM MB MN and the J/Q pairs)</translation>
    </message>
    <message>
        <source>デバイス </source>
        <translation>device </translation>
    </message>
    <message>
        <source> が読めません</source>
        <translation> cannot be read</translation>
    </message>
    <message>
        <source>ビットの値は 0 か 1 です: </source>
        <translation>a bit&apos;s value is 0 or 1: </translation>
    </message>
    <message>
        <source>ワードの値は -32768〜65535 か 0x0〜0xFFFF です: </source>
        <translation>a word&apos;s value is -32768 to 65535 or 0x0 to 0xFFFF: </translation>
    </message>
    <message>
        <source> は引数をとりません</source>
        <translation> takes no arguments</translation>
    </message>
    <message>
        <source> にはデバイスと点数を書きます (例: </source>
        <translation> takes a device and a number of points (e.g. </translation>
    </message>
    <message>
        <source>点数は 1〜256 です: </source>
        <translation>points are 1 to 256: </translation>
    </message>
    <message>
        <source> にはデバイスと値を書きます (例: </source>
        <translation> takes a device and values (e.g. </translation>
    </message>
    <message>
        <source> にはデバイスと値の組を書きます (例: </source>
        <translation> takes pairs of a device and a value (e.g. </translation>
    </message>
    <message>
        <source> にはデバイスを書きます (例: </source>
        <translation> takes devices (e.g. </translation>
    </message>
    <message>
        <source>デバイス %1 は %2 では書けません</source>
        <translation>device %1 cannot be written in %2</translation>
    </message>
</context>
<context>
    <name>Framing</name>
    <message>
        <source>形式１</source>
        <translation>Format 1</translation>
    </message>
    <message>
        <source>形式２</source>
        <translation>Format 2</translation>
    </message>
    <message>
        <source>形式３</source>
        <translation>Format 3</translation>
    </message>
    <message>
        <source>形式４</source>
        <translation>Format 4</translation>
    </message>
</context>
<context>
    <name>FrmFaults</name>
    <message>
        <source>障害注入と統計</source>
        <translation>Fault Injection and Statistics</translation>
    </message>
    <message>
        <source>障害注入の規則</source>
        <translation>Fault injection rules</translation>
    </message>
    <message>
        <source>規則</source>
        <translation>Rule</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>一致</source>
        <translation>Matched</translation>
    </message>
    <message>
        <source>注入</source>
        <translation>Injected</translation>
    </message>
    <message>
        <source>例: nak=06,cmd=WW   delay=300,every=5   split=50,at=4,dev=D100-D199</source>
        <translation>e.g. nak=06,cmd=WW   delay=300,every=5   split=50,at=4,dev=D100-D199</translation>
    </message>
    <message>
        <source>動作: delay=ms drop nak=コード badsum flip insert=HH split=ms twice
条件: cmd=WR dev=D100-D199 every=N p=0.25&#x3000;位置: at=N&#x3000;マスク: mask=HH</source>
        <translation>Actions: delay=ms drop nak=code badsum flip insert=HH split=ms twice
Conditions: cmd=WR dev=D100-D199 every=N p=0.25  Position: at=N  Mask: mask=HH</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>全削除</source>
        <translation>Remove all</translation>
    </message>
    <message>
        <source>ファイルから読込...</source>
        <translation>Load from file...</translation>
    </message>
    <message>
        <source>障害注入を有効にする</source>
        <translation>Enable fault injection</translation>
    </message>
    <message>
        <source>シード</source>
        <translation>Seed</translation>
    </message>
    <message>
        <source>通信統計</source>
        <translation>Traffic statistics</translation>
    </message>
    <message>
        <source>統計をリセット</source>
        <translation>Reset statistics</translation>
    </message>
    <message>
        <source>シードは 0 以上の整数で入力してください</source>
        <translation>Enter the seed as an integer of 0 or more</translation>
    </message>
    <message>
        <source>障害注入の規則ファイルを開く</source>
        <translation>Open a fault rules file</translation>
    </message>
</context>
<context>
    <name>FrmGenerators</name>
    <message>
        <source>値の自動変化</source>
        <translation>Value Generators</translation>
    </message>
    <message>
        <source>番号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>デバイス</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>State</translation>
    </message>
    <message>
        <source>現在値</source>
        <translation>Current value</translation>
    </message>
    <message>
        <source>種類 デバイス 設定… の１行で入力します（デバイスは D100 または D100-D109）
counter: step min max period&#x3000;ramp/sine: offset amplitude period
random: min max seed period&#x3000;square: period duty (max min)
follow: source delay invert&#x3000;時間はすべてミリ秒</source>
        <translation>Enter one line: kind device settings… (device D100 or D100-D109)
counter: step min max period  ramp/sine: offset amplitude period
random: min max seed period  square: period duty (max min)
follow: source delay invert  All times in milliseconds</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>変更</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>選択した行を入力した内容に変更します（行をダブルクリックすると内容が入ります）</source>
        <translation>Changes the selected row to what was entered (double-click a row to fill it in)</translation>
    </message>
    <message>
        <source>一時停止</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>再開</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>全削除</source>
        <translation>Remove all</translation>
    </message>
    <message>
        <source>ファイルから読込...</source>
        <translation>Load from file...</translation>
    </message>
    <message>
        <source>ファイルへ保存...</source>
        <translation>Save to file...</translation>
    </message>
    <message>
        <source>変更する行を選択してください</source>
        <translation>Select the row to change</translation>
    </message>
    <message>
        <source>すべての値の自動変化を削除しますか？</source>
        <translation>Remove all value generators?</translation>
    </message>
    <message>
        <source>値の自動変化ファイルを開く</source>
        <translation>Open a value generators file</translation>
    </message>
    <message>
        <source>値の自動変化ファイルに保存</source>
        <translation>Save to a value generators file</translation>
    </message>
    <message>
        <source> に保存できません: </source>
        <translation> cannot be saved: </translation>
    </message>
    <message>
        <source>一時停止中</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>動作中</source>
        <translation>Running</translation>
    </message>
</context>
<context>
    <name>FrmInport</name>
    <message>
        <source>旧バージョン・プロジェクトのインポート</source>
        <translation>Import an Old-Version Project</translation>
    </message>
    <message>
        <source>ファイル フルパス</source>
        <translation>Full path of the file</translation>
    </message>
    <message>
        <source>プロジェクト・コメント</source>
        <translation>Project comment</translation>
    </message>
    <message>
        <source>再インポート</source>
        <translation>Import again</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>FrmMain</name>
    <message>
        <source>テストスクリプトが ombrisal ctl でデバイスの読み書きや障害注入を行うソケットを開きます</source>
        <translation>Opens a socket through which a test script reads and writes devices and injects faults with ombrisal ctl</translation>
    </message>
    <message>
        <source>制御ソケット %1 で待ち受け中（もう一度選ぶと停止します）</source>
        <translation>Listening on control socket %1 (choose again to stop)</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>プロジェクトを開く(&amp;O)</source>
        <translation>&amp;Open project</translation>
    </message>
    <message>
        <source>プロジェクトに名前を付けて保存(&amp;A)</source>
        <translation>Save project &amp;as</translation>
    </message>
    <message>
        <source>プロジェクト上書き保存(&amp;S)</source>
        <translation>&amp;Save project</translation>
    </message>
    <message>
        <source>旧バージョンプロジェクトをインポート</source>
        <translation>Import an old-version project</translation>
    </message>
    <message>
        <source>デバイス・コメントをインポート</source>
        <translation>Import device comments</translation>
    </message>
    <message>
        <source>スペース区切り</source>
        <translation>Space-separated</translation>
    </message>
    <message>
        <source>カンマ区切り</source>
        <translation>Comma-separated</translation>
    </message>
    <message>
        <source>タブ区切り</source>
        <translation>Tab-separated</translation>
    </message>
    <message>
        <source>デバイス・コメントを初期化する</source>
        <translation>Clear device comments</translation>
    </message>
    <message>
        <source>ツールの終了(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>タイマＴ</source>
        <translation>Timer T</translation>
    </message>
    <message>
        <source>カウンタＣ</source>
        <translation>Counter C</translation>
    </message>
    <message>
        <source>データレジスタＤ</source>
        <translation>Data register D</translation>
    </message>
    <message>
        <source>リンクレジスタＷ</source>
        <translation>Link register W</translation>
    </message>
    <message>
        <source>ファイルレジスタＲ</source>
        <translation>File register R</translation>
    </message>
    <message>
        <source>特殊レジスタＤ</source>
        <translation>Special register D</translation>
    </message>
    <message>
        <source>データレジスタＤ ビット表示</source>
        <translation>Data register D as bits</translation>
    </message>
    <message>
        <source>リンクレジスタＷ ビット表示</source>
        <translation>Link register W as bits</translation>
    </message>
    <message>
        <source>ファイルレジスタＲ ビット表示</source>
        <translation>File register R as bits</translation>
    </message>
    <message>
        <source>特殊レジスタＤ ビット表示</source>
        <translation>Special register D as bits</translation>
    </message>
    <message>
        <source>入力Ｘ</source>
        <translation>Input X</translation>
    </message>
    <message>
        <source>出力Ｙ</source>
        <translation>Output Y</translation>
    </message>
    <message>
        <source>内部リレーＭ</source>
        <translation>Internal relay M</translation>
    </message>
    <message>
        <source>ラッチリレーＬ</source>
        <translation>Latch relay L</translation>
    </message>
    <message>
        <source>ステップリレーＳ</source>
        <translation>Step relay S</translation>
    </message>
    <message>
        <source>リンクリレーＢ</source>
        <translation>Link relay B</translation>
    </message>
    <message>
        <source>アナンシェータＦ</source>
        <translation>Annunciator F</translation>
    </message>
    <message>
        <source>特殊リレーＭ</source>
        <translation>Special relay M</translation>
    </message>
    <message>
        <source>タイマ（接点）Ｔ</source>
        <translation>Timer (contact) T</translation>
    </message>
    <message>
        <source>タイマ（コイル）Ｔ</source>
        <translation>Timer (coil) T</translation>
    </message>
    <message>
        <source>カウンタ（接点）Ｃ</source>
        <translation>Counter (contact) C</translation>
    </message>
    <message>
        <source>カウンタ（コイル）Ｃ</source>
        <translation>Counter (coil) C</translation>
    </message>
    <message>
        <source>ワードデバイス</source>
        <translation>Word devices</translation>
    </message>
    <message>
        <source>ビットデバイス</source>
        <translation>Bit devices</translation>
    </message>
    <message>
        <source>テスト・モニタ</source>
        <translation>Test monitor</translation>
    </message>
    <message>
        <source>ユーザー</source>
        <translation>User</translation>
    </message>
    <message>
        <source>ワードデバイス＋</source>
        <translation>Word devices +</translation>
    </message>
    <message>
        <source>ビットデバイス＋</source>
        <translation>Bit devices +</translation>
    </message>
    <message>
        <source>マルチ画面全消去</source>
        <translation>Close all multi windows</translation>
    </message>
    <message>
        <source>マルチ画面初期化</source>
        <translation>Reset multi windows</translation>
    </message>
    <message>
        <source>ウインドウの表示状態を初期化する</source>
        <translation>Reset the window layout</translation>
    </message>
    <message>
        <source>セルのプロパティを初期化する</source>
        <translation>Reset the cell properties</translation>
    </message>
    <message>
        <source>計算機リンク設定(&amp;L)</source>
        <translation>Computer &amp;Link</translation>
    </message>
    <message>
        <source>CPUタイプ</source>
        <translation>CPU type</translation>
    </message>
    <message>
        <source>専用プロトコル</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>無手順</source>
        <translation>No protocol</translation>
    </message>
    <message>
        <source>通信パラメータ設定(&amp;C)</source>
        <translation>&amp;Communication</translation>
    </message>
    <message>
        <source>ＣＯＭポート</source>
        <translation>COM port</translation>
    </message>
    <message>
        <source>ボーレート</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>スタートビット</source>
        <translation>Start bit</translation>
    </message>
    <message>
        <source>キャラクタ長</source>
        <translation>Character length</translation>
    </message>
    <message>
        <source>ストップビット</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>パリティ</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>偶数</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>奇数</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>無し</source>
        <translation>None</translation>
    </message>
    <message>
        <source>回線ツール(&amp;T)</source>
        <translation>Line &amp;Tools</translation>
    </message>
    <message>
        <source>障害注入と統計...</source>
        <translation>Fault injection and statistics...</translation>
    </message>
    <message>
        <source>回線速度で送信する（仮想ポート・TCP）</source>
        <translation>Send at the line speed (virtual port, TCP)</translation>
    </message>
    <message>
        <source>応答の各文字を、設定した通信速度で送るのと同じ間隔で送信します</source>
        <translation>Sends each character of a reply with the spacing the set baud rate would give</translation>
    </message>
    <message>
        <source>局番設定（マルチドロップ）...</source>
        <translation>Stations (multi-drop)...</translation>
    </message>
    <message>
        <source>表示する局</source>
        <translation>Station shown</translation>
    </message>
    <message>
        <source>制御ソケット（テストスクリプト用）...</source>
        <translation>Control socket (for test scripts)...</translation>
    </message>
    <message>
        <source>シミュレーション(&amp;U)</source>
        <translation>Sim&amp;ulation</translation>
    </message>
    <message>
        <source>値の自動変化...</source>
        <translation>Value generators...</translation>
    </message>
    <message>
        <source>トレンドグラフ...</source>
        <translation>Trend graph...</translation>
    </message>
    <message>
        <source>記録ファイルを開く...</source>
        <translation>Open a recording...</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>操作説明...</source>
        <translation>Instructions...</translation>
    </message>
    <message>
        <source>バージョン情報...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>名前を付けて保存する</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>ログをクリアする</source>
        <translation>Clear the log</translation>
    </message>
    <message>
        <source>タイマー</source>
        <translation>Timer</translation>
    </message>
    <message>
        <source>カウンタ</source>
        <translation>Counter</translation>
    </message>
    <message>
        <source>データレジスタ</source>
        <translation>Data register</translation>
    </message>
    <message>
        <source>リンクレジスタ</source>
        <translation>Link register</translation>
    </message>
    <message>
        <source>ファイルレジスタ</source>
        <translation>File register</translation>
    </message>
    <message>
        <source>特出リレーＭ</source>
        <translation>Special relay M</translation>
    </message>
    <message>
        <source>タイマー（接点）</source>
        <translation>Timer (contact)</translation>
    </message>
    <message>
        <source>タイマー（コイル）</source>
        <translation>Timer (coil)</translation>
    </message>
    <message>
        <source>カウンター（接点）</source>
        <translation>Counter (contact)</translation>
    </message>
    <message>
        <source>カウンター（コイル）</source>
        <translation>Counter (coil)</translation>
    </message>
    <message>
        <source>テスト・モニター</source>
        <translation>Test monitor</translation>
    </message>
    <message>
        <source>ユーザー設定</source>
        <translation>User settings</translation>
    </message>
    <message>
        <source>右クリックで設定</source>
        <translation>Right-click to set</translation>
    </message>
    <message>
        <source>計算機リンク設定</source>
        <translation>Computer link settings</translation>
    </message>
    <message>
        <source>チェックサム有り</source>
        <translation>Sum check</translation>
    </message>
    <message>
        <source>電文にチェックサムコードを付加します</source>
        <translation>Adds a sum check code to the messages</translation>
    </message>
    <message>
        <source>コマンドタイプ</source>
        <translation>Command type</translation>
    </message>
    <message>
        <source>局番号</source>
        <translation>Station No.</translation>
    </message>
    <message>
        <source>ＰＣ番号</source>
        <translation>PC No.</translation>
    </message>
    <message>
        <source>通信設定</source>
        <translation>Line settings</translation>
    </message>
    <message>
        <source>ポート№</source>
        <translation>Port No.</translation>
    </message>
    <message>
        <source>ハンドシェーク</source>
        <translation>Handshake</translation>
    </message>
    <message>
        <source>受信文字間 Wait</source>
        <translation>Inter-character wait</translation>
    </message>
    <message>
        <source>ポートオープン</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>←ポート№入力後クリック</source>
        <translation>← Click after entering the port No.</translation>
    </message>
    <message>
        <source>ポートクローズ</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>文法チェックをしない</source>
        <translation>No grammar check</translation>
    </message>
    <message>
        <source>アドレスや処理点数のチェックを無視します</source>
        <translation>Ignores the checks of addresses and point counts</translation>
    </message>
    <message>
        <source>通信異常ﾀﾞｲｱﾛｸﾞ非表示</source>
        <translation>Hide line error dialogs</translation>
    </message>
    <message>
        <source>通信異常時に、ダイアログを表示しない</source>
        <translation>Shows no dialog when a line error occurs</translation>
    </message>
    <message>
        <source>通信ログ・ファイル</source>
        <translation>Traffic log file</translation>
    </message>
    <message>
        <source>通信ﾛｸﾞﾌｧｲﾙ 出力</source>
        <translation>Write log file</translation>
    </message>
    <message>
        <source>送受信データをファイルへ書き込みます</source>
        <translation>Writes the data sent and received to a file</translation>
    </message>
    <message>
        <source>固定ファイル名</source>
        <translation>Fixed file name</translation>
    </message>
    <message>
        <source>ユニークファイル</source>
        <translation>Unique file</translation>
    </message>
    <message>
        <source>同一ﾛｸﾞﾌｧｲﾙに追加書き込みします</source>
        <translation>Appends to the same log file</translation>
    </message>
    <message>
        <source>ﾎﾟｰﾄｵｰﾌﾟﾝ時に新しいﾛｸﾞﾌｧｲﾙを作成します</source>
        <translation>Creates a new log file each time the port opens</translation>
    </message>
    <message>
        <source>通信履歴&#x3000;電文表記</source>
        <translation>Traffic history  Message format</translation>
    </message>
    <message>
        <source>履歴表示</source>
        <translation>Show history</translation>
    </message>
    <message>
        <source>送受信データをテキストボックスへ表示します</source>
        <translation>Shows the data sent and received in the text box</translation>
    </message>
    <message>
        <source>制御文字置き換え</source>
        <translation>Control characters named</translation>
    </message>
    <message>
        <source>ASCII コード表示</source>
        <translation>ASCII codes</translation>
    </message>
    <message>
        <source>受信データをそのまま表示します。制御コードは文字化けします。</source>
        <translation>Shows the data as received. Control codes appear garbled.</translation>
    </message>
    <message>
        <source>制御コードをテキスト文字に置き換えて表示します。</source>
        <translation>Shows control codes as text.</translation>
    </message>
    <message>
        <source>文字列をASCIIコード１６進数で表示します</source>
        <translation>Shows the text as hexadecimal ASCII codes</translation>
    </message>
    <message>
        <source>表示行</source>
        <translation>Lines</translation>
    </message>
    <message>
        <source>表示行数を固定又は、無限にします。</source>
        <translation>Keeps a fixed number of lines, or an unlimited number.</translation>
    </message>
    <message>
        <source>通信ログ行数</source>
        <translation>Traffic log lines</translation>
    </message>
    <message>
        <source>履歴クリア</source>
        <translation>Clear history</translation>
    </message>
    <message>
        <source>通信履歴をクリアします。</source>
        <translation>Clears the traffic history.</translation>
    </message>
    <message>
        <source>履歴保存</source>
        <translation>Save history</translation>
    </message>
    <message>
        <source>テキストボックス内の履歴を名前を付けて保存します。</source>
        <translation>Saves the history in the text box under a name.</translation>
    </message>
    <message>
        <source>通信履歴</source>
        <translation>Traffic history</translation>
    </message>
    <message>
        <source>右クリックで、ポップアップが表示されます。</source>
        <translation>Right-click for a pop-up menu.</translation>
    </message>
    <message>
        <source>通信異常</source>
        <translation>Line error</translation>
    </message>
    <message>
        <source>受信データ</source>
        <translation>Received data</translation>
    </message>
    <message>
        <source>送信データ</source>
        <translation>Sent data</translation>
    </message>
    <message>
        <source>通信パラメータ</source>
        <translation>Line parameters</translation>
    </message>
    <message>
        <source>ポート状態</source>
        <translation>Port state</translation>
    </message>
    <message>
        <source>プロジェクトを作成したときの App.Ver</source>
        <translation>App.Ver that created the project</translation>
    </message>
    <message>
        <source>プロジェクト・コメント</source>
        <translation>Project comment</translation>
    </message>
    <message>
        <source>利用可能なＣＯＭＭポートがありません。</source>
        <translation>No COM port is available.</translation>
    </message>
    <message>
        <source>この機能はまだ使用できません</source>
        <translation>This function is not available yet</translation>
    </message>
    <message>
        <source>応答する局番: %1（変更は「局番設定（マルチドロップ）」で）&#x3000;表示中の局: %2</source>
        <translation>Stations answered: %1 (change them with &quot;Stations (multi-drop)&quot;)  Station shown: %2</translation>
    </message>
    <message>
        <source>この回線で応答する局番を、カンマ区切りで入力してください。<byte value="xd"/>
（例 00,01,05&#x3000;先頭の局を表示します。追加した局のデバイスは０から始まります）</source>
        <translation>Enter the stations this line answers, separated by commas.<byte value="xd"/>
(e.g. 00,01,05  The first station is shown. Devices of added stations start at 0)</translation>
    </message>
    <message>
        <source>局番設定</source>
        <translation>Stations</translation>
    </message>
    <message>
        <source>局番 </source>
        <translation>Station </translation>
    </message>
    <message>
        <source>テストスクリプトからの指令を受ける制御ソケットのパスを入力してください。<byte value="xd"/>
（例 ombrisal ctl パス set X0 1&#x3000;所有者だけが接続できます）</source>
        <translation>Enter the path of the control socket that takes commands from test scripts.<byte value="xd"/>
(e.g. ombrisal ctl PATH set X0 1  Only the owner can connect)</translation>
    </message>
    <message>
        <source>制御ソケット</source>
        <translation>Control socket</translation>
    </message>
    <message>
        <source>制御ソケットを開始できませんでした。<byte value="xd"/>
</source>
        <translation>The control socket could not be started.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Copyright (C) 2026 Ombrisal の開発者</source>
        <translation>Copyright (C) 2026 The Ombrisal developers</translation>
    </message>
    <message>
        <source>バージョン情報 作品番号：OMB-212</source>
        <translation>About  Work No.: OMB-212</translation>
    </message>
    <message>
        <source>プロジェクト・ファイル名</source>
        <translation>Project file name</translation>
    </message>
    <message>
        <source>デバイス値をエクスポート (CSV/JSON)...</source>
        <translation>Export device values (CSV/JSON)...</translation>
    </message>
    <message>
        <source>デバイス値をインポート (CSV/JSON)...</source>
        <translation>Import device values (CSV/JSON)...</translation>
    </message>
    <message>
        <source>スクリプト...</source>
        <translation>Script...</translation>
    </message>
    <message>
        <source>解読も出力</source>
        <translation>Write readings too</translation>
    </message>
    <message>
        <source>各電文の解読をファイルにも書き込みます</source>
        <translation>Writes what each frame means to the file as well</translation>
    </message>
    <message>
        <source>解読</source>
        <translation>Decoded</translation>
    </message>
    <message>
        <source>電文の意味 (コマンド、デバイス、点数、値、NAK の理由) を表示します</source>
        <translation>Shows what each frame means (command, device, points, values, the reason of a NAK)</translation>
    </message>
</context>
<context>
    <name>FrmScript</name>
    <message>
        <source>スクリプト</source>
        <translation>Script</translation>
    </message>
    <message>
        <source>on(&quot;M0&quot;, function (v) { ... }) / every(ms, fn) / after(ms, fn) / get(&quot;D100&quot;) / set(&quot;Y0&quot;, 1) / log(&quot;...&quot;) / station(&quot;01&quot;)</source>
        <translation>on(&quot;M0&quot;, function (v) { ... }) / every(ms, fn) / after(ms, fn) / get(&quot;D100&quot;) / set(&quot;Y0&quot;, 1) / log(&quot;...&quot;) / station(&quot;01&quot;)</translation>
    </message>
    <message>
        <source>実行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>エディタの内容を、動作中のスクリプトと入れ替えて実行します</source>
        <translation>Runs the editor&apos;s text in place of the running script</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>ファイルから読込...</source>
        <translation>Load from file...</translation>
    </message>
    <message>
        <source>ファイルへ保存...</source>
        <translation>Save to file...</translation>
    </message>
    <message>
        <source>コンソール消去</source>
        <translation>Clear console</translation>
    </message>
    <message>
        <source>スクリプトを開く</source>
        <translation>Open script</translation>
    </message>
    <message>
        <source>スクリプトを保存</source>
        <translation>Save script</translation>
    </message>
    <message>
        <source>%1 に保存できません: %2</source>
        <translation>Cannot save to %1: %2</translation>
    </message>
    <message>
        <source>実行中: %1（変化の処理 %2、タイマ %3、エラー %4）</source>
        <translation>Running: %1 (change handlers %2, timers %3, errors %4)</translation>
    </message>
    <message>
        <source>停止中</source>
        <translation>Stopped</translation>
    </message>
</context>
<context>
    <name>FrmTrend</name>
    <message>
        <source>トレンドグラフ</source>
        <translation>Trend Graph</translation>
    </message>
    <message>
        <source>10秒</source>
        <translation>10 s</translation>
    </message>
    <message>
        <source>30秒</source>
        <translation>30 s</translation>
    </message>
    <message>
        <source>1分</source>
        <translation>1 min</translation>
    </message>
    <message>
        <source>5分</source>
        <translation>5 min</translation>
    </message>
    <message>
        <source>10分</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>全体</source>
        <translation>All</translation>
    </message>
    <message>
        <source>時刻（秒）</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>ビット</source>
        <translation>Bits</translation>
    </message>
    <message>
        <source>ドラッグ: 範囲を拡大&#x3000;ホイール・＋－: 時間軸の拡大縮小
中ボタンドラッグ・←→: 移動&#x3000;右クリック: 縮小</source>
        <translation>Drag: zoom into a range  Wheel, + -: zoom the time axis
Middle-button drag, ← →: move  Right-click: zoom out</translation>
    </message>
    <message>
        <source>例: D100 X0 Y10</source>
        <translation>e.g. D100 X0 Y10</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>登録リストから追加</source>
        <translation>Add from the registered list</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>一時停止</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>全体表示</source>
        <translation>Show all</translation>
    </message>
    <message>
        <source>CSV出力...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>画像保存...</source>
        <translation>Save image...</translation>
    </message>
    <message>
        <source>記録を開く...</source>
        <translation>Open recording...</translation>
    </message>
    <message>
        <source>表示幅</source>
        <translation>Span</translation>
    </message>
    <message>
        <source>時刻 %1 秒</source>
        <translation>Time %1 s</translation>
    </message>
    <message>
        <source>&#x3000;%1 = %2</source>
        <translation>  %1 = %2</translation>
    </message>
    <message>
        <source>グラフに追加できないデバイスです: </source>
        <translation>Devices that cannot be added to the graph: </translation>
    </message>
    <message>
        <source><byte value="xd"/>
（D100、X1F のように１点ずつ入力してください）</source>
        <translation><byte value="xd"/>
(Enter one point at a time, such as D100 or X1F)</translation>
    </message>
    <message>
        <source>登録リストにデバイスがありません</source>
        <translation>The registered list holds no devices</translation>
    </message>
    <message>
        <source>ワードデバイスのビット（D000100-F など）</source>
        <translation>Bits of word devices (such as D000100-F): </translation>
    </message>
    <message>
        <source> 点は追加できません</source>
        <translation> points cannot be added</translation>
    </message>
    <message>
        <source>表示範囲をCSVに出力</source>
        <translation>Export the shown span as CSV</translation>
    </message>
    <message>
        <source> に保存できません: </source>
        <translation> cannot be saved: </translation>
    </message>
    <message>
        <source>グラフを画像で保存</source>
        <translation>Save the graph as an image</translation>
    </message>
    <message>
        <source> に保存できません</source>
        <translation> cannot be saved</translation>
    </message>
    <message>
        <source>記録ファイルを開く</source>
        <translation>Open a recording</translation>
    </message>
    <message>
        <source><byte value="xd"/>
記録ファイル（time_ms,device,value）として読める行がありません</source>
        <translation><byte value="xd"/>
No line can be read as a recording (time_ms,device,value)</translation>
    </message>
    <message>
        <source><byte value="xd"/>
読めない行が </source>
        <translation><byte value="xd"/>
Unreadable lines: </translation>
    </message>
    <message>
        <source> 行ありました（読み飛ばしました）</source>
        <translation> (skipped)</translation>
    </message>
</context>
<context>
    <name>Generators</name>
    <message>
        <source>カウンタ</source>
        <translation>Counter</translation>
    </message>
    <message>
        <source>ランプ</source>
        <translation>Ramp</translation>
    </message>
    <message>
        <source>正弦波</source>
        <translation>Sine</translation>
    </message>
    <message>
        <source>乱数</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>矩形波</source>
        <translation>Square</translation>
    </message>
    <message>
        <source>追従</source>
        <translation>Follow</translation>
    </message>
    <message>
        <source>値の自動変化 &quot;</source>
        <translation>Value generator &quot;</translation>
    </message>
    <message>
        <source>種類とデバイスを書いてください（例 counter D100 period=100）</source>
        <translation>Write the kind and the device (e.g. counter D100 period=100)</translation>
    </message>
    <message>
        <source>種類は counter ramp sine random square follow のいずれかです</source>
        <translation>The kind is one of counter ramp sine random square follow</translation>
    </message>
    <message>
        <source>デバイス &quot;</source>
        <translation>Device &quot;</translation>
    </message>
    <message>
        <source>&quot; が正しくありません（例 D100, D100-D109, X1F）</source>
        <translation>&quot; is not valid (e.g. D100, D100-D109, X1F)</translation>
    </message>
    <message>
        <source>ビットデバイスには square, follow, random, counter を使ってください</source>
        <translation>Bit devices take square, follow, random or counter</translation>
    </message>
    <message>
        <source>&quot; は key=値 の形で書いてください</source>
        <translation>&quot; must be written as key=value</translation>
    </message>
    <message>
        <source>station は局番（16 進 2 桁、大文字）です（例 station=01）</source>
        <translation>station is a station number (two hexadecimal digits, capitals) (e.g. station=01)</translation>
    </message>
    <message>
        <source>source は一つのデバイスです（例 source=X0）</source>
        <translation>source is a single device (e.g. source=X0)</translation>
    </message>
    <message>
        <source> の値 &quot;</source>
        <translation> value &quot;</translation>
    </message>
    <message>
        <source>&quot; は数値ではありません</source>
        <translation>&quot; is not a number</translation>
    </message>
    <message>
        <source> は </source>
        <translation> is </translation>
    </message>
    <message>
        <source> 以上のミリ秒（整数）です</source>
        <translation> or more milliseconds (an integer)</translation>
    </message>
    <message>
        <source>duty は 0 から 1 までです</source>
        <translation>duty is from 0 to 1</translation>
    </message>
    <message>
        <source>seed は 0 以上の整数です</source>
        <translation>seed is an integer of 0 or more</translation>
    </message>
    <message>
        <source>&quot; は使えない項目です</source>
        <translation>&quot; is not a known item</translation>
    </message>
    <message>
        <source>follow には source=デバイス が必要です</source>
        <translation>follow needs source=DEVICE</translation>
    </message>
    <message>
        <source>source は follow にだけ指定できます</source>
        <translation>source can only be given to follow</translation>
    </message>
    <message>
        <source>follow の source </source>
        <translation>The source of follow </translation>
    </message>
    <message>
        <source> は自分の書き込み先です（自分自身には追従できません）</source>
        <translation> is its own target (a generator cannot follow itself)</translation>
    </message>
    <message>
        <source>min が max より大きくなっています</source>
        <translation>min is greater than max</translation>
    </message>
    <message>
        <source>counter の step, min, max は整数です</source>
        <translation>step, min and max of counter are integers</translation>
    </message>
    <message>
        <source>局番 </source>
        <translation>Station </translation>
    </message>
    <message>
        <source> はこの回線にありません</source>
        <translation> is not on this line</translation>
    </message>
    <message>
        <source>デバイス範囲外です: </source>
        <translation>Device out of range: </translation>
    </message>
    <message>
        <source> → </source>
        <translation> → </translation>
    </message>
    <message>
        <source>遅延のない follow が輪になっています（</source>
        <translation>follow generators without delay form a ring (</translation>
    </message>
    <message>
        <source>）。どれかに delay を付けてください</source>
        <translation>). Give one of them a delay</translation>
    </message>
    <message>
        <source>値の自動変化 </source>
        <translation>Value generator </translation>
    </message>
    <message>
        <source> はありません</source>
        <translation> does not exist</translation>
    </message>
    <message>
        <source>%1 行目: </source>
        <translation>line %1: </translation>
    </message>
</context>
<context>
    <name>GridView</name>
    <message>
        <source>全ての数値を０クリアします</source>
        <translation>Clears every value to 0</translation>
    </message>
    <message>
        <source>前ページ表示</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>次ページ表示</source>
        <translation>Next page</translation>
    </message>
    <message>
        <source>デバイス数設定</source>
        <translation>Devices per page</translation>
    </message>
    <message>
        <source>セル色を設定</source>
        <translation>Set cell colour</translation>
    </message>
    <message>
        <source>セル色設定</source>
        <translation>Cell colour</translation>
    </message>
    <message>
        <source>フォント設定</source>
        <translation>Font settings</translation>
    </message>
    <message>
        <source>デバイスコメント入力</source>
        <translation>Enter device comment</translation>
    </message>
    <message>
        <source>コメント入力</source>
        <translation>Enter comment</translation>
    </message>
    <message>
        <source>デバイスコメント消去</source>
        <translation>Delete device comment</translation>
    </message>
    <message>
        <source>コメント消去</source>
        <translation>Delete comment</translation>
    </message>
    <message>
        <source>入力エラー</source>
        <translation>Input error</translation>
    </message>
</context>
<context>
    <name>HelpViewer</name>
    <message>
        <source>Ombrisal ヘルプ</source>
        <translation>Ombrisal Help</translation>
    </message>
</context>
<context>
    <name>LinkEngine</name>
    <message>
        <source>障害注入 #</source>
        <translation>Fault injection #</translation>
    </message>
    <message>
        <source>04H フレーム エラーです</source>
        <translation>04H Framing error</translation>
    </message>
    <message>
        <source>05H オーバーラン エラーです</source>
        <translation>05H Overrun error</translation>
    </message>
    <message>
        <source>受信バッファがオーバーフロー</source>
        <translation>Receive buffer overflow</translation>
    </message>
    <message>
        <source>01H パリティ エラーです</source>
        <translation>01H Parity error</translation>
    </message>
    <message>
        <source>送信バッファがいっぱいです</source>
        <translation>The send buffer is full</translation>
    </message>
    <message>
        <source>【入力ストリーム内に </source>
        <translation>[The input stream holds the characters </translation>
    </message>
    <message>
        <source> 文字が検出されました。】</source>
        <translation>.]</translation>
    </message>
    <message>
        <source>【入力ストリーム内に、ほかに </source>
        <translation>[The input stream holds </translation>
    </message>
    <message>
        <source> 個の不正な文字が検出されました。】</source>
        <translation> more invalid characters.]</translation>
    </message>
    <message>
        <source>【受信電文が長すぎます。先頭 </source>
        <translation>[Received message too long. After the first </translation>
    </message>
    <message>
        <source> バイトの後の </source>
        <translation> bytes, </translation>
    </message>
    <message>
        <source> バイトを破棄しました。】</source>
        <translation> bytes were discarded.]</translation>
    </message>
    <message>
        <source>【開始文字のない受信データ </source>
        <translation>[Received data without a start character: </translation>
    </message>
    <message>
        <source> バイトのうち、先頭 </source>
        <translation> bytes, of which the first </translation>
    </message>
    <message>
        <source> バイトだけを記録しました。】</source>
        <translation> bytes were recorded.]</translation>
    </message>
    <message>
        <source>【受信待ちのデータが多すぎるため、</source>
        <translation>[Too much data waiting to be received: </translation>
    </message>
    <message>
        <source>専用プロトコル (</source>
        <translation>A start character that does not match the protocol (</translation>
    </message>
    <message>
        <source>) に一致しない開始文字を受信しました。</source>
        <translation>) was received.</translation>
    </message>
    <message>
        <source>開始文字は、</source>
        <translation>The start character must be </translation>
    </message>
    <message>
        <source> でなければなりません</source>
        <translation>.</translation>
    </message>
    <message>
        <source>【受信電文異常】</source>
        <translation>[Received message error]</translation>
    </message>
    <message>
        <source>【プロトコル異常】</source>
        <translation>[Protocol error]</translation>
    </message>
    <message>
        <source>受信データ&#x3000;&lt;</source>
        <translation>Received data  &lt;</translation>
    </message>
    <message>
        <source>一旦、ポートを閉じますか？</source>
        <translation>Close the port for now?</translation>
    </message>
    <message>
        <source>受信電文異常</source>
        <translation>Received message error</translation>
    </message>
</context>
<context>
    <name>LinkStats</name>
    <message>
        <source>応答時間 (ms)&#x3000;: 中央値 %1 / p99 %2 / 最大 %3（%4 件）</source>
        <translation>Response time (ms): median %1 / p99 %2 / max %3 (%4 replies)</translation>
    </message>
    <message>
        <source>要求&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;: </source>
        <translation>Requests      : </translation>
    </message>
    <message>
        <source>なし</source>
        <translation>none</translation>
    </message>
    <message>
        <source>応答&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;: </source>
        <translation>Replies       : </translation>
    </message>
    <message>
        <source>否定応答&#x3000;&#x3000;&#x3000;: </source>
        <translation>NAKs          : </translation>
    </message>
    <message>
        <source>回線エラー&#x3000;&#x3000;: </source>
        <translation>Line errors   : </translation>
    </message>
    <message>
        <source>障害注入&#x3000;&#x3000;&#x3000;: </source>
        <translation>Faults        : </translation>
    </message>
</context>
<context>
    <name>ListView</name>
    <message>
        <source>選択範囲に、デバイスが登録されていません。</source>
        <translation>No device is registered in the selected range.</translation>
    </message>
    <message>
        <source>選択範囲を１にセットします</source>
        <translation>Sets the selected range to 1</translation>
    </message>
    <message>
        <source>選択範囲を０リセットします</source>
        <translation>Resets the selected range to 0</translation>
    </message>
    <message>
        <source>選択範囲をビット反転します</source>
        <translation>Inverts the bits of the selected range</translation>
    </message>
    <message>
        <source>選択範囲にデータを書き込みます</source>
        <translation>Writes data to the selected range</translation>
    </message>
    <message>
        <source>←</source>
        <translation>←</translation>
    </message>
    <message>
        <source>表示アドレスを変更します</source>
        <translation>Changes the address shown</translation>
    </message>
    <message>
        <source>前ページ表示</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>次ページ表示</source>
        <translation>Next page</translation>
    </message>
    <message>
        <source>選択デバイスのビットセット</source>
        <translation>Set the bits of the selected devices</translation>
    </message>
    <message>
        <source>選択デバイスのビットリセット</source>
        <translation>Reset the bits of the selected devices</translation>
    </message>
    <message>
        <source>選択デバイスのビット反転</source>
        <translation>Invert the bits of the selected devices</translation>
    </message>
    <message>
        <source>選択範囲に数値をセットする</source>
        <translation>Set a value in the selected range</translation>
    </message>
    <message>
        <source>セル範囲選択異常</source>
        <translation>Invalid cell selection</translation>
    </message>
    <message>
        <source>１つの列を選択してください。</source>
        <translation>Select a single column.</translation>
    </message>
    <message>
        <source>連続入力不可</source>
        <translation>No repeated input</translation>
    </message>
    <message>
        <source>文字列での連続入力は、ここでは出来ません。ワード・デバイス画面で行ってください。</source>
        <translation>Repeated input of text cannot be done here. Do it in a word device window.</translation>
    </message>
    <message>
        <source>セル範囲未選択／未選択</source>
        <translation>No cell range selected</translation>
    </message>
    <message>
        <source>[Device Comment]以外のセル範囲を選択してください。</source>
        <translation>Select cells other than [Device Comment].</translation>
    </message>
    <message>
        <source>文字列で入力してください。１ワード以上の文字列は破棄されます。</source>
        <translation>Enter text. Text beyond one word is discarded.</translation>
    </message>
    <message>
        <source>入力エラー</source>
        <translation>Input error</translation>
    </message>
    <message>
        <source>セル範囲無効／未選択</source>
        <translation>Invalid cell range</translation>
    </message>
    <message>
        <source>登録デバイスの数値データをクリア（０で初期化）しますか？<byte value="xd"/>
＜注意＞ 選択範囲に関係なく登録デバイス全データを初期化します！</source>
        <translation>Clear the values of the registered devices (set them to 0)?<byte value="xd"/>
&lt;Caution&gt; Every registered device is cleared, whatever the selection!</translation>
    </message>
    <message>
        <source>登録・解放</source>
        <translation>Release</translation>
    </message>
    <message>
        <source>選択範囲の登録デバイスを解放します</source>
        <translation>Releases the registered devices of the selected range</translation>
    </message>
    <message>
        <source>ユーザー登録デバイスの数値を０にします</source>
        <translation>Sets the values of the user&apos;s registered devices to 0</translation>
    </message>
    <message>
        <source>登録件数%1/128</source>
        <translation>Registered %1/128</translation>
    </message>
    <message>
        <source>登録データを解放</source>
        <translation>Release registered data</translation>
    </message>
    <message>
        <source>解放する領域を選択してください。</source>
        <translation>Select the area to release.</translation>
    </message>
    <message>
        <source>デバイス登録データを解放しますか？</source>
        <translation>Release the registered devices?</translation>
    </message>
    <message>
        <source>テスト・ランダム</source>
        <translation>Test random</translation>
    </message>
    <message>
        <source>モニター登録</source>
        <translation>Monitor list</translation>
    </message>
    <message>
        <source>書き換えできません</source>
        <translation>Read only</translation>
    </message>
    <message>
        <source>全ての数値を０クリアします</source>
        <translation>Clears every value to 0</translation>
    </message>
</context>
<context>
    <name>MultiView</name>
    <message>
        <source>表示アドレス</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>表示するアドレスを変更します</source>
        <translation>Changes the address shown</translation>
    </message>
    <message>
        <source>表示アドレス設定</source>
        <translation>Address shown</translation>
    </message>
    <message>
        <source>表示アドレス（数値部分）を入力してください</source>
        <translation>Enter the address shown (its number)</translation>
    </message>
    <message>
        <source>&#x3000;～ </source>
        <translation> - </translation>
    </message>
    <message>
        <source> の範囲で、数値入力をやり直してください。</source>
        <translation>: enter a number in this range again.</translation>
    </message>
    <message>
        <source>数値として認識できませんでした</source>
        <translation>Not recognised as a number</translation>
    </message>
    <message>
        <source>デバイス範囲外</source>
        <translation>Device out of range</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Reg.</translation>
    </message>
    <message>
        <source>選択範囲をユーザー登録画面に登録します</source>
        <translation>Registers the selected range in the user window</translation>
    </message>
    <message>
        <source>選択範囲にデータを書き込みます</source>
        <translation>Writes data to the selected range</translation>
    </message>
    <message>
        <source>選択範囲を１にセットします</source>
        <translation>Sets the selected range to 1</translation>
    </message>
    <message>
        <source>選択範囲を０リセットします</source>
        <translation>Resets the selected range to 0</translation>
    </message>
    <message>
        <source>選択範囲をビット反転します</source>
        <translation>Inverts the bits of the selected range</translation>
    </message>
    <message>
        <source>選択デバイスのビットセット</source>
        <translation>Set the bits of the selected devices</translation>
    </message>
    <message>
        <source>選択デバイスのビットリセット</source>
        <translation>Reset the bits of the selected devices</translation>
    </message>
    <message>
        <source>選択範囲に、デバイスが登録されていません。</source>
        <translation>No device is registered in the selected range.</translation>
    </message>
</context>
<context>
    <name>OutputPump</name>
    <message>
        <source>[ombrisal] 標準出力が詰まっていたため、ログ </source>
        <translation>[ombrisal] Standard output was blocked: </translation>
    </message>
    <message>
        <source> 件を出力できませんでした。
</source>
        <translation> log entries could not be written.
</translation>
    </message>
</context>
<context>
    <name>PcSide</name>
    <message>
        <source>コントローラ側の接続先: </source>
        <translation>the controller&apos;s side connects to: </translation>
    </message>
    <message>
        <source>送信 : </source>
        <translation>sent : </translation>
    </message>
    <message>
        <source>受信 : </source>
        <translation>received : </translation>
    </message>
    <message>
        <source>応答がありません</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>応答が途中で途切れました</source>
        <translation>the answer broke off</translation>
    </message>
    <message>
        <source>応答なし</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>要求 </source>
        <translation>requests </translation>
    </message>
    <message>
        <source> 回: 応答 </source>
        <translation>: answers </translation>
    </message>
    <message>
        <source> (うち NAK </source>
        <translation> (NAK </translation>
    </message>
    <message>
        <source>), 無応答 </source>
        <translation>), no answer </translation>
    </message>
    <message>
        <source>応答時間 (ms): 最小 </source>
        <translation>reply time (ms): min </translation>
    </message>
    <message>
        <source> 平均 </source>
        <translation> mean </translation>
    </message>
    <message>
        <source> 最大 </source>
        <translation> max </translation>
    </message>
    <message>
        <source>(応答なし)</source>
        <translation>(no answer)</translation>
    </message>
    <message>
        <source>  記録: </source>
        <translation>  captured: </translation>
    </message>
    <message>
        <source>  今回: </source>
        <translation>  now:      </translation>
    </message>
    <message>
        <source>再生 </source>
        <translation>replayed </translation>
    </message>
    <message>
        <source> 要求: 一致 </source>
        <translation> requests: same </translation>
    </message>
    <message>
        <source>, 相違 </source>
        <translation>, different </translation>
    </message>
    <message>
        <source>: PC の要求が記録されていません</source>
        <translation>: the capture holds no request of the PC</translation>
    </message>
    <message>
        <source>ポート </source>
        <translation>cannot open the port </translation>
    </message>
    <message>
        <source> を開けません: </source>
        <translation>: </translation>
    </message>
</context>
<context>
    <name>PortController</name>
    <message>
        <source>無し</source>
        <translation>None</translation>
    </message>
    <message>
        <source>プロパティの値が不正です。</source>
        <translation>Invalid property value.</translation>
    </message>
    <message>
        <source>ポート番号が不正です！</source>
        <translation>Invalid port number!</translation>
    </message>
    <message>
        <source>ポート№異常</source>
        <translation>Port No. error</translation>
    </message>
    <message>
        <source>COMポート</source>
        <translation>COM port </translation>
    </message>
    <message>
        <source> がオープン出来ませんでした！</source>
        <translation> could not be opened!</translation>
    </message>
    <message>
        <source>設定異常</source>
        <translation>Settings error</translation>
    </message>
    <message>
        <source> の装置が受け付けなかった設定があります:</source>
        <translation> refused some settings:</translation>
    </message>
    <message>
        <source>ポートが開いていません！</source>
        <translation>The port is not open!</translation>
    </message>
    <message>
        <source>未オープン</source>
        <translation>Not open</translation>
    </message>
    <message>
        <source>COMポートがクローズ出来ませんでした！</source>
        <translation>The COM port could not be closed!</translation>
    </message>
    <message>
        <source> の装置が見つからなくなりました。ポートを閉じます。</source>
        <translation> can no longer be found. The port is closed.</translation>
    </message>
    <message>
        <source> が切断されました。</source>
        <translation> was disconnected.</translation>
    </message>
    <message>
        <source>装置を接続し直してから、もう一度ポートオープンしてください。</source>
        <translation>Reconnect the device, then open the port again.</translation>
    </message>
    <message>
        <source>通信異常</source>
        <translation>Line error</translation>
    </message>
    <message>
        <source>偶数</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>奇数</source>
        <translation>Odd</translation>
    </message>
</context>
<context>
    <name>Processor</name>
    <message>
        <source>Error:06H キャラクター部エラー </source>
        <translation>Error:06H Character area error </translation>
    </message>
    <message>
        <source>Error:06H キャラクター部エラー&#x3000;</source>
        <translation>Error:06H Character area error </translation>
    </message>
    <message>
        <source>Error:03H プロトコルエラーです 通信プロトコルが正常でありません</source>
        <translation>Error:03H Protocol error: the protocol is not correct</translation>
    </message>
    <message>
        <source>一旦、ポートを閉じますか？</source>
        <translation>Close the port for now?</translation>
    </message>
    <message>
        <source>コマンド異常です</source>
        <translation>Invalid command</translation>
    </message>
    <message>
        <source>アドレス:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>開始アドレスが範囲外です</source>
        <translation>The start address is out of range</translation>
    </message>
    <message>
        <source>書込数 = </source>
        <translation>Points written = </translation>
    </message>
    <message>
        <source>書込のデータ数が一致しません</source>
        <translation>The number of data written does not match</translation>
    </message>
    <message>
        <source>通信電文異常</source>
        <translation>Message error</translation>
    </message>
    <message>
        <source>A-Z 0-9 spc STX ETX ENQ ACK NAK CR LF GG NN 以外を受信</source>
        <translation>Received something other than A-Z 0-9 spc STX ETX ENQ ACK NAK CR LF GG NN</translation>
    </message>
    <message>
        <source>Error:07H キャラクタエラーです 文字が一致していません</source>
        <translation>Error:07H Character error: characters do not match</translation>
    </message>
    <message>
        <source>ビットデータ: &amp;h</source>
        <translation>Bit data: &amp;h</translation>
    </message>
    <message>
        <source> 書込のデータが２進数以外になっています</source>
        <translation> the data written is not binary</translation>
    </message>
    <message>
        <source>書込のデータが異常です</source>
        <translation>The data written is invalid</translation>
    </message>
    <message>
        <source>の終端文字は、 </source>
        <translation> end character is </translation>
    </message>
    <message>
        <source> です</source>
        <translation>.</translation>
    </message>
    <message>
        <source>Error:03H プロトコルエラーです 終端文字が一致していません</source>
        <translation>Error:03H Protocol error: the end character does not match</translation>
    </message>
    <message>
        <source>開始文字:&amp;H</source>
        <translation>Start character:&amp;H</translation>
    </message>
    <message>
        <source>Error:03H プロトコルエラーです 開始文字が一致していません</source>
        <translation>Error:03H Protocol error: the start character does not match</translation>
    </message>
    <message>
        <source>受信したコード = &amp;h</source>
        <translation>Code received = &amp;h</translation>
    </message>
    <message>
        <source>計算したコード = &amp;h</source>
        <translation>Code computed = &amp;h</translation>
    </message>
    <message>
        <source>Error:02H サムチェック エラーです</source>
        <translation>Error:02H Sum check error</translation>
    </message>
    <message>
        <source>キャラクター部が余計です。</source>
        <translation>The character area is too long.</translation>
    </message>
    <message>
        <source>モニター登録されていません</source>
        <translation>Not registered for monitoring</translation>
    </message>
    <message>
        <source>処理点数 = </source>
        <translation>Points = </translation>
    </message>
    <message>
        <source>許容処理点数オーバーです</source>
        <translation>Too many points</translation>
    </message>
    <message>
        <source>処理点数:</source>
        <translation>Points:</translation>
    </message>
    <message>
        <source> データ数:</source>
        <translation> Data:</translation>
    </message>
    <message>
        <source>処理点数とデータ数が一致しません</source>
        <translation>The points and the data do not match</translation>
    </message>
    <message>
        <source>アドレスが、異常です</source>
        <translation>Invalid address</translation>
    </message>
    <message>
        <source>ワードデバイスにはアクセスできません</source>
        <translation>Word devices cannot be accessed</translation>
    </message>
    <message>
        <source>１６で割り切れません</source>
        <translation>Not divisible by 16</translation>
    </message>
    <message>
        <source>終了アドレスが、範囲外です</source>
        <translation>The end address is out of range</translation>
    </message>
    <message>
        <source>書込のデータが２進数以外になっています</source>
        <translation>The data written is not binary</translation>
    </message>
    <message>
        <source>キャラクター部が、長すぎるか短すぎます</source>
        <translation>The character area is too long or too short</translation>
    </message>
    <message>
        <source>データレングスが一致しません</source>
        <translation>The data length does not match</translation>
    </message>
    <message>
        <source>Error:10H ＰＣ番号エラー</source>
        <translation>Error:10H PC number error</translation>
    </message>
    <message>
        <source>【局番号不一致】 : </source>
        <translation>[Station number mismatch] : </translation>
    </message>
    <message>
        <source>無応答 : </source>
        <translation>No reply : </translation>
    </message>
    <message>
        <source>局番号不一致です、コマンドは無視されます</source>
        <translation>The station number does not match; the command is ignored</translation>
    </message>
    <message>
        <source>【否定応答 受信電文】 : </source>
        <translation>[NAK received message] : </translation>
    </message>
</context>
<context>
    <name>ProjectCommands</name>
    <message>
        <source>バージョンが特定できませんでした。</source>
        <translation>The version could not be determined.</translation>
    </message>
    <message>
        <source>読み出し不可能なプロジェクト</source>
        <translation>Unreadable project</translation>
    </message>
    <message>
        <source>プロジェクトを読み込めませんでした。<byte value="xd"/>
</source>
        <translation>The project could not be read.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>プロジェクトを開く</source>
        <translation>Open project</translation>
    </message>
    <message>
        <source>値の自動変化の設定を読み込めませんでした。<byte value="xd"/>
</source>
        <translation>The value generator settings could not be read.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>旧バージョンのプロジェクトを読み込みますか？</source>
        <translation>Import an old-version project?</translation>
    </message>
    <message>
        <source>インポート</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>旧バージョン・プロジェクトのインポート</source>
        <translation>Import an Old-Version Project</translation>
    </message>
    <message>
        <source>このファイルは現在のバージョンのプロジェクトです。<byte value="xd"/>
</source>
        <translation>This file is a project of the current version.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source><byte value="xd"/>
「プロジェクトを開く」で開いてください。</source>
        <translation><byte value="xd"/>
Open it with &quot;Open project&quot;.</translation>
    </message>
    <message>
        <source>旧バージョンのプロジェクトとして読み込めませんでした。<byte value="xd"/>
</source>
        <translation>The file could not be read as an old-version project.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>プロジェクトのインポートが終了しました</source>
        <translation>The project was imported</translation>
    </message>
    <message>
        <source>プロジェクトを保存できませんでした。<byte value="xd"/>
</source>
        <translation>The project could not be saved.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>（</source>
        <translation> (</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>値の自動変化の設定を保存できませんでした。<byte value="xd"/>
</source>
        <translation>The value generator settings could not be saved.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>コメントを入力してください<byte value="xd"/>
（全角２０文字以内）</source>
        <translation>Enter a comment<byte value="xd"/>
(20 full-width characters at most)</translation>
    </message>
    <message>
        <source>プロジェクトに名前を付けて保存</source>
        <translation>Save project as</translation>
    </message>
    <message>
        <source>正常に終了しました。</source>
        <translation>Done.</translation>
    </message>
    <message>
        <source>プロジェクトを、上書き保存しますか？</source>
        <translation>Overwrite the project?</translation>
    </message>
    <message>
        <source>プロジェクトの上書き保存</source>
        <translation>Overwrite project</translation>
    </message>
    <message>
        <source>プロジェクト上書き保存</source>
        <translation>Save project</translation>
    </message>
    <message>
        <source>スクリプトを保存できませんでした。<byte value="xd"/>
</source>
        <translation>The script could not be saved.<byte value="xd"/>
</translation>
    </message>
</context>
<context>
    <name>ProjectFile</name>
    <message>
        <source>デバイス範囲 </source>
        <translation>Device range </translation>
    </message>
    <message>
        <source>～</source>
        <translation>-</translation>
    </message>
    <message>
        <source>) はこのプログラムでは扱えません。</source>
        <translation>) cannot be handled by this program.</translation>
    </message>
    <message>
        <source> が不正です。</source>
        <translation> is invalid.</translation>
    </message>
    <message>
        <source>セル書式の件数が不正です。</source>
        <translation>The number of cell formats is invalid.</translation>
    </message>
    <message>
        <source> の値 </source>
        <translation> value </translation>
    </message>
    <message>
        <source> はこのプログラムでは扱えません。</source>
        <translation> cannot be handled by this program.</translation>
    </message>
    <message>
        <source>（選択なし）</source>
        <translation>(none selected)</translation>
    </message>
    <message>
        <source>専用プロトコル</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>形式１</source>
        <translation>Format 1</translation>
    </message>
    <message>
        <source>形式２</source>
        <translation>Format 2</translation>
    </message>
    <message>
        <source>形式３</source>
        <translation>Format 3</translation>
    </message>
    <message>
        <source>形式４</source>
        <translation>Format 4</translation>
    </message>
    <message>
        <source>CPUタイプ</source>
        <translation>CPU type</translation>
    </message>
    <message>
        <source>ボーレート</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>パリティ</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>無し</source>
        <translation>None</translation>
    </message>
    <message>
        <source>偶数</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>奇数</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>キャラクタ長</source>
        <translation>Character length</translation>
    </message>
    <message>
        <source>ストップビット</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>局番号</source>
        <translation>Station No.</translation>
    </message>
    <message>
        <source>チェックサム有り</source>
        <translation>Sum check</translation>
    </message>
    <message>
        <source>ハンドシェーク</source>
        <translation>Handshake</translation>
    </message>
    <message>
        <source>受信文字間 Wait</source>
        <translation>Inter-character wait</translation>
    </message>
</context>
<context>
    <name>QtPresenter</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
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
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
</context>
<context>
    <name>ScriptHost</name>
    <message>
        <source>デバイスの書き方が違います: %1</source>
        <translation>not a device: %1</translation>
    </message>
    <message>
        <source>点数は 1 から %1 の整数です</source>
        <translation>points are a whole number from 1 to %1</translation>
    </message>
    <message>
        <source>%1 はデバイスメモリにありません</source>
        <translation>%1 is not in device memory</translation>
    </message>
    <message>
        <source>書き込む値は 1 から %1 個です</source>
        <translation>1 to %1 values can be written</translation>
    </message>
    <message>
        <source>%1 に書き込む値が数ではありません</source>
        <translation>a value to write to %1 is not a number</translation>
    </message>
    <message>
        <source>%1 の 2 番目には関数を渡してください</source>
        <translation>the second argument of %1 must be a function</translation>
    </message>
    <message>
        <source>%1 の時間は 1 から 86400000 ミリ秒です</source>
        <translation>the time of %1 is 1 to 86400000 milliseconds</translation>
    </message>
    <message>
        <source>局 %1 はこの回線にありません</source>
        <translation>station %1 is not on this line</translation>
    </message>
    <message>
        <source>変化の連鎖が %1 段を超えたため打ち切りました</source>
        <translation>a chain of changes went past %1 steps and was cut</translation>
    </message>
    <message>
        <source>処理が %1 ms を超えたため中断しました（無限ループの可能性があります）</source>
        <translation>the handler ran longer than %1 ms and was interrupted (an endless loop?)</translation>
    </message>
</context>
<context>
    <name>ServeMode</name>
    <message>
        <source>形式%1</source>
        <translation>format %1</translation>
    </message>
    <message>
        <source>【通信統計】</source>
        <translation>[Traffic statistics]</translation>
    </message>
    <message>
        <source>使い方: ombrisal [FILE | --serve PORT [オプション] | ctl SOCKET COMMAND... | -V | -h]
       ombrisal send|poll|replay ...   （PC プログラムの側: send --help）

引数がなければ Ombrisal はメインウィンドウを開き、プロジェクト FILE を指定
するとそのプロジェクトを開きます。ctl は動作中の Ombrisal の制御ソケット
（--control）へ COMMAND を送り、JSON の応答を表示して終了します（終了
ステータスは成功 0、wait-change の時間切れ 3、エラー 1）。COMMAND:
get DEVICE [POINTS], set DEVICE VALUE..., load PROJECT, save PROJECT,
export FILE, import FILE, fault add RULE, fault clear, stats,
wait-change DEVICE TIMEOUT_MS, script load FILE, script stop,
script status, quit。
DEVICE は先頭の局のデバイスで、ほかの局は NN:DEVICE（01:D100）と書きます。
相対パスの PROJECT と FILE は ctl を実行したフォルダから探します。export は
0 でないデバイス値を書き出し、import はファイルにあるデバイス値をすべて
設定します（全部か、何も設定しないか。CSV の device,value、名前が .json
で終われば JSON）。

--serve PORT   ウィンドウを開かずに PORT で計算機リンクに応答し、SIGINT か
               SIGTERM を受けるとポートを閉じて 0 で終了します。PORT は COMn
               （1-16、設定ファイルの対応どおり）、/dev/ttyUSB0 のような
               デバイスのパス、または仮想ポート pty:PATH（相手側が PATH に
               現れる疑似端末）です。TCP の回線も使えます: tcp:PORT（127.0.0.1
               で待ち受け）と tcp:HOST:PORT は一度に一つのクライアントに応答し
               二つ目は拒否します。tcp-connect:ADDRESS:PORT は数値のアドレス
               （または localhost）のデバイスサーバーに接続します。
オプション（値は次の引数か = の後に書きます。例 --wait=10）:
  --format 1|2|3|4      専用プロトコルの形式（既定 1）
  --cpu ACPU|AnACPU     受け付けるコマンドの種類（既定 ACPU）
  --station NN[,NN...]  自局の局番、16 進 2 桁（既定 00）。リスト（00,01,05）
                        ではマルチドロップ回線の各局として応答し、局ごとに
                        デバイスメモリと登録リストを持ちます。--project が
                        読み込むのは先頭の局です
  --pc NN               自局の PC 番号（既定 FF）
  --sum | --no-sum      サムチェック有り・無し（既定 有り）
  --no-check            文法チェックをしない: チェックせずに実行します
  --wait MS             受信文字間 Wait、2-500 ミリ秒（既定 40）
  --line B,P,D,S        回線の設定、例 9600,n,8,1 や 19200,e,7,2:
                        通信速度 B は %1 のどれか、
                        パリティ P は n, e, o, m, s、データビット D は 5-8、
                        ストップビット S は 1 か 2（既定 9600,n,8,1）
  --handshake 0-3       無し、XON/XOFF、RTS/CTS、両方（既定 0）
  --project FILE        応答するプロジェクト: デバイスメモリ、登録リスト、
                        コメント、リンク設定（ここで指定したオプションが優先）
  --project NN=FILE     ほかの局のプロジェクト: デバイスメモリと登録リスト
                        だけ（繰り返し指定できます）
  --save-on-exit FILE   停止したとき、状態をプロジェクトファイルに書きます
                        （全体か、何も書かないか）。コメントと値の自動変化の
                        ファイルも書きます
  --save-on-exit NN=FILE  ほかの局について同じことをします（繰り返し指定可）
  --fault RULE          一致した応答に障害を注入します（繰り返し指定可）。例
                        drop,cmd=WR  nak=06,dev=D100-D199  delay=300,every=5
                        badsum  flip,at=3  insert=41  split=50,at=4  twice,p=0.1
  --faults FILE         規則ファイル: 1 行に 1 規則、# で注釈、&quot;seed N&quot;
  --fault-seed N        規則の確率のシード（既定 1）
  --sim FILE            実行する値の自動変化（1 行に 1 つ。例
                        counter D100 step=1 min=0 max=999 period=100,
                        square X0 period=1000 duty=0.5, follow Y10 source=X0
                        delay=200）。プロジェクトの横のファイル（NAME_Sim.txt）
                        の代わりに使います。station=NN でほかの局を動かします
  --script FILE         制御側のプログラム: プログラムの時計で動く JavaScript
                        のファイル（on, every, after, get, set, log, station。
                        docs/scripting.md を参照）。プロジェクトの横のファイル
                        （NAME_Script.js）の代わりに使います。log の行とエラーは
                        標準エラー出力に書きます
  --record FILE         デバイスメモリの変化をすべて CSV で FILE に書きます
                        （time_ms,device,value、変化のたびに書き出し）。複数の
                        局では time_ms,station,device,value
  --pace                仮想ポートと TCP の回線で、応答を --line の設定
                        （スタート、データ、パリティ、ストップビット）の速度で
                        送ります
  --control PATH        テストスクリプトの指令を、PATH に作る所有者専用の
                        Unix ソケットで待ち受けます（上の ctl を参照）
  --ready-fd N          ポートを開き、--control のソケットが待ち受けを始めたら
                        バナーの行をファイル記述子 N に書いて閉じます
                        （スクリプトやスーパーバイザーが待つため）
  --stats text|json|none  終了時、標準出力の最後に通信統計を書きます: 数行の
                        テキスト（既定）、最後の行に JSON オブジェクト一つ、
                        または何も書かない
  --ini FILE            設定ファイル。作業フォルダはその横に作ります
                        （既定: プログラムの横の Init.ini、インストールした
                        ときは ~/.config/ombrisal/Init.ini）
  --no-reopen           装置がなくなったらポートを閉じて待ちます
                        （既定: 1 秒ごとに開き直します）
  --log-format text|decoded|jsonl  標準出力: 制御文字を名前で書いた通信ログ
                        （既定）、電文ごとの解読（WR D0100 ×4 → 0001 0002
                        0003 0004）、または電文ごとに JSON オブジェクト一つ
                        （時刻、方向、局、コマンド、デバイス、点数、バイト、
                        応答、応答時間）。jsonl ではバナーとテキストの統計は
                        標準エラー出力に書きます
  --capture FILE        すべての電文を JSON の行で FILE に書きます
                        （ombrisal replay のため）
  --values FILE         プロジェクトを読み込んだ後、FILE のデバイス値を設定
                        します（CSV の device,value か JSON {&quot;D100&quot;:1}）。
                        誤った行は名前を挙げ、1 で終了します
  --tcp-idle-timeout S  TCP の回線で、S 秒間何も送らないクライアントを切断し
                        次のクライアントが接続できるようにします（既定: 無制限）
  --options-file FILE   オプションを FILE から読みます。1 行に 1 つ、値は空白の
                        後（--serve /dev/ttyUSB0）、# で注釈。ユニット
                        ombrisal@NAME.service はこの形で /etc/ombrisal/NAME.conf
                        を使います
  --lang ja|en          画面と出力の言語（既定: 設定ファイルの [表示言語]
                        Language=、なければ LC_ALL、LC_MESSAGES、LANG の最初に
                        設定されたものが en で始まれば英語、ほかは日本語）
  -V, --version         プログラムのバージョン
  -h, --help            この説明

通信ログは標準出力に書きます（制御文字は名前で、1 行に 1 項目、時刻付き）。
メッセージは標準エラー出力に書きます。読み手が遅れても応答は止まりません。
受け取られなかった分は捨てて数え、読み手がいなくなったことは一度だけ伝えます。

終了ステータス:
  0  --serve: SIGINT、SIGTERM、SIGHUP か ctl quit で停止（起動中も。その
     ときは何も保存しません）。ウィンドウ: 閉じた。ctl: コマンドが成功
     した。--help と --version
  1  --serve: ポートか制御ソケットを開けない、プロジェクトを読めない、
     終了時に状態を保存できない、または --record の行が失われた。
     ウィンドウ: 設定ファイルがない。ctl: 応答がエラーを伝えた、または
     応答が来なかった
  2  オプションの誤り（コマンドのない ctl も）、読めないオプション
     ファイル、または使えない設定ファイル
  3  ctl: wait-change が時間切れになった
</source>
        <translation>Usage: ombrisal [FILE | --serve PORT [options] | ctl SOCKET COMMAND... | -V | -h]
       ombrisal send|poll|replay ...   (the PC program&apos;s side: send --help)

Without arguments Ombrisal opens its main window; with a project FILE it
opens that project in it.  ctl sends COMMAND to the control socket of a
running Ombrisal (--control), prints the JSON answer and exits 0, 3 when
a wait-change timed out, or 1 with the error: get DEVICE [POINTS], set
DEVICE VALUE..., load PROJECT, save PROJECT, export FILE, import FILE,
fault add RULE, fault clear, stats, wait-change DEVICE TIMEOUT_MS, script
load FILE, script stop, script status, quit.  A DEVICE is the first
station&apos;s, or another&apos;s written NN:DEVICE (01:D100).  A relative PROJECT
or FILE is taken from the folder ctl runs in.  export writes the device
values that are not 0 and import sets those a file names, all or nothing
(CSV device,value, or JSON for a name ending in .json).

--serve PORT   Serve the computer link on PORT without any window until
               SIGINT or SIGTERM, then close the port and exit 0.  PORT is
               COMn (1-16, mapped as in the settings file), a device path
               such as /dev/ttyUSB0, or pty:PATH for a virtual port: a
               pseudo-terminal whose other end appears at PATH.  PORT may
               also be a TCP line: tcp:PORT (listening on 127.0.0.1) or
               tcp:HOST:PORT serve one client at a time and refuse a
               second; tcp-connect:ADDRESS:PORT connects to a device
               server at a numeric address (or localhost).
Options (a value follows as the next argument or after =, --wait=10):
  --format 1|2|3|4      protocol format (default 1)
  --cpu ACPU|AnACPU     command sets accepted (default ACPU)
  --station NN[,NN...]  own station number, two hexadecimal digits (default 00);
                        a list (00,01,05) answers as each of those stations
                        of a multi-drop line, each with its own device memory
                        and lists; the first is the one --project loads
  --pc NN               own PC number (default FF)
  --sum | --no-sum      sum check on or off (default on)
  --no-check            unchecked mode: execute without the grammar checks
  --wait MS             receive inter-character wait, 2-500 ms (default 40)
  --line B,P,D,S        line settings, e.g. 9600,n,8,1 or 19200,e,7,2:
                        rate B one of %1,
                        parity P n, e, o, m or s, data bits D 5-8, stop bits S
                        1 or 2 (default 9600,n,8,1)
  --handshake 0-3       none, XON/XOFF, RTS/CTS, both (default 0)
  --project FILE        project to serve: its device memory, lists, comments
                        and link settings (options given here win)
  --project NN=FILE     a further station&apos;s project: its device memory and
                        lists only (repeatable)
  --save-on-exit FILE   when stopped, write the state as a project file
                        (whole or not at all), with its comment and
                        generator files
  --save-on-exit NN=FILE  the same for a further station (repeatable)
  --fault RULE          inject a fault into matching replies (repeatable), e.g.
                        drop,cmd=WR  nak=06,dev=D100-D199  delay=300,every=5
                        badsum  flip,at=3  insert=41  split=50,at=4  twice,p=0.1
  --faults FILE         rules file: one rule a line, # comments, &quot;seed N&quot;
  --fault-seed N        seed of the rules&apos; probabilities (default 1)
  --sim FILE            value generators to run (one a line, e.g.
                        counter D100 step=1 min=0 max=999 period=100,
                        square X0 period=1000 duty=0.5, follow Y10 source=X0
                        delay=200); they take the place of those a project
                        keeps beside it (NAME_Sim.txt); station=NN makes one
                        drive a further station
  --script FILE         the controller&apos;s program: a JavaScript file run on the
                        program&apos;s clock (on, every, after, get, set, log,
                        station; see docs/scripting.md), in place of the one
                        a project keeps beside it (NAME_Script.js); its log
                        lines and errors go to standard error
  --record FILE         write every change of device memory to FILE as CSV
                        (time_ms,device,value), flushed as it happens; with
                        several stations, time_ms,station,device,value
  --pace                on a virtual or TCP line, send replies at the speed of
                        the --line settings (start, data, parity, stop bits)
  --control PATH        listen for a test script&apos;s commands on a Unix socket
                        created at PATH for the owner only (see ctl above)
  --ready-fd N          once the port is open and the --control socket
                        listens, write the banner line to file descriptor N
                        and close it, for a script or supervisor to wait on
  --stats text|json|none  at exit, end standard output with the traffic
                        statistics: a few lines of text (default), one JSON
                        object on the last line, or nothing
  --ini FILE            settings file; the working folders go beside it
                        (default: Init.ini beside the program, or when
                        installed ~/.config/ombrisal/Init.ini)
  --no-reopen           when the device goes away, close the port and wait
                        (default: try to open it again every second)
  --log-format text|decoded|jsonl  standard output: the traffic log with
                        control characters named (default), each frame
                        read out (WR D0100 ×4 → 0001 0002 0003 0004), or
                        one JSON object a frame (time, direction, station,
                        command, device, points, bytes, reply, latency);
                        with jsonl the banner and text statistics go to
                        standard error
  --capture FILE        write every frame to FILE as JSON lines, for
                        ombrisal replay
  --values FILE         set device values from FILE (CSV device,value or
                        JSON {&quot;D100&quot;:1}) after the project is loaded; a
                        bad line is named and the program ends with 1
  --tcp-idle-timeout S  on a TCP line, disconnect a client that has sent
                        nothing for S seconds, so the next may connect
                        (default: no limit)
  --options-file FILE   read options from FILE, one a line with its value
                        after a blank (--serve /dev/ttyUSB0), # comments;
                        the unit ombrisal@NAME.service serves
                        /etc/ombrisal/NAME.conf this way
  --lang ja|en          the language of the windows and of what is printed
                        (default: the settings file&apos;s [表示言語] Language=,
                        else English when the first of LC_ALL, LC_MESSAGES
                        and LANG that is set begins with en, else Japanese)
  -V, --version         the program&apos;s version
  -h, --help            this text

The traffic log is written to standard output (control characters named,
one entry per line, with time stamps); messages go to standard error.  A
reader that falls behind never holds up serving: what it cannot take is
dropped and counted; a reader that has gone is reported once.

Exit status:
  0  --serve: stopped by SIGINT, SIGTERM, SIGHUP or ctl quit, also during
     start-up (then nothing is saved); the window closed; ctl: the
     command succeeded; --help and --version
  1  --serve: the port or the control socket cannot be opened, a project
     cannot be read, the state cannot be saved at the end, or --record
     rows were lost; the window: no settings file; ctl: the
     answer reports an error, or no answer came
  2  bad options (ctl without a command included), an options file that
     cannot be read, or an unusable settings file
  3  ctl: a wait-change timed out
</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>値がありません</source>
        <translation>No value</translation>
    </message>
    <message>
        <source>「先頭-最終」の形ではありません</source>
        <translation>Not in the form &quot;first-last&quot;</translation>
    </message>
    <message>
        <source>デバイス記号が </source>
        <translation>The device code is not </translation>
    </message>
    <message>
        <source> ではありません</source>
        <translation>.</translation>
    </message>
    <message>
        <source>「</source>
        <translation>&quot;</translation>
    </message>
    <message>
        <source>」の番号が </source>
        <translation>&quot;: its number is not a base-</translation>
    </message>
    <message>
        <source> 進の数字ではありません</source>
        <translation> number</translation>
    </message>
    <message>
        <source>先頭が最終より後ろです</source>
        <translation>The first comes after the last</translation>
    </message>
    <message>
        <source> (キーがありません)</source>
        <translation> (no such key)</translation>
    </message>
    <message>
        <source>（</source>
        <translation> (</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>初期設定ファイル<byte value="xd"/>
</source>
        <translation>The settings file<byte value="xd"/>
</translation>
    </message>
    <message>
        <source><byte value="xd"/>
が見つかりませんでした。<byte value="xd"/>
インストールをやり直してください。<byte value="xd"/>
</source>
        <translation><byte value="xd"/>
was not found.<byte value="xd"/>
Install the program again.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>初期設定ファイル異常</source>
        <translation>Settings file error</translation>
    </message>
    <message>
        <source>数値ではありません（</source>
        <translation>Not a number (read as </translation>
    </message>
    <message>
        <source> として読みます）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>0 から </source>
        <translation>Must be one of 0 to </translation>
    </message>
    <message>
        <source> のどれかでなければなりません（</source>
        <translation> (</translation>
    </message>
    <message>
        <source>0 として読みます</source>
        <translation>read as 0</translation>
    </message>
    <message>
        <source>1 として読みます</source>
        <translation>read as 1</translation>
    </message>
    <message>
        <source>どれも選ばれません</source>
        <translation>none is chosen</translation>
    </message>
    <message>
        <source>1 以上の数でなければなりません（ページ数を計算できません）</source>
        <translation>Must be 1 or more (the number of pages cannot be computed)</translation>
    </message>
    <message>
        <source>UTF-8 として読めない文字があります（この行は使われません）</source>
        <translation>Has characters that cannot be read as UTF-8 (the line is not used)</translation>
    </message>
    <message>
        <source>読めない文字があります</source>
        <translation>Has characters that cannot be read</translation>
    </message>
    <message>
        <source>出荷時の範囲 </source>
        <translation>The factory range </translation>
    </message>
    <message>
        <source> を使います</source>
        <translation> is used</translation>
    </message>
    <message>
        <source>システムログフォルダが作成出来きませんでした。</source>
        <translation>The system log folder could not be created.</translation>
    </message>
    <message>
        <source>システムログフォルダの確認</source>
        <translation>System log folder</translation>
    </message>
    <message>
        <source>通信ログフォルダが作成出来きませんでした。</source>
        <translation>The traffic log folder could not be created.</translation>
    </message>
    <message>
        <source>通信ログフォルダの確認</source>
        <translation>Traffic log folder</translation>
    </message>
    <message>
        <source>プロジェクトフォルダが作成出来きませんでした。</source>
        <translation>The project folder could not be created.</translation>
    </message>
    <message>
        <source>プロジェクトフォルダの確認</source>
        <translation>Project folder</translation>
    </message>
    <message>
        <source><byte value="xd"/>
Init.ini ファイルを見直してください。<byte value="xd"/>
</source>
        <translation><byte value="xd"/>
Check the Init.ini file.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>%1 行目)</source>
        <translation>line %1)</translation>
    </message>
    <message>
        <source>%1 行目) = &quot;</source>
        <translation>line %1) = &quot;</translation>
    </message>
</context>
<context>
    <name>Stations</name>
    <message>
        <source>局番 &quot;</source>
        <translation>Station &quot;</translation>
    </message>
    <message>
        <source>&quot; は 16 進 2 桁（大文字）で指定してください（例 00,01,1F）</source>
        <translation>&quot; must be two hexadecimal digits (capitals) (e.g. 00,01,1F)</translation>
    </message>
    <message>
        <source>局番 </source>
        <translation>Station </translation>
    </message>
    <message>
        <source> が重複しています</source>
        <translation> is given twice</translation>
    </message>
    <message>
        <source>局番が指定されていません</source>
        <translation>No station is given</translation>
    </message>
</context>
<context>
    <name>TrafficLog</name>
    <message>
        <source>【Comm Port 異常】 : </source>
        <translation>[Comm Port error] : </translation>
    </message>
    <message>
        <source>通信ログ保存</source>
        <translation>Save Traffic Log</translation>
    </message>
    <message>
        <source>【</source>
        <translation>[</translation>
    </message>
    <message>
        <source>】<byte value="xd"/>
</source>
        <translation>]<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>コメントを入力してください</source>
        <translation>Enter a comment</translation>
    </message>
    <message>
        <source>コメントはファイル名の一部になるため、次の文字は使えません。</source>
        <translation>The comment becomes part of the file name, so these characters cannot be used:</translation>
    </message>
    <message>
        <source>/ \ : * ? &quot; &lt; &gt; | 、&quot;..&quot;、制御文字</source>
        <translation>/ \ : * ? &quot; &lt; &gt; | 、 &quot;..&quot; control characters</translation>
    </message>
    <message>
        <source>保存を中止しました。</source>
        <translation>Saving was cancelled.</translation>
    </message>
    <message>
        <source>へ書き込めませんでした。</source>
        <translation>could not be written.</translation>
    </message>
    <message>
        <source>へ書き込み完了しました。</source>
        <translation>was written.</translation>
    </message>
</context>
<context>
    <name>Transport</name>
    <message>
        <source>ポートは既に開かれています。</source>
        <translation>The port is already open.</translation>
    </message>
    <message>
        <source>ポート番号が不正です。</source>
        <translation>Invalid port number.</translation>
    </message>
    <message>
        <source>ポートが開いていません。</source>
        <translation>The port is not open.</translation>
    </message>
    <message>
        <source>TCP のポート番号がありません。</source>
        <translation>No TCP port number.</translation>
    </message>
    <message>
        <source>TCP の接続先は数値のアドレスで指定してください（例 192.168.0.20:4001）。</source>
        <translation>Give the TCP peer as a numeric address (e.g. 192.168.0.20:4001).</translation>
    </message>
    <message>
        <source>TCP のアドレスが見つかりません。</source>
        <translation>The TCP address cannot be found.</translation>
    </message>
    <message>
        <source>TCP のポートは使用中です。</source>
        <translation>The TCP port is in use.</translation>
    </message>
    <message>
        <source>TCP で接続できません。</source>
        <translation>Cannot connect over TCP.</translation>
    </message>
    <message>
        <source>TCP で接続できません: </source>
        <translation>Cannot connect over TCP: </translation>
    </message>
    <message>
        <source>TCP 接続を拒否しました（接続中のクライアントがあります）: </source>
        <translation>TCP connection refused (a client is connected): </translation>
    </message>
    <message>
        <source>TCP 接続: </source>
        <translation>TCP connection: </translation>
    </message>
    <message>
        <source>TCP 切断（</source>
        <translation>TCP disconnected (nothing received for </translation>
    </message>
    <message>
        <source> 秒間受信なし）</source>
        <translation> s)</translation>
    </message>
    <message>
        <source>TCP 切断</source>
        <translation>TCP disconnected</translation>
    </message>
    <message>
        <source>プロパティの値が不正です。</source>
        <translation>Invalid property value.</translation>
    </message>
    <message>
        <source>ポートは使用中です。</source>
        <translation>The port is in use.</translation>
    </message>
    <message>
        <source>ポートが見つかりません。</source>
        <translation>The port cannot be found.</translation>
    </message>
    <message>
        <source>シリアルポートではありません。</source>
        <translation>Not a serial port.</translation>
    </message>
    <message>
        <source>仮想ポートのパスがありません。</source>
        <translation>No path for the virtual port.</translation>
    </message>
    <message>
        <source>仮想ポートを作成できません。</source>
        <translation>The virtual port cannot be created.</translation>
    </message>
    <message>
        <source>仮想ポートのパスは別のファイルが使っています。</source>
        <translation>Another file uses the path of the virtual port.</translation>
    </message>
    <message>
        <source>仮想ポートのパスを作成できません。</source>
        <translation>The path of the virtual port cannot be created.</translation>
    </message>
    <message>
        <source>ボーレート </source>
        <translation>baud rate </translation>
    </message>
    <message>
        <source>データ長 </source>
        <translation>data bits </translation>
    </message>
    <message>
        <source>パリティ </source>
        <translation>parity </translation>
    </message>
    <message>
        <source>ストップビット </source>
        <translation>stop bits </translation>
    </message>
    <message>
        <source>RTS/CTS フロー制御</source>
        <translation>RTS/CTS flow control</translation>
    </message>
    <message>
        <source>デバイス I/O エラーです。</source>
        <translation>Device I/O error.</translation>
    </message>
</context>
<context>
    <name>ViewFamily</name>
    <message>
        <source>タイマー（現在値）&#x3000;ＴＮ</source>
        <translation>Timer (current value)  TN</translation>
    </message>
    <message>
        <source>カウンタ（現在値）&#x3000;ＣＮ</source>
        <translation>Counter (current value)  CN</translation>
    </message>
    <message>
        <source>データレジスタＤ</source>
        <translation>Data register D</translation>
    </message>
    <message>
        <source>リンクレジスタ&#x3000;Ｗ</source>
        <translation>Link register  W</translation>
    </message>
    <message>
        <source>ファイルレジスタ&#x3000;Ｒ</source>
        <translation>File register  R</translation>
    </message>
    <message>
        <source>特殊レジスタ&#x3000;D</source>
        <translation>Special register  D</translation>
    </message>
    <message>
        <source>入力&#x3000;Ｘ</source>
        <translation>Input  X</translation>
    </message>
    <message>
        <source>出力&#x3000;Ｙ</source>
        <translation>Output  Y</translation>
    </message>
    <message>
        <source>内部リレーＭ</source>
        <translation>Internal relay M</translation>
    </message>
    <message>
        <source>ラッチリレー&#x3000;Ｌ</source>
        <translation>Latch relay  L</translation>
    </message>
    <message>
        <source>ステップリレー&#x3000;Ｓ</source>
        <translation>Step relay  S</translation>
    </message>
    <message>
        <source>リンクリレーＢ</source>
        <translation>Link relay B</translation>
    </message>
    <message>
        <source>アナンシェータ&#x3000;Ｆ</source>
        <translation>Annunciator  F</translation>
    </message>
    <message>
        <source>特殊リレー&#x3000;Ｍ</source>
        <translation>Special relay  M</translation>
    </message>
    <message>
        <source>タイマー（接点）&#x3000;ＴＳ</source>
        <translation>Timer (contact)  TS</translation>
    </message>
    <message>
        <source>タイマー（コイル）&#x3000;ＴＣ</source>
        <translation>Timer (coil)  TC</translation>
    </message>
    <message>
        <source>カウンタ（接点）&#x3000;ＣＳ</source>
        <translation>Counter (contact)  CS</translation>
    </message>
    <message>
        <source>カウンタ（コイル）&#x3000;ＣＣ</source>
        <translation>Counter (coil)  CC</translation>
    </message>
    <message>
        <source>データレジスタ Ｄ</source>
        <translation>Data register  D</translation>
    </message>
    <message>
        <source>リンクレジスタ&#x3000;W</source>
        <translation>Link register  W</translation>
    </message>
    <message>
        <source>ファイルレジスタ R</source>
        <translation>File register  R</translation>
    </message>
    <message>
        <source>特殊データレジスタ Ｄ</source>
        <translation>Special data register  D</translation>
    </message>
    <message>
        <source>ユーザー設定</source>
        <translation>User settings</translation>
    </message>
    <message>
        <source>テスト・モニター画面</source>
        <translation>Test Monitor</translation>
    </message>
    <message>
        <source>リンクレジスタＷ</source>
        <translation>Link register W</translation>
    </message>
    <message>
        <source>入力Ｘ</source>
        <translation>Input X</translation>
    </message>
    <message>
        <source>出力Ｙ</source>
        <translation>Output Y</translation>
    </message>
    <message>
        <source>ラッチリレーＬ</source>
        <translation>Latch relay L</translation>
    </message>
    <message>
        <source>ステップリレーＳ</source>
        <translation>Step relay S</translation>
    </message>
    <message>
        <source>アナンシェータＦ</source>
        <translation>Annunciator F</translation>
    </message>
</context>
<context>
    <name>ViewManager</name>
    <message>
        <source>デバイス画面のサイズ、表示位置を初期化しますか？</source>
        <translation>Reset the size and position of the device windows?</translation>
    </message>
    <message>
        <source>デバイス画面初期化</source>
        <translation>Reset device windows</translation>
    </message>
    <message>
        <source>セルのプロパティを初期化しますか？</source>
        <translation>Reset the cell properties?</translation>
    </message>
    <message>
        <source>セル・プロパティ初期化</source>
        <translation>Reset cell properties</translation>
    </message>
    <message>
        <source>デバイス点数設定</source>
        <translation>Devices per page</translation>
    </message>
    <message>
        <source>１ページあたりのデバイス点数を入力してください</source>
        <translation>Enter the number of devices per page</translation>
    </message>
</context>
<context>
    <name>WordBitView</name>
    <message>
        <source>入力エラー</source>
        <translation>Input error</translation>
    </message>
    <message>
        <source>選択範囲範囲外</source>
        <translation>Selection out of range</translation>
    </message>
    <message>
        <source>選択範囲が無効です、[Dec][Hex]を選択してくださいい。</source>
        <translation>The selection is invalid; select [Dec] or [Hex].</translation>
    </message>
</context>
<context>
    <name>WordView</name>
    <message>
        <source>１６進数で入力してください</source>
        <translation>Enter hexadecimal numbers</translation>
    </message>
    <message>
        <source>１０進数で入力してください</source>
        <translation>Enter decimal numbers</translation>
    </message>
    <message>
        <source><byte value="xd"/>
ステップ数は，カンマで区切ります</source>
        <translation><byte value="xd"/>
Separate steps with commas</translation>
    </message>
    <message>
        <source>文字列で入力してください。</source>
        <translation>Enter text.</translation>
    </message>
    <message>
        <source>セル範囲未選択／未選択</source>
        <translation>No cell range selected</translation>
    </message>
    <message>
        <source>[Device Comment]以外のセル範囲を選択してください。</source>
        <translation>Select cells other than [Device Comment].</translation>
    </message>
    <message>
        <source>セル範囲選択異常</source>
        <translation>Invalid cell selection</translation>
    </message>
    <message>
        <source>１つの列を選択してください。</source>
        <translation>Select a single column.</translation>
    </message>
    <message>
        <source>入力エラー</source>
        <translation>Input error</translation>
    </message>
    <message>
        <source>全データを </source>
        <translation>Every value is set to </translation>
    </message>
    <message>
        <source>&#x3000;で初期化します！<byte value="xd"/>
＜注意＞ 選択範囲に関係なく全データを初期化します！</source>
        <translation>!<byte value="xd"/>
&lt;Caution&gt; All data is initialised, whatever the selection!</translation>
    </message>
    <message>
        <source>選択範囲にデータを書き込みます</source>
        <translation>Writes data to the selected range</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Reg.</translation>
    </message>
    <message>
        <source>選択範囲をユーザー登録画面に登録します</source>
        <translation>Registers the selected range in the user window</translation>
    </message>
    <message>
        <source>←</source>
        <translation>←</translation>
    </message>
    <message>
        <source>表示アドレスを変更します</source>
        <translation>Changes the address shown</translation>
    </message>
</context>
</TS>
