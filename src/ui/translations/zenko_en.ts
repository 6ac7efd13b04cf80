<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AboutDialog</name>
    <message>
        <source>ZENKOのﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About ZENKO</translation>
    </message>
</context>
<context>
    <name>CalibrationDialog</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>方位角－１（度）</source>
        <translation>Az 1 (deg)</translation>
    </message>
    <message>
        <source>仰角－１（度）</source>
        <translation>El 1 (deg)</translation>
    </message>
    <message>
        <source>方位角電圧－１（V)</source>
        <translation>Az voltage 1 (V)</translation>
    </message>
    <message>
        <source>仰角電圧－１（V)</source>
        <translation>El voltage 1 (V)</translation>
    </message>
    <message>
        <source>方位角－２（度）</source>
        <translation>Az 2 (deg)</translation>
    </message>
    <message>
        <source>仰角－２（度）</source>
        <translation>El 2 (deg)</translation>
    </message>
    <message>
        <source>方位角電圧－２（V)</source>
        <translation>Az voltage 2 (V)</translation>
    </message>
    <message>
        <source>仰角電圧－２（V)</source>
        <translation>El voltage 2 (V)</translation>
    </message>
    <message>
        <source>校正-１</source>
        <translation>Calibration point 1</translation>
    </message>
    <message>
        <source>校正-２</source>
        <translation>Calibration point 2</translation>
    </message>
</context>
<context>
    <name>ControllerTitle</name>
    <message>
        <source>アンテナコントローラ</source>
        <translation>Antenna Controller</translation>
    </message>
    <message>
        <source>方位角 応答なし</source>
        <translation>azimuth not responding</translation>
    </message>
    <message>
        <source>仰角 応答なし</source>
        <translation>elevation not responding</translation>
    </message>
    <message>
        <source>方位角・仰角 応答なし</source>
        <translation>azimuth and elevation not responding</translation>
    </message>
    <message>
        <source>方位角 逆回転</source>
        <translation>azimuth reversed</translation>
    </message>
    <message>
        <source>仰角 逆回転</source>
        <translation>elevation reversed</translation>
    </message>
    <message>
        <source>方位角・仰角 逆回転</source>
        <translation>azimuth and elevation reversed</translation>
    </message>
    <message>
        <source>方位角 動きなし</source>
        <translation>azimuth stalled</translation>
    </message>
    <message>
        <source>仰角 動きなし</source>
        <translation>elevation stalled</translation>
    </message>
    <message>
        <source>方位角・仰角 動きなし</source>
        <translation>azimuth and elevation stalled</translation>
    </message>
    <message>
        <source>方位角 目標制限中</source>
        <translation>azimuth target at limit</translation>
    </message>
    <message>
        <source>仰角 目標制限中</source>
        <translation>elevation target at limit</translation>
    </message>
    <message>
        <source>方位角・仰角 目標制限中</source>
        <translation>azimuth and elevation targets at limit</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>FieldExchange</name>
    <message>
        <source>整数を入力してください。</source>
        <translation>Please enter an integer.</translation>
    </message>
    <message>
        <source>正の整数を入力してください。</source>
        <translation>Please enter a positive integer.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>バイナリー設定値受信ポート</source>
        <translation>Binary set-value port</translation>
    </message>
    <message>
        <source>制御周期（秒）</source>
        <translation>Interval (s)</translation>
    </message>
    <message>
        <source>現在値</source>
        <translation>Current values</translation>
    </message>
    <message>
        <source>方位角（度）</source>
        <translation>Az (deg)</translation>
    </message>
    <message>
        <source>仰角（度）</source>
        <translation>El (deg)</translation>
    </message>
    <message>
        <source>現在値 方位角（度）</source>
        <translation>Current azimuth (deg)</translation>
    </message>
    <message>
        <source>現在値 仰角（度）</source>
        <translation>Current elevation (deg)</translation>
    </message>
    <message>
        <source>方位角電圧（Ｖ）</source>
        <translation>Az voltage (V)</translation>
    </message>
    <message>
        <source>仰角電圧（Ｖ）</source>
        <translation>El voltage (V)</translation>
    </message>
    <message>
        <source>現在値 方位角電圧（Ｖ）</source>
        <translation>Current azimuth voltage (V)</translation>
    </message>
    <message>
        <source>現在値 仰角電圧（Ｖ）</source>
        <translation>Current elevation voltage (V)</translation>
    </message>
    <message>
        <source>偏差値</source>
        <translation>Errors</translation>
    </message>
    <message>
        <source>仰角(度）</source>
        <translation>El (deg)</translation>
    </message>
    <message>
        <source>偏差値 方位角（度）</source>
        <translation>Azimuth error (deg)</translation>
    </message>
    <message>
        <source>偏差値 仰角(度）</source>
        <translation>Elevation error (deg)</translation>
    </message>
    <message>
        <source>制御値</source>
        <translation>Drive (ms)</translation>
    </message>
    <message>
        <source>方位角</source>
        <translation>Az</translation>
    </message>
    <message>
        <source>制御値 方位角 正偏差</source>
        <translation>Azimuth drive for a positive error (ms)</translation>
    </message>
    <message>
        <source>制御値 方位角 負偏差</source>
        <translation>Azimuth drive for a negative error (ms)</translation>
    </message>
    <message>
        <source>仰角</source>
        <translation>El</translation>
    </message>
    <message>
        <source>制御値 仰角 正偏差</source>
        <translation>Elevation drive for a positive error (ms)</translation>
    </message>
    <message>
        <source>制御値 仰角 負偏差</source>
        <translation>Elevation drive for a negative error (ms)</translation>
    </message>
    <message>
        <source>出力</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>出力 方位角</source>
        <translation>Azimuth output</translation>
    </message>
    <message>
        <source>出力 仰角</source>
        <translation>Elevation output</translation>
    </message>
    <message>
        <source>選択</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>選択 ローカル１設定値</source>
        <translation>Select local preset 1</translation>
    </message>
    <message>
        <source>選択 ローカル設定値</source>
        <translation>Select local set values</translation>
    </message>
    <message>
        <source>選択 リモート設定値</source>
        <translation>Select remote set values</translation>
    </message>
    <message>
        <source>ローカル１設定値</source>
        <translation>Local preset 1</translation>
    </message>
    <message>
        <source>ローカル１設定値 名称</source>
        <translation>Local preset 1 name</translation>
    </message>
    <message>
        <source>ローカル１設定値 方位角（度）</source>
        <translation>Local preset 1 azimuth (deg)</translation>
    </message>
    <message>
        <source>ローカル１設定値 仰角（度）</source>
        <translation>Local preset 1 elevation (deg)</translation>
    </message>
    <message>
        <source>ローカル設定値 方位角（度）</source>
        <translation>Local azimuth (deg)</translation>
    </message>
    <message>
        <source>ローカル設定値 方位角（度） 増減</source>
        <translation>Local azimuth (deg) up/down</translation>
    </message>
    <message>
        <source>ローカル設定値 仰角（度）</source>
        <translation>Local elevation (deg)</translation>
    </message>
    <message>
        <source>ローカル設定値 仰角（度） 増減</source>
        <translation>Local elevation (deg) up/down</translation>
    </message>
    <message>
        <source>リモート設定値</source>
        <translation>Remote set values</translation>
    </message>
    <message>
        <source>方位角(度）</source>
        <translation>Az (deg)</translation>
    </message>
    <message>
        <source>リモート設定値 方位角(度）</source>
        <translation>Remote azimuth (deg)</translation>
    </message>
    <message>
        <source>リモート設定値 仰角(度）</source>
        <translation>Remote elevation (deg)</translation>
    </message>
    <message>
        <source>ローカル設定値</source>
        <translation>Local set values</translation>
    </message>
    <message>
        <source>アスキー設定値受信ポート</source>
        <translation>ASCII set-value port</translation>
    </message>
    <message>
        <source>初期設定&#x3000;</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>校正－１</source>
        <translation>Calibration 1</translation>
    </message>
    <message>
        <source>校正－２</source>
        <translation>Calibration 2</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>バイナリー設定値受信ポート</source>
        <translation>Binary set-value port</translation>
    </message>
    <message>
        <source>制御周期(秒）</source>
        <translation>Interval (s)</translation>
    </message>
    <message>
        <source>ローカル設定方位角（度）</source>
        <translation>Local azimuth (deg)</translation>
    </message>
    <message>
        <source>ローカル設定仰角（度）</source>
        <translation>Local elevation (deg)</translation>
    </message>
    <message>
        <source>ローカルリモート選択（１，２，３）</source>
        <translation>Local/remote selector (1, 2, 3)</translation>
    </message>
    <message>
        <source>方位角制御出力（１：ＯＮ，０：ＯＦＦ）</source>
        <translation>Azimuth output (1: ON, 0: OFF)</translation>
    </message>
    <message>
        <source>仰角制御出力(１：ＯＮ，０：ＯＦＦ）</source>
        <translation>Elevation output (1: ON, 0: OFF)</translation>
    </message>
    <message>
        <source>ローカル設定１テキスト</source>
        <translation>Preset 1 name</translation>
    </message>
    <message>
        <source>ローカル設定１方位角（度）</source>
        <translation>Preset 1 azimuth (deg)</translation>
    </message>
    <message>
        <source>ローカル設定１仰角（度）</source>
        <translation>Preset 1 elevation (deg)</translation>
    </message>
    <message>
        <source>アスキー設定値受信ポート</source>
        <translation>ASCII set-value port</translation>
    </message>
    <message>
        <source>初期設定</source>
        <translation>Settings</translation>
    </message>
</context>
<context>
    <name>WindowMenu</name>
    <message>
        <source>元のサイズに戻す(&amp;R)</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>移動(&amp;M)</source>
        <translation>&amp;Move</translation>
    </message>
    <message>
        <source>サイズ変更(&amp;S)</source>
        <translation>&amp;Size</translation>
    </message>
    <message>
        <source>最小化(&amp;N)</source>
        <translation>Mi&amp;nimize</translation>
    </message>
    <message>
        <source>最大化(&amp;X)</source>
        <translation>Ma&amp;ximize</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>ZENKO のﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>&amp;About ZENKO...</translation>
    </message>
</context>
</TS>
