<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name></name>
    <message id="データ保存">
        <location filename="../data_export_dialog.cpp" line="96"/>
        <source></source>
        <translation>Data Save</translation>
    </message>
    <message id="データ区切り">
        <location filename="../data_export_dialog.cpp" line="105"/>
        <source></source>
        <translation>Separator</translation>
    </message>
    <message id="カンマ区切り (拡張子 csv)">
        <location filename="../data_export_dialog.cpp" line="106"/>
        <source></source>
        <translation>Comma (extension csv)</translation>
    </message>
    <message id="スペース区切り (拡張子 dat)">
        <location filename="../data_export_dialog.cpp" line="107"/>
        <source></source>
        <translation>Space (extension dat)</translation>
    </message>
    <message id="光子エネルギー単位">
        <location filename="../data_export_dialog.cpp" line="108"/>
        <source></source>
        <translation>Photon energy unit</translation>
    </message>
    <message id="相対フルエンス (光子数) ">
        <location filename="../data_export_dialog.cpp" line="111"/>
        <source></source>
        <translation>Relative fluence (photons) </translation>
    </message>
    <message id="最大値を 1 として正規化">
        <location filename="../data_export_dialog.cpp" line="112"/>
        <source></source>
        <translation>Normalised to a maximum of 1</translation>
    </message>
    <message id="全光子数を 1 として正規化">
        <location filename="../data_export_dialog.cpp" line="113"/>
        <source></source>
        <translation>Normalised to a total of 1</translation>
    </message>
    <message id="数値表示形式">
        <location filename="../data_export_dialog.cpp" line="114"/>
        <source></source>
        <translation>Number format</translation>
    </message>
    <message id="光子エネルギー">
        <location filename="../data_export_dialog.cpp" line="117"/>
        <location filename="../graph_picture.cpp" line="69"/>
        <source></source>
        <translation>Photon energy</translation>
    </message>
    <message id="実数表示">
        <location filename="../data_export_dialog.cpp" line="118"/>
        <location filename="../data_export_dialog.cpp" line="121"/>
        <source></source>
        <translation>Fixed point</translation>
    </message>
    <message id="指数表示">
        <location filename="../data_export_dialog.cpp" line="119"/>
        <location filename="../data_export_dialog.cpp" line="122"/>
        <source></source>
        <translation>Exponent</translation>
    </message>
    <message id="相対フルエンス">
        <location filename="../data_export_dialog.cpp" line="120"/>
        <source></source>
        <translation>Relative fluence</translation>
    </message>
    <message id="表示">
        <location filename="../data_export_dialog.cpp" line="130"/>
        <source></source>
        <translation>Show</translation>
    </message>
    <message id="ファイルに保存する内容">
        <location filename="../data_export_dialog.cpp" line="139"/>
        <source></source>
        <translation>Contents of the file</translation>
    </message>
    <message id="最後に計算した光子数スペクトルデータをファイルに保存します">
        <location filename="../data_export_dialog.cpp" line="141"/>
        <source></source>
        <translation>Saves the photon spectrum of the last calculation to a file</translation>
    </message>
    <message id="保存形式を選択して下さい">
        <location filename="../data_export_dialog.cpp" line="142"/>
        <source></source>
        <translation>Choose the format</translation>
    </message>
    <message id="保存フォルダを指定して下さい">
        <location filename="../data_export_dialog.cpp" line="154"/>
        <source></source>
        <translation>Choose the folder</translation>
    </message>
    <message id="既存ファイル (.csv  and  .dat)">
        <location filename="../data_export_dialog.cpp" line="157"/>
        <source></source>
        <translation>Existing files (.csv  and  .dat)</translation>
    </message>
    <message id="保存ファイル名（拡張子なしで入力）">
        <location filename="../data_export_dialog.cpp" line="159"/>
        <source></source>
        <translation>File name (without extension)</translation>
    </message>
    <message id="保存">
        <location filename="../data_export_dialog.cpp" line="165"/>
        <source></source>
        <translation>Save</translation>
    </message>
    <message id="スペクトルデータを表示できません。">
        <location filename="../data_export_dialog.cpp" line="222"/>
        <source></source>
        <translation>The spectrum data cannot be shown.</translation>
    </message>
    <message id="ファイル名を入力して下さい">
        <location filename="../data_export_dialog.cpp" line="237"/>
        <location filename="../image_export_dialog.cpp" line="110"/>
        <source></source>
        <translation>Enter a file name</translation>
    </message>
    <message id="ファイル名に使えない文字が含まれています。">
        <location filename="../data_export_dialog.cpp" line="241"/>
        <location filename="../image_export_dialog.cpp" line="114"/>
        <source></source>
        <translation>The file name holds characters a file name cannot have.</translation>
    </message>
    <message id="データを保存できませんでした。">
        <location filename="../data_export_dialog.cpp" line="258"/>
        <source></source>
        <translation>The data could not be saved.</translation>
    </message>
    <message id="データを ">
        <location filename="../data_export_dialog.cpp" line="264"/>
        <source></source>
        <translation>Data saved to </translation>
    </message>
    <message id=" に保存しました">
        <location filename="../data_export_dialog.cpp" line="264"/>
        <source></source>
        <translation>.</translation>
    </message>
    <message id="起動に時間がかかりすぎました。">
        <location filename="../engine_process.cpp" line="23"/>
        <source></source>
        <translation>Starting took too long.</translation>
    </message>
    <message id="プログラムが見つかりません。">
        <location filename="../engine_process.cpp" line="24"/>
        <source></source>
        <translation>The program is not there.</translation>
    </message>
    <message id="プログラムを実行できません (実行の許可がないか、壊れています)。">
        <location filename="../engine_process.cpp" line="25"/>
        <source></source>
        <translation>The program cannot be run (no permission to run it, or it is damaged).</translation>
    </message>
    <message id="光子がありません">
        <location filename="../engine_results_panel.cpp" line="56"/>
        <source></source>
        <translation>no photons</translation>
    </message>
    <message id="5.5 keV 以上の空気カーマがありません">
        <location filename="../engine_results_panel.cpp" line="57"/>
        <source></source>
        <translation>no air kerma at 5.5 keV or above</translation>
    </message>
    <message id="100 mm を超えます">
        <location filename="../engine_results_panel.cpp" line="60"/>
        <location filename="../engine_results_panel.cpp" line="62"/>
        <source></source>
        <translation>beyond 100 mm</translation>
    </message>
    <message id="第1半価層がありません">
        <location filename="../engine_results_panel.cpp" line="61"/>
        <source></source>
        <translation>no first half-value layer</translation>
    </message>
    <message id="第2半価層がありません">
        <location filename="../engine_results_panel.cpp" line="63"/>
        <source></source>
        <translation>no second half-value layer</translation>
    </message>
    <message id="範囲外">
        <location filename="../engine_results_panel.cpp" line="75"/>
        <source></source>
        <translation>n/a</translation>
    </message>
    <message id="半価層，実効エネルギーを表示">
        <location filename="../engine_results_panel.cpp" line="90"/>
        <source></source>
        <translation>Show the half-value layers and effective energies</translation>
    </message>
    <message id="第1半価層 (Al)">
        <location filename="../engine_results_panel.cpp" line="123"/>
        <location filename="../quality_window.cpp" line="68"/>
        <source></source>
        <translation>First HVL (Al)</translation>
    </message>
    <message id="第2半価層 (Al)">
        <location filename="../engine_results_panel.cpp" line="123"/>
        <location filename="../quality_window.cpp" line="70"/>
        <source></source>
        <translation>Second HVL (Al)</translation>
    </message>
    <message id="均等度 (Al, HVL1/HVL2)">
        <location filename="../engine_results_panel.cpp" line="123"/>
        <location filename="../quality_window.cpp" line="71"/>
        <source></source>
        <translation>Homogeneity (Al, HVL1/HVL2)</translation>
    </message>
    <message id="第1半価層 (Cu)">
        <location filename="../engine_results_panel.cpp" line="124"/>
        <location filename="../quality_window.cpp" line="73"/>
        <source></source>
        <translation>First HVL (Cu)</translation>
    </message>
    <message id="第2半価層 (Cu)">
        <location filename="../engine_results_panel.cpp" line="124"/>
        <location filename="../quality_window.cpp" line="75"/>
        <source></source>
        <translation>Second HVL (Cu)</translation>
    </message>
    <message id="均等度 (Cu, HVL1/HVL2)">
        <location filename="../engine_results_panel.cpp" line="124"/>
        <location filename="../quality_window.cpp" line="76"/>
        <source></source>
        <translation>Homogeneity (Cu, HVL1/HVL2)</translation>
    </message>
    <message id="平均エネルギー (フルエンス加重)">
        <location filename="../engine_results_panel.cpp" line="125"/>
        <location filename="../quality_window.cpp" line="79"/>
        <source></source>
        <translation>Mean energy (fluence-weighted)</translation>
    </message>
    <message id="平均エネルギー (空気カーマ加重)">
        <location filename="../engine_results_panel.cpp" line="125"/>
        <location filename="../quality_window.cpp" line="80"/>
        <source></source>
        <translation>Mean energy (air-kerma-weighted)</translation>
    </message>
    <message id="前回の計算の線質">
        <location filename="../engine_results_panel.cpp" line="126"/>
        <location filename="../quality_window.cpp" line="292"/>
        <source></source>
        <translation>Beam quality of the last calculation</translation>
    </message>
    <message id="半価層の計算 (Quillon) はまだ実行されていません。">
        <location filename="../engine_results_panel.cpp" line="171"/>
        <source></source>
        <translation>The half-value-layer engine (Quillon) has not run yet.</translation>
    </message>
    <message id="半価層の計算 (Quillon) がまだ終わっていません。">
        <location filename="../engine_results_panel.cpp" line="174"/>
        <source></source>
        <translation>The half-value-layer engine (Quillon) has not finished yet.</translation>
    </message>
    <message id="しばらくしてからもう一度押して下さい。">
        <location filename="../engine_results_panel.cpp" line="174"/>
        <source></source>
        <translation>Press again in a moment.</translation>
    </message>
    <message id="半価層の計算プログラム (Quillon) を起動できませんでした。">
        <location filename="../engine_results_panel.cpp" line="177"/>
        <location filename="../main_window.cpp" line="609"/>
        <source></source>
        <translation>The half-value-layer engine (Quillon) could not be started.</translation>
    </message>
    <message id="半価層の計算 (Quillon) が異常終了しました。結果はありません。">
        <location filename="../engine_results_panel.cpp" line="194"/>
        <source></source>
        <translation>The half-value-layer engine (Quillon) crashed. There are no results.</translation>
    </message>
    <message id="半価層の計算 (Quillon) がエラーで終了しました。結果はありません。">
        <location filename="../engine_results_panel.cpp" line="195"/>
        <source></source>
        <translation>The half-value-layer engine (Quillon) ended with an error. There are no results.</translation>
    </message>
    <message id="終了コード ">
        <location filename="../engine_results_panel.cpp" line="203"/>
        <source></source>
        <translation>exit code </translation>
    </message>
    <message id="半価層の計算の結果ファイルがありません。">
        <location filename="../engine_results_panel.cpp" line="221"/>
        <source></source>
        <translation>The engine&apos;s result file is not there.</translation>
    </message>
    <message id="半価層の計算の結果ファイルを読めません。">
        <location filename="../engine_results_panel.cpp" line="228"/>
        <source></source>
        <translation>The engine&apos;s result file cannot be read.</translation>
    </message>
    <message id="Ｘ線管電圧">
        <location filename="../entry_review.cpp" line="45"/>
        <location filename="../quality_window.cpp" line="750"/>
        <source></source>
        <translation>Tube voltage</translation>
    </message>
    <message id="ターゲット角度">
        <location filename="../entry_review.cpp" line="46"/>
        <location filename="../main_window.cpp" line="283"/>
        <location filename="../quality_window.cpp" line="751"/>
        <source></source>
        <translation>Target angle</translation>
    </message>
    <message id="固有ろ過 (ベリリウム)">
        <location filename="../entry_review.cpp" line="47"/>
        <location filename="../quality_window.cpp" line="753"/>
        <source></source>
        <translation>Inherent filtration (beryllium)</translation>
    </message>
    <message id="固有ろ過 (アルミ当量)">
        <location filename="../entry_review.cpp" line="48"/>
        <location filename="../quality_window.cpp" line="185"/>
        <location filename="../quality_window.cpp" line="754"/>
        <source></source>
        <translation>Inherent filtration (Al equivalent)</translation>
    </message>
    <message id="アルミ付加フィルタ">
        <location filename="../entry_review.cpp" line="49"/>
        <location filename="../main_window.cpp" line="287"/>
        <location filename="../quality_window.cpp" line="187"/>
        <location filename="../quality_window.cpp" line="755"/>
        <source></source>
        <translation>Added Al filter</translation>
    </message>
    <message id="銅付加フィルタ">
        <location filename="../entry_review.cpp" line="50"/>
        <location filename="../main_window.cpp" line="288"/>
        <location filename="../quality_window.cpp" line="186"/>
        <location filename="../quality_window.cpp" line="756"/>
        <source></source>
        <translation>Added Cu filter</translation>
    </message>
    <message id="軸外角度 (管軸方向)">
        <location filename="../entry_review.cpp" line="51"/>
        <source></source>
        <translation>Off-axis angle along the axis</translation>
    </message>
    <message id="軸外角度 (管軸に直交)">
        <location filename="../entry_review.cpp" line="52"/>
        <source></source>
        <translation>Off-axis angle across the axis</translation>
    </message>
    <message id=" ターゲット">
        <location filename="../entry_review.cpp" line="68"/>
        <source></source>
        <translation> target</translation>
    </message>
    <message id="「">
        <location filename="../entry_review.cpp" line="80"/>
        <location filename="../entry_review.cpp" line="85"/>
        <location filename="../entry_review.cpp" line="101"/>
        <location filename="../entry_review.cpp" line="128"/>
        <location filename="../entry_review.cpp" line="160"/>
        <source></source>
        <translation>“</translation>
    </message>
    <message id="」の ">
        <location filename="../entry_review.cpp" line="80"/>
        <location filename="../entry_review.cpp" line="85"/>
        <source></source>
        <translation>”: </translation>
    </message>
    <message id=" 度は範囲外です。-%1 ～ %1 度の角度を入力して下さい。">
        <location filename="../entry_review.cpp" line="81"/>
        <source></source>
        <translation> degrees is out of range. Enter an angle from -%1 to %1 degrees.</translation>
    </message>
    <message id=" 度では、点がターゲット面の裏側になります。ターゲット角度 ">
        <location filename="../entry_review.cpp" line="86"/>
        <source></source>
        <translation> degrees puts the point behind the target surface. With a target angle of </translation>
    </message>
    <message id=" 度では、管軸方向の角度を ">
        <location filename="../entry_review.cpp" line="87"/>
        <source></source>
        <translation> degrees, enter an angle along the axis above </translation>
    </message>
    <message id=" 度より大きくして下さい。">
        <location filename="../entry_review.cpp" line="87"/>
        <source></source>
        <translation> degrees.</translation>
    </message>
    <message id="」に負の値は入力できません。0 以上の値を入力して下さい。">
        <location filename="../entry_review.cpp" line="102"/>
        <source></source>
        <translation>” cannot be negative. Enter 0 or more.</translation>
    </message>
    <message id="「ターゲット角度」が空です。">
        <location filename="../entry_review.cpp" line="110"/>
        <source></source>
        <translation>“Target angle” is empty. </translation>
    </message>
    <message id="「ターゲット角度」の「">
        <location filename="../entry_review.cpp" line="111"/>
        <source></source>
        <translation>“Target angle”: “</translation>
    </message>
    <message id="」は数ではありません。">
        <location filename="../entry_review.cpp" line="111"/>
        <location filename="../quality_window.cpp" line="795"/>
        <source></source>
        <translation>” is not a number. </translation>
    </message>
    <message id="角度を度の数で入力して下さい。">
        <location filename="../entry_review.cpp" line="112"/>
        <source></source>
        <translation>Enter the angle in degrees.</translation>
    </message>
    <message id="」が空のため、">
        <location filename="../entry_review.cpp" line="129"/>
        <location filename="../entry_review.cpp" line="161"/>
        <source></source>
        <translation>” is empty, so </translation>
    </message>
    <message id="」の「">
        <location filename="../entry_review.cpp" line="130"/>
        <location filename="../entry_review.cpp" line="162"/>
        <source></source>
        <translation>”: “</translation>
    </message>
    <message id="」は数ではないため、">
        <location filename="../entry_review.cpp" line="130"/>
        <location filename="../entry_review.cpp" line="163"/>
        <source></source>
        <translation>” is not a number, so </translation>
    </message>
    <message id="0 度で計算しました。">
        <location filename="../entry_review.cpp" line="131"/>
        <source></source>
        <translation>0 degrees was used.</translation>
    </message>
    <message id=" 度は上限の ">
        <location filename="../entry_review.cpp" line="139"/>
        <source></source>
        <translation> degrees is above the maximum of </translation>
    </message>
    <message id=" 度は下限の ">
        <location filename="../entry_review.cpp" line="139"/>
        <source></source>
        <translation> degrees is below the minimum of </translation>
    </message>
    <message id=" 度を超えるため、">
        <location filename="../entry_review.cpp" line="140"/>
        <source></source>
        <translation> degrees, so </translation>
    </message>
    <message id=" 度を下回るため、">
        <location filename="../entry_review.cpp" line="140"/>
        <source></source>
        <translation> degrees, so </translation>
    </message>
    <message id=" 度で計算しました。">
        <location filename="../entry_review.cpp" line="141"/>
        <source></source>
        <translation> degrees was used.</translation>
    </message>
    <message id=" で計算しました。">
        <location filename="../entry_review.cpp" line="165"/>
        <source></source>
        <translation> was used.</translation>
    </message>
    <message id="Ｘ線管電圧 ">
        <location filename="../entry_review.cpp" line="188"/>
        <source></source>
        <translation>Tube voltage </translation>
    </message>
    <message id=" kV は上限の ">
        <location filename="../entry_review.cpp" line="186"/>
        <source></source>
        <translation> kV is above the maximum of </translation>
    </message>
    <message id=" kV は下限の ">
        <location filename="../entry_review.cpp" line="186"/>
        <source></source>
        <translation> kV is at or below the minimum of </translation>
    </message>
    <message id=" kV は %1の上限の ">
        <location filename="../entry_review.cpp" line="187"/>
        <source></source>
        <translation> kV is above the %1 maximum of </translation>
    </message>
    <message id=" kV は %1の下限の ">
        <location filename="../entry_review.cpp" line="187"/>
        <source></source>
        <translation> kV is at or below the %1 minimum of </translation>
    </message>
    <message id=" kV を超えるため、">
        <location filename="../entry_review.cpp" line="190"/>
        <source></source>
        <translation> kV, so </translation>
    </message>
    <message id=" kV 以下のため、">
        <location filename="../entry_review.cpp" line="190"/>
        <source></source>
        <translation> kV, so </translation>
    </message>
    <message id=" kV で計算しました。">
        <location filename="../entry_review.cpp" line="191"/>
        <source></source>
        <translation> kV was used.</translation>
    </message>
    <message id="固有ろ過 (ベリリウム + アルミ当量) が 0 のため、ベリリウム 0 mm、アルミ当量 0.5 mm で計算しました。">
        <location filename="../entry_review.cpp" line="198"/>
        <source></source>
        <translation>The inherent filtration (beryllium + Al equivalent) is 0, so beryllium 0 mm and Al equivalent 0.5 mm were used.</translation>
    </message>
    <message id="ファイルがないか、読めません。">
        <location filename="../failure_texts.cpp" line="23"/>
        <location filename="../failure_texts.cpp" line="55"/>
        <source></source>
        <translation>The file is not there or cannot be read.</translation>
    </message>
    <message id="ファイルが空です。">
        <location filename="../failure_texts.cpp" line="25"/>
        <source></source>
        <translation>The file is empty.</translation>
    </message>
    <message id="1 行目の材質名の後に、密度とデータ行数の 2 つの数値がありません。">
        <location filename="../failure_texts.cpp" line="27"/>
        <source></source>
        <translation>Line 1 lacks the two numbers after the material name: density and number of data lines.</translation>
    </message>
    <message id="データ行数が 2～120 の整数ではありません。">
        <location filename="../failure_texts.cpp" line="29"/>
        <source></source>
        <translation>The number of data lines is not a whole number from 2 to 120.</translation>
    </message>
    <message id="数値が足りません。データの %1 行目の途中でファイルが終わっています。">
        <location filename="../failure_texts.cpp" line="31"/>
        <source></source>
        <translation>Numbers are missing: the file ends within data line %1.</translation>
    </message>
    <message id="数値でない項目があります。">
        <location filename="../failure_texts.cpp" line="33"/>
        <location filename="../failure_texts.cpp" line="59"/>
        <location filename="../failure_texts.cpp" line="96"/>
        <source></source>
        <translation>An item is not a number.</translation>
    </message>
    <message id="密度が正の数ではありません。">
        <location filename="../failure_texts.cpp" line="35"/>
        <source></source>
        <translation>The density is not a positive number.</translation>
    </message>
    <message id="エネルギーが小さい順に並んでいません (データの %1 行目)。">
        <location filename="../failure_texts.cpp" line="37"/>
        <source></source>
        <translation>The energies are not in rising order (data line %1).</translation>
    </message>
    <message id="最初のエネルギーが 0.001 MeV より大きく、1 keV の値が求められません。">
        <location filename="../failure_texts.cpp" line="39"/>
        <source></source>
        <translation>The first energy is above 0.001 MeV, so there is no value at 1 keV.</translation>
    </message>
    <message id="最後のエネルギーが 0.5 MeV 以下で、500 keV の値が求められません。">
        <location filename="../failure_texts.cpp" line="41"/>
        <source></source>
        <translation>The last energy is 0.5 MeV or less, so there is no value at 500 keV.</translation>
    </message>
    <message id="データの %1 行目のエネルギーが正の数ではありません。">
        <location filename="../failure_texts.cpp" line="43"/>
        <source></source>
        <translation>The energy of data line %1 is not a positive number.</translation>
    </message>
    <message id="データの %1 行目の減弱係数の合計が正の数ではありません。">
        <location filename="../failure_texts.cpp" line="45"/>
        <source></source>
        <translation>The attenuation coefficients of data line %1 do not add up to a positive number.</translation>
    </message>
    <message id="減弱係数が大きすぎて計算できません。">
        <location filename="../failure_texts.cpp" line="47"/>
        <source></source>
        <translation>The attenuation coefficients are too large to compute with.</translation>
    </message>
    <message id="ファイルの内容が正しくありません。">
        <location filename="../failure_texts.cpp" line="49"/>
        <location filename="../failure_texts.cpp" line="63"/>
        <source></source>
        <translation>The file&apos;s contents are not valid.</translation>
    </message>
    <message id="表が途中で終わっています (1000 行に 6 個ずつの数値が必要です)。">
        <location filename="../failure_texts.cpp" line="57"/>
        <source></source>
        <translation>The table ends early (it needs 1000 lines of 6 numbers).</translation>
    </message>
    <message id="%1 行目の値が表として正しくありません (エネルギーの順序、係数の値、空行)。">
        <location filename="../failure_texts.cpp" line="61"/>
        <source></source>
        <translation>Line %1 is not a valid table line (energy order, coefficient value or blank line).</translation>
    </message>
    <message id="減弱係数テーブルが読み込まれていません。">
        <location filename="../failure_texts.cpp" line="71"/>
        <source></source>
        <translation>No attenuation table is loaded.</translation>
    </message>
    <message id="管電圧 %1 kV が 30～300 kV の範囲外です。">
        <location filename="../failure_texts.cpp" line="73"/>
        <source></source>
        <translation>The tube voltage %1 kV lies outside 30 to 300 kV.</translation>
    </message>
    <message id="ターゲット角度 %1 度は使えません。0 度より大きく 180 度より小さい角度を入力して下さい。">
        <location filename="../failure_texts.cpp" line="75"/>
        <source></source>
        <translation>A target angle of %1 degrees cannot be used. Enter an angle above 0 and below 180 degrees.</translation>
    </message>
    <message id="%1 keV でスペクトルの値が大きすぎて計算できません。フィルターの厚さを確かめて下さい。">
        <location filename="../failure_texts.cpp" line="78"/>
        <source></source>
        <translation>At %1 keV the spectrum is too large to compute. Check the filter thicknesses.</translation>
    </message>
    <message id="すべてのエネルギーでＸ線が吸収されてしまいます。ろ過を減らすか、ターゲット角度を大きくして下さい (角度が小さいとターゲット自身がＸ線を吸収します)。">
        <location filename="../failure_texts.cpp" line="81"/>
        <source></source>
        <translation>The X-rays are absorbed at every energy. Reduce the filtration or increase the target angle (at a small angle the target itself absorbs the X-rays).</translation>
    </message>
    <message id="入力された条件では計算できません。">
        <location filename="../failure_texts.cpp" line="83"/>
        <source></source>
        <translation>These inputs cannot be computed.</translation>
    </message>
    <message id="全光子数が 0 のため、全光子数を 1 とする正規化ができません。">
        <location filename="../failure_texts.cpp" line="90"/>
        <source></source>
        <translation>The total photon number is 0, so it cannot be normalised to 1.</translation>
    </message>
    <message id="ファイルがありません。">
        <location filename="../failure_texts.cpp" line="93"/>
        <source></source>
        <translation>The file is not there.</translation>
    </message>
    <message id="ファイルを読めません。">
        <location filename="../failure_texts.cpp" line="93"/>
        <location filename="../failure_texts.cpp" line="99"/>
        <source></source>
        <translation>The file cannot be read.</translation>
    </message>
    <message id="ファイルが途中で終わっているか、読めません。">
        <location filename="../failure_texts.cpp" line="97"/>
        <source></source>
        <translation>The file ends early or cannot be read.</translation>
    </message>
    <message id="保存する内容を作れませんでした。">
        <location filename="../failure_texts.cpp" line="104"/>
        <location filename="../failure_texts.cpp" line="107"/>
        <source></source>
        <translation>The contents to save could not be made.</translation>
    </message>
    <message id="書き込みの許可がありません。">
        <location filename="../failure_texts.cpp" line="114"/>
        <source></source>
        <translation>No permission to write.</translation>
    </message>
    <message id="読み取り専用のファイルシステムです。">
        <location filename="../failure_texts.cpp" line="116"/>
        <source></source>
        <translation>The file system is read-only.</translation>
    </message>
    <message id="ディスクの空き容量が足りません。">
        <location filename="../failure_texts.cpp" line="121"/>
        <source></source>
        <translation>The disk is full.</translation>
    </message>
    <message id="ファイル名が長すぎます。">
        <location filename="../failure_texts.cpp" line="123"/>
        <source></source>
        <translation>The file name is too long.</translation>
    </message>
    <message id="保存先のフォルダがありません。">
        <location filename="../failure_texts.cpp" line="126"/>
        <source></source>
        <translation>The folder to save in is not there.</translation>
    </message>
    <message id="同じ名前のフォルダがあります。">
        <location filename="../failure_texts.cpp" line="128"/>
        <source></source>
        <translation>A folder of that name is there.</translation>
    </message>
    <message id="一時ファイルを作れませんでした。">
        <location filename="../failure_texts.cpp" line="130"/>
        <source></source>
        <translation>The temporary file could not be made.</translation>
    </message>
    <message id="システムのエラーです (エラー番号 %1)。">
        <location filename="../failure_texts.cpp" line="132"/>
        <source></source>
        <translation>A system error (number %1).</translation>
    </message>
    <message id="%1  %2 行目">
        <location filename="../failure_texts.cpp" line="143"/>
        <source></source>
        <translation>%1  line %2</translation>
    </message>
    <message id="任意フィルター設定">
        <location filename="../filter_dialog.cpp" line="42"/>
        <source></source>
        <translation>Material filter</translation>
    </message>
    <message id="材質">
        <location filename="../filter_dialog.cpp" line="63"/>
        <location filename="../quality_window.cpp" line="414"/>
        <source></source>
        <translation>Material</translation>
    </message>
    <message id="厚さ">
        <location filename="../filter_dialog.cpp" line="65"/>
        <location filename="../quality_window.cpp" line="416"/>
        <source></source>
        <translation>Thickness</translation>
    </message>
    <message id="フィルターの種類">
        <location filename="../filter_dialog.cpp" line="66"/>
        <source></source>
        <translation>Material files</translation>
    </message>
    <message id="材質ファイルを読み込めません。">
        <location filename="../filter_dialog.cpp" line="129"/>
        <location filename="../filter_dialog.cpp" line="196"/>
        <source></source>
        <translation>The material file cannot be read.</translation>
    </message>
    <message id="フィルター材質が未選択です。">
        <location filename="../filter_dialog.cpp" line="155"/>
        <source></source>
        <translation>No filter material is chosen.</translation>
    </message>
    <message id="フィルターの厚さを入力して下さい。">
        <location filename="../filter_dialog.cpp" line="159"/>
        <source></source>
        <translation>Enter the filter&apos;s thickness.</translation>
    </message>
    <message id="フィルターの厚さ「">
        <location filename="../filter_dialog.cpp" line="165"/>
        <source></source>
        <translation>The filter thickness “</translation>
    </message>
    <message id="」は数ではありません。厚さを mm で入力して下さい。">
        <location filename="../filter_dialog.cpp" line="166"/>
        <source></source>
        <translation>” is not a number. Enter the thickness in mm.</translation>
    </message>
    <message id="任意材質フィルタは３種類まで設定できます。">
        <location filename="../filter_dialog.cpp" line="172"/>
        <source></source>
        <translation>Up to three material filters can be set.</translation>
    </message>
    <message id="フィルターの厚さが大きすぎます。">
        <location filename="../filter_dialog.cpp" line="179"/>
        <source></source>
        <translation>The filter thickness is too large.</translation>
    </message>
    <message id="「厚さ」に負の値は入力できません。0 以上の値を入力して下さい。">
        <location filename="../filter_dialog.cpp" line="184"/>
        <source></source>
        <translation>“Thickness” cannot be negative. Enter 0 or more.</translation>
    </message>
    <message id="相対照射線量">
        <location filename="../graph_picture.cpp" line="29"/>
        <source></source>
        <translation>Rel. exposure</translation>
    </message>
    <message id="相対エネルギー">
        <location filename="../graph_picture.cpp" line="30"/>
        <source></source>
        <translation>Rel. energy</translation>
    </message>
    <message id="相対光子数">
        <location filename="../graph_picture.cpp" line="33"/>
        <source></source>
        <translation>Rel. photons</translation>
    </message>
    <message id="表示されたスペクトルの画像を">
        <location filename="../image_export_dialog.cpp" line="71"/>
        <source></source>
        <translation>Saves the picture of the spectra shown</translation>
    </message>
    <message id="ファイル名（拡張子なしで入力）">
        <location filename="../image_export_dialog.cpp" line="72"/>
        <source></source>
        <translation>File name (without extension)</translation>
    </message>
    <message id="ビットマップ形式で保存します">
        <location filename="../image_export_dialog.cpp" line="74"/>
        <source></source>
        <translation>as a bitmap</translation>
    </message>
    <message id="画像を保存できませんでした。">
        <location filename="../image_export_dialog.cpp" line="125"/>
        <source></source>
        <translation>The picture could not be saved.</translation>
    </message>
    <message id="グラフをBMP画像として保存しました。">
        <location filename="../image_export_dialog.cpp" line="129"/>
        <source></source>
        <translation>The graph was saved as a BMP picture.</translation>
    </message>
    <message id="スペクトル表示">
        <location filename="../main_window.cpp" line="218"/>
        <source></source>
        <translation>Spectrum</translation>
    </message>
    <message id="表示形式">
        <location filename="../main_window.cpp" line="219"/>
        <source></source>
        <translation>Quantity</translation>
    </message>
    <message id="光子数">
        <location filename="../main_window.cpp" line="221"/>
        <source></source>
        <translation>Photons</translation>
    </message>
    <message id="照射線量">
        <location filename="../main_window.cpp" line="221"/>
        <source></source>
        <translation>Exposure</translation>
    </message>
    <message id="エネルギー">
        <location filename="../main_window.cpp" line="221"/>
        <source></source>
        <translation>Energy</translation>
    </message>
    <message id="光子束スペクトル">
        <location filename="../main_window.cpp" line="222"/>
        <source></source>
        <translation>Photon fluence spectrum</translation>
    </message>
    <message id="照射線量スペクトル">
        <location filename="../main_window.cpp" line="222"/>
        <source></source>
        <translation>Exposure spectrum</translation>
    </message>
    <message id="エネルギー束スペクトル">
        <location filename="../main_window.cpp" line="222"/>
        <source></source>
        <translation>Energy fluence spectrum</translation>
    </message>
    <message id="照 射 条 件">
        <location filename="../main_window.cpp" line="237"/>
        <source></source>
        <translation>Exposure conditions</translation>
    </message>
    <message id="整流方式">
        <location filename="../main_window.cpp" line="238"/>
        <location filename="../quality_window.cpp" line="752"/>
        <source></source>
        <translation>Waveform</translation>
    </message>
    <message id="定電圧">
        <location filename="../main_window.cpp" line="240"/>
        <location filename="../quality_window.cpp" line="154"/>
        <source></source>
        <translation>Constant</translation>
    </message>
    <message id="三相12ピーク">
        <location filename="../main_window.cpp" line="240"/>
        <location filename="../quality_window.cpp" line="154"/>
        <source></source>
        <translation>3-phase 12-pulse</translation>
    </message>
    <message id="単相全波">
        <location filename="../main_window.cpp" line="240"/>
        <location filename="../quality_window.cpp" line="154"/>
        <source></source>
        <translation>1-phase full-wave</translation>
    </message>
    <message id="ターゲット">
        <location filename="../main_window.cpp" line="254"/>
        <location filename="../quality_window.cpp" line="197"/>
        <source></source>
        <translation>Target</translation>
    </message>
    <message id="ターゲット (陽極) の材質: Mo、Rh、Ag、Au は物理モデルのみ">
        <location filename="../main_window.cpp" line="259"/>
        <source></source>
        <translation>Material of the target (anode): Mo, Rh, Ag and Au with the physics model only</translation>
    </message>
    <message id="特性X線を含む">
        <location filename="../main_window.cpp" line="261"/>
        <source></source>
        <translation>Char. lines</translation>
    </message>
    <message id="K 線と L 線を含めて計算します。外すと制動放射のみ (物理モデルのみ)">
        <location filename="../main_window.cpp" line="266"/>
        <source></source>
        <translation>Computes the characteristic K and L lines; unticked, bremsstrahlung alone (physics model only)</translation>
    </message>
    <message id="中心線からの角度、管軸 (陽極-陰極) 方向で陰極側が正 (-60 ～ 60 度)">
        <location filename="../main_window.cpp" line="280"/>
        <source></source>
        <translation>Angle off the central ray along the anode-cathode axis, positive towards the cathode (-60 to 60 degrees)</translation>
    </message>
    <message id="中心線からの角度、管軸に直交する方向 (-60 ～ 60 度)">
        <location filename="../main_window.cpp" line="281"/>
        <source></source>
        <translation>Angle off the central ray across the anode-cathode axis (-60 to 60 degrees)</translation>
    </message>
    <message id="固有ろ過">
        <location filename="../main_window.cpp" line="284"/>
        <source></source>
        <translation>Inherent</translation>
    </message>
    <message id="軸外 (管軸, 直交)">
        <location filename="../main_window.cpp" line="289"/>
        <source></source>
        <translation>Off-axis along/across</translation>
    </message>
    <message id="任意材質フィルタ">
        <location filename="../main_window.cpp" line="299"/>
        <location filename="../quality_window.cpp" line="757"/>
        <source></source>
        <translation>Material filters</translation>
    </message>
    <message id="（最大３種類）">
        <location filename="../main_window.cpp" line="300"/>
        <source></source>
        <translation>(up to three)</translation>
    </message>
    <message id="設定">
        <location filename="../main_window.cpp" line="303"/>
        <location filename="../quality_window.cpp" line="344"/>
        <source></source>
        <translation>Set</translation>
    </message>
    <message id="解除">
        <location filename="../main_window.cpp" line="305"/>
        <source></source>
        <translation>Remove</translation>
    </message>
    <message id="光子数スペクトルデータを csv 形式で 保存">
        <location filename="../main_window.cpp" line="321"/>
        <source></source>
        <translation>Save the photon spectrum as csv</translation>
    </message>
    <message id="スタート画面に戻る">
        <location filename="../main_window.cpp" line="334"/>
        <source></source>
        <translation>Back to the start screen</translation>
    </message>
    <message id="線質">
        <location filename="../main_window.cpp" line="351"/>
        <location filename="../quality_window.cpp" line="289"/>
        <source></source>
        <translation>Quality</translation>
    </message>
    <message id="線質: 半価層・実効エネルギー・均等度・平均エネルギー、標準線質、半価層からのろ過">
        <location filename="../main_window.cpp" line="355"/>
        <source></source>
        <translation>Beam quality: half-value layers, effective energies, homogeneity, mean energies; standard qualities; filtration from a half-value layer</translation>
    </message>
    <message id="スペクトルを計算できません。">
        <location filename="../main_window.cpp" line="541"/>
        <location filename="../main_window.cpp" line="561"/>
        <source></source>
        <translation>The spectrum cannot be computed.</translation>
    </message>
    <message id="作業フォルダに ">
        <location filename="../main_window.cpp" line="582"/>
        <source></source>
        <translation>The working folder does not take </translation>
    </message>
    <message id=" を書き込めないため、半価層の計算 (Quillon) は行っていません">
        <location filename="../main_window.cpp" line="583"/>
        <source></source>
        <translation>, so the half-value-layer engine (Quillon) has not run</translation>
    </message>
    <message id="スペクトルファイルを書き込めませんでした。">
        <location filename="../main_window.cpp" line="586"/>
        <source></source>
        <translation>The spectrum file could not be written.</translation>
    </message>
    <message id="曲線は描きますが、半価層・実効エネルギー・光子フルエンスはありません。">
        <location filename="../main_window.cpp" line="587"/>
        <source></source>
        <translation>The curve is drawn, but there are no half-value layers, effective energies or fluence.</translation>
    </message>
    <message id="作業フォルダ ">
        <location filename="../main_window.cpp" line="589"/>
        <source></source>
        <translation>The working folder </translation>
    </message>
    <message id=" に書き込めません: 半価層の計算 (Quillon) と Data Save はできません。書き込めるフォルダで Kestrix を起動して下さい。">
        <location filename="../main_window.cpp" line="589"/>
        <source></source>
        <translation> cannot be written: no half-value layers (Quillon) and no Data Save. Start Kestrix in a writable folder.</translation>
    </message>
    <message id="Ｘ線管電圧(～%1)">
        <location filename="../main_window.cpp" line="722"/>
        <source></source>
        <translation>Tube voltage (to %1)</translation>
    </message>
    <message id="Tucker 式で計算">
        <location filename="../model_choices.cpp" line="18"/>
        <source></source>
        <translation>Tucker&apos;s formula</translation>
    </message>
    <message id="Tucker 式">
        <location filename="../model_choices.cpp" line="18"/>
        <source></source>
        <translation>Tucker&apos;s formula</translation>
    </message>
    <message id="Birch 式で計算">
        <location filename="../model_choices.cpp" line="19"/>
        <source></source>
        <translation>Birch&apos;s formula</translation>
    </message>
    <message id="Birch 式">
        <location filename="../model_choices.cpp" line="19"/>
        <source></source>
        <translation>Birch&apos;s formula</translation>
    </message>
    <message id="物理モデルで計算">
        <location filename="../model_choices.cpp" line="20"/>
        <source></source>
        <translation>Physics model</translation>
    </message>
    <message id="物理モデル">
        <location filename="../model_choices.cpp" line="20"/>
        <source></source>
        <translation>Physics model</translation>
    </message>
    <message id=" モデルで計算">
        <location filename="../model_choices.cpp" line="33"/>
        <source></source>
        <translation> model</translation>
    </message>
    <message id=" モデル">
        <location filename="../model_choices.cpp" line="33"/>
        <source></source>
        <translation> model</translation>
    </message>
    <message id="半価層の計算 (Quillon) と同じ値: 減弱を一定の厚さ刻みで求めて補間">
        <location filename="../quality_window.cpp" line="62"/>
        <source></source>
        <translation>As the engine (Quillon) gives it: attenuation in fixed thickness steps, interpolated</translation>
    </message>
    <message id="透過曲線の根として求めた値 (均等度はこの値から)">
        <location filename="../quality_window.cpp" line="63"/>
        <source></source>
        <translation>The root of the transmission curve (the homogeneity comes from it)</translation>
    </message>
    <message id="第1半価層 (Al, 透過曲線)">
        <location filename="../quality_window.cpp" line="69"/>
        <source></source>
        <translation>First HVL (Al, transmission curve)</translation>
    </message>
    <message id="空気カーマを 1/2 から 1/4 にするアルミニウムの厚さ">
        <location filename="../quality_window.cpp" line="70"/>
        <source></source>
        <translation>The aluminium that takes the air kerma from 1/2 to 1/4</translation>
    </message>
    <message id="実効エネルギー (Al)">
        <location filename="../quality_window.cpp" line="72"/>
        <source></source>
        <translation>Effective energy (Al)</translation>
    </message>
    <message id="第1半価層 (Cu, 透過曲線)">
        <location filename="../quality_window.cpp" line="74"/>
        <source></source>
        <translation>First HVL (Cu, transmission curve)</translation>
    </message>
    <message id="空気カーマを 1/2 から 1/4 にする銅の厚さ">
        <location filename="../quality_window.cpp" line="75"/>
        <source></source>
        <translation>The copper that takes the air kerma from 1/2 to 1/4</translation>
    </message>
    <message id="実効エネルギー (Cu)">
        <location filename="../quality_window.cpp" line="77"/>
        <source></source>
        <translation>Effective energy (Cu)</translation>
    </message>
    <message id="光子フルエンス (照射線量 1 C/kg あたり)">
        <location filename="../quality_window.cpp" line="78"/>
        <source></source>
        <translation>Photon fluence (per exposure of 1 C/kg)</translation>
    </message>
    <message id="光子/mm²">
        <location filename="../quality_window.cpp" line="78"/>
        <source></source>
        <translation>photons/mm²</translation>
    </message>
    <message id="空気カーマ (1 mAs あたり)">
        <location filename="../quality_window.cpp" line="81"/>
        <source></source>
        <translation>Air kerma (per mAs)</translation>
    </message>
    <message id="μGy/mAs">
        <location filename="../quality_window.cpp" line="81"/>
        <source></source>
        <translation>μGy/mAs</translation>
    </message>
    <message id="絶対値を計算するモデル (物理モデル) で計算したときに示します">
        <location filename="../quality_window.cpp" line="82"/>
        <source></source>
        <translation>Shown for a model with absolute output (the physics model)</translation>
    </message>
    <message id="半価層の計算 (Quillon) がこのスペクトルを扱えません">
        <location filename="../quality_window.cpp" line="89"/>
        <source></source>
        <translation>The engine (Quillon) cannot take this spectrum</translation>
    </message>
    <message id="アルミニウム">
        <location filename="../quality_window.cpp" line="91"/>
        <location filename="../quality_window.cpp" line="375"/>
        <source></source>
        <translation>Aluminium</translation>
    </message>
    <message id="銅">
        <location filename="../quality_window.cpp" line="91"/>
        <location filename="../quality_window.cpp" line="376"/>
        <source></source>
        <translation>Copper</translation>
    </message>
    <message id="最初の厚さの刻みで空気カーマの透過率が 50 % を下回り、補間できません">
        <location filename="../quality_window.cpp" line="96"/>
        <source></source>
        <translation>The air kerma falls below 50 % within the first thickness step, so there is nothing to interpolate</translation>
    </message>
    <message id=" 100 mm でも空気カーマの透過率が 50 % 以上です">
        <location filename="../quality_window.cpp" line="98"/>
        <source></source>
        <translation> of 100 mm still lets 50 % or more of the air kerma through</translation>
    </message>
    <message id="の半価層がありません">
        <location filename="../quality_window.cpp" line="101"/>
        <source></source>
        <translation>: no half-value layer</translation>
    </message>
    <message id="300 keV までに半価層に対応する減弱係数がありません">
        <location filename="../quality_window.cpp" line="102"/>
        <source></source>
        <translation>No energy up to 300 keV has the layer&apos;s attenuation coefficient</translation>
    </message>
    <message id="結果ファイルの欄に収まりません">
        <location filename="../quality_window.cpp" line="104"/>
        <source></source>
        <translation>Too large for the result file&apos;s field</translation>
    </message>
    <message id="特性X線">
        <location filename="../quality_window.cpp" line="199"/>
        <source></source>
        <translation>Characteristic lines</translation>
    </message>
    <message id="なし (制動放射のみ)">
        <location filename="../quality_window.cpp" line="199"/>
        <source></source>
        <translation>none (bremsstrahlung alone)</translation>
    </message>
    <message id="目標の第1半価層 ">
        <location filename="../quality_window.cpp" line="216"/>
        <source></source>
        <translation>The target first HVL </translation>
    </message>
    <message id=" は得られません。">
        <location filename="../quality_window.cpp" line="217"/>
        <source></source>
        <translation> cannot be reached.</translation>
    </message>
    <message id=" 0 ～ ">
        <location filename="../quality_window.cpp" line="219"/>
        <source></source>
        <translation> from 0 to </translation>
    </message>
    <message id=" mm で得られるのは ">
        <location filename="../quality_window.cpp" line="220"/>
        <source></source>
        <translation> mm gives </translation>
    </message>
    <message id=" ～ ">
        <location filename="../quality_window.cpp" line="221"/>
        <source></source>
        <translation> to </translation>
    </message>
    <message id=" です。">
        <location filename="../quality_window.cpp" line="222"/>
        <source></source>
        <translation>.</translation>
    </message>
    <message id="この条件のビームには半価層がありません。">
        <location filename="../quality_window.cpp" line="224"/>
        <source></source>
        <translation>A beam of these inputs has no half-value layer.</translation>
    </message>
    <message id="空気カーマの距離">
        <location filename="../quality_window.cpp" line="311"/>
        <location filename="../quality_window.cpp" line="766"/>
        <source></source>
        <translation>Air kerma distance</translation>
    </message>
    <message id="クリップボードにコピー">
        <location filename="../quality_window.cpp" line="329"/>
        <source></source>
        <translation>Copy to clipboard</translation>
    </message>
    <message id="入力と全ての値をテキストとしてコピー (表計算ソフトに貼り付けられます)">
        <location filename="../quality_window.cpp" line="330"/>
        <source></source>
        <translation>Copies the inputs and every figure as text (for a spreadsheet)</translation>
    </message>
    <message id="標準線質を入力欄に設定">
        <location filename="../quality_window.cpp" line="337"/>
        <source></source>
        <translation>Standard quality into the inputs</translation>
    </message>
    <message id="測定した第1半価層からろ過を求める">
        <location filename="../quality_window.cpp" line="363"/>
        <source></source>
        <translation>Filtration from a measured first HVL</translation>
    </message>
    <message id="求めて設定">
        <location filename="../quality_window.cpp" line="384"/>
        <source></source>
        <translation>Fit and set</translation>
    </message>
    <message id="厚さを求める欄">
        <location filename="../quality_window.cpp" line="385"/>
        <source></source>
        <translation>Entry to fit</translation>
    </message>
    <message id="半価層の材質">
        <location filename="../quality_window.cpp" line="387"/>
        <source></source>
        <translation>Layer material</translation>
    </message>
    <message id="測定した第1半価層">
        <location filename="../quality_window.cpp" line="389"/>
        <source></source>
        <translation>Measured first HVL</translation>
    </message>
    <message id="閉じる">
        <location filename="../quality_window.cpp" line="504"/>
        <source></source>
        <translation>Close</translation>
    </message>
    <message id="²">
        <location filename="../quality_window.cpp" line="576"/>
        <source></source>
        <translation>²</translation>
    </message>
    <message id="線質を計算できません。">
        <location filename="../quality_window.cpp" line="612"/>
        <location filename="../quality_window.cpp" line="614"/>
        <source></source>
        <translation>The beam quality cannot be computed.</translation>
    </message>
    <message id="計算したスペクトルがありません。「Graph Draw」で計算すると、その線質を示します。">
        <location filename="../quality_window.cpp" line="630"/>
        <source></source>
        <translation>No spectrum computed yet. After “Graph Draw” its beam quality is shown here.</translation>
    </message>
    <message id="、">
        <location filename="../quality_window.cpp" line="651"/>
        <location filename="../quality_window.cpp" line="839"/>
        <location filename="../quality_window.cpp" line="845"/>
        <source></source>
        <translation>, </translation>
    </message>
    <message id="線質 %1 を設定した後に入力が変わったため、公称値とは比べません。">
        <location filename="../quality_window.cpp" line="693"/>
        <source></source>
        <translation>The inputs changed after the quality %1 was set: its published figures are not compared.</translation>
    </message>
    <message id="規格の公称値と計算値の比較">
        <location filename="../quality_window.cpp" line="710"/>
        <source></source>
        <translation>Published figures of the quality beside the beam</translation>
    </message>
    <message id="計算値">
        <location filename="../quality_window.cpp" line="713"/>
        <source></source>
        <translation>Computed</translation>
    </message>
    <message id="公称値">
        <location filename="../quality_window.cpp" line="714"/>
        <source></source>
        <translation>Nominal</translation>
    </message>
    <message id="偏差">
        <location filename="../quality_window.cpp" line="715"/>
        <source></source>
        <translation>Deviation</translation>
    </message>
    <message id="Kestrix 線質">
        <location filename="../quality_window.cpp" line="749"/>
        <source></source>
        <translation>Kestrix beam quality</translation>
    </message>
    <message id="種類">
        <location filename="../quality_window.cpp" line="757"/>
        <source></source>
        <translation>filters</translation>
    </message>
    <message id="任意材質フィルタ %1">
        <location filename="../quality_window.cpp" line="759"/>
        <source></source>
        <translation>Material filter %1</translation>
    </message>
    <message id="相対値のモデルでは求めません (物理モデルのみ)">
        <location filename="../quality_window.cpp" line="779"/>
        <location filename="../quality_window.cpp" line="1091"/>
        <source></source>
        <translation>Not for a relative model (physics model only)</translation>
    </message>
    <message id="空気カーマの距離が空です。">
        <location filename="../quality_window.cpp" line="793"/>
        <source></source>
        <translation>The air kerma distance is empty. </translation>
    </message>
    <message id="空気カーマの距離「">
        <location filename="../quality_window.cpp" line="794"/>
        <source></source>
        <translation>The air kerma distance “</translation>
    </message>
    <message id="」は正の数ではありません。">
        <location filename="../quality_window.cpp" line="795"/>
        <source></source>
        <translation>” is not a positive number. </translation>
    </message>
    <message id="焦点からの距離を正の数 (mm) で入力して下さい">
        <location filename="../quality_window.cpp" line="796"/>
        <source></source>
        <translation>Enter the distance from the focal spot as a positive number (mm)</translation>
    </message>
    <message id="コピーする値がありません。先に「Graph Draw」で計算して下さい。">
        <location filename="../quality_window.cpp" line="803"/>
        <source></source>
        <translation>Nothing to copy. Compute with “Graph Draw” first.</translation>
    </message>
    <message id="標準線質の表 ">
        <location filename="../quality_window.cpp" line="819"/>
        <source></source>
        <translation>The table of standard qualities </translation>
    </message>
    <message id=" を読み込めません。">
        <location filename="../quality_window.cpp" line="820"/>
        <location filename="../quality_window.cpp" line="1047"/>
        <source></source>
        <translation> cannot be read.</translation>
    </message>
    <message id="、Be ">
        <location filename="../quality_window.cpp" line="841"/>
        <source></source>
        <translation>, Be </translation>
    </message>
    <message id=" mm、Al ">
        <location filename="../quality_window.cpp" line="841"/>
        <source></source>
        <translation> mm, Al </translation>
    </message>
    <message id="、公称第1半価層 ">
        <location filename="../quality_window.cpp" line="849"/>
        <source></source>
        <translation>, nominal first HVL </translation>
    </message>
    <message id=" mm Al (固有ろ過はそのままで、アルミ付加フィルタを合わせます)">
        <location filename="../quality_window.cpp" line="850"/>
        <source></source>
        <translation> mm Al (the inherent filtration stays; the added aluminium is fitted)</translation>
    </message>
    <message id="線質 ">
        <location filename="../quality_window.cpp" line="861"/>
        <location filename="../quality_window.cpp" line="958"/>
        <source></source>
        <translation>Quality </translation>
    </message>
    <message id=" を設定できません。">
        <location filename="../quality_window.cpp" line="861"/>
        <source></source>
        <translation> cannot be set.</translation>
    </message>
    <message id="この線質は ">
        <location filename="../quality_window.cpp" line="869"/>
        <source></source>
        <translation>This is a quality of the </translation>
    </message>
    <message id=" の線質です。">
        <location filename="../quality_window.cpp" line="869"/>
        <source></source>
        <translation>. </translation>
    </message>
    <message id=" は W ターゲットのみ計算します。物理モデルで設定して下さい。">
        <location filename="../quality_window.cpp" line="870"/>
        <source></source>
        <translation> computes a W target only. Set it with the physics model.</translation>
    </message>
    <message id="任意材質フィルタが ">
        <location filename="../quality_window.cpp" line="903"/>
        <source></source>
        <translation>The material filters would exceed </translation>
    </message>
    <message id=" 種類を超えます (設定済み ">
        <location filename="../quality_window.cpp" line="904"/>
        <source></source>
        <translation> (already set: </translation>
    </message>
    <message id=" 種類)。">
        <location filename="../quality_window.cpp" line="905"/>
        <source></source>
        <translation>).</translation>
    </message>
    <message id="公称第1半価層 ">
        <location filename="../quality_window.cpp" line="915"/>
        <source></source>
        <translation>nominal first HVL </translation>
    </message>
    <message id=" の公称第1半価層 ">
        <location filename="../quality_window.cpp" line="916"/>
        <source></source>
        <translation>&apos;s nominal first HVL </translation>
    </message>
    <message id=" kV、">
        <location filename="../quality_window.cpp" line="918"/>
        <source></source>
        <translation> kV, </translation>
    </message>
    <message id=" mm Al) は、固有ろ過 Be ">
        <location filename="../quality_window.cpp" line="919"/>
        <source></source>
        <translation> mm Al) cannot be realised with the inherent filtration Be </translation>
    </message>
    <message id=" mm + Al 当量 ">
        <location filename="../quality_window.cpp" line="920"/>
        <source></source>
        <translation> mm + Al eq. </translation>
    </message>
    <message id=" mm では実現できません。アルミ付加フィルタなしで第1半価層がすでに ">
        <location filename="../quality_window.cpp" line="921"/>
        <source></source>
        <translation> mm: without added aluminium the first HVL is already </translation>
    </message>
    <message id=" mm Al あり、この線質より硬いビームです。">
        <location filename="../quality_window.cpp" line="923"/>
        <source></source>
        <translation> mm Al, a harder beam than this quality.</translation>
    </message>
    <message id=" を入力欄に設定しました">
        <location filename="../quality_window.cpp" line="958"/>
        <source></source>
        <translation> is set in the inputs</translation>
    </message>
    <message id=" の">
        <location filename="../quality_window.cpp" line="960"/>
        <source></source>
        <translation>&apos;s </translation>
    </message>
    <message id="アルミ付加フィルタ ">
        <location filename="../quality_window.cpp" line="961"/>
        <source></source>
        <translation>added aluminium </translation>
    </message>
    <message id=" mm で第1半価層 ">
        <location filename="../quality_window.cpp" line="962"/>
        <source></source>
        <translation> mm gives the first HVL </translation>
    </message>
    <message id="、その上に規格の付加フィルタ">
        <location filename="../quality_window.cpp" line="964"/>
        <source></source>
        <translation>, with the standard&apos;s added filter on top</translation>
    </message>
    <message id="。「Graph Draw」で計算します。">
        <location filename="../quality_window.cpp" line="966"/>
        <source></source>
        <translation>. “Graph Draw” computes it.</translation>
    </message>
    <message id="「測定した第1半価層」には正の数 (mm) を入力して下さい。">
        <location filename="../quality_window.cpp" line="978"/>
        <source></source>
        <translation>Enter a positive number (mm) as “Measured first HVL”.</translation>
    </message>
    <message id="ろ過を求められません。">
        <location filename="../quality_window.cpp" line="987"/>
        <source></source>
        <translation>The filtration cannot be fitted.</translation>
    </message>
    <message id=" を ">
        <location filename="../quality_window.cpp" line="1016"/>
        <source></source>
        <translation> is now </translation>
    </message>
    <message id=" mm にしました (第1半価層 ">
        <location filename="../quality_window.cpp" line="1017"/>
        <source></source>
        <translation> mm (first HVL </translation>
    </message>
    <message id=")。「Graph Draw」で計算します。">
        <location filename="../quality_window.cpp" line="1018"/>
        <source></source>
        <translation>). “Graph Draw” computes it.</translation>
    </message>
    <message id="終了">
        <location filename="../start_screen.cpp" line="77"/>
        <source></source>
        <translation>Exit</translation>
    </message>
    <message id="中エネルギー (300 kVまで) Ｘ線スペクトルの計算">
        <location filename="../start_screen.cpp" line="96"/>
        <source></source>
        <translation>of medium energy, up to 300 kV</translation>
    </message>
    <message id="産業・工業・研究用Ｘ線管から放射される">
        <location filename="../start_screen.cpp" line="98"/>
        <source></source>
        <translation>Spectra of industrial and research X-ray tubes</translation>
    </message>
    <message id="画面の言語 (次回の起動でも同じ言語で開きます)">
        <location filename="../start_screen.cpp" line="127"/>
        <source></source>
        <translation>Language of the windows (kept for the next start)</translation>
    </message>
    <message id="減弱係数テーブルを読み込めませんでした。">
        <location filename="../start_screen.cpp" line="152"/>
        <source></source>
        <translation>The attenuation table could not be read.</translation>
    </message>
    <message id="同じ名前のファイルがすでにあります。置き換えますか？">
        <location filename="../user_messages.cpp" line="78"/>
        <source></source>
        <translation>A file of that name is there already. Replace it?</translation>
    </message>
    <message id="はい">
        <location filename="../user_messages.cpp" line="81"/>
        <source></source>
        <translation>Yes</translation>
    </message>
    <message id="いいえ">
        <location filename="../user_messages.cpp" line="82"/>
        <source></source>
        <translation>No</translation>
    </message>
    <message id=" (値のある標本 %1)">
        <location filename="../quality_window.cpp" line="1160"/>
        <source></source>
        <translation> (samples with a value: %1)</translation>
    </message>
    <message id=" (幅 ">
        <location filename="../quality_window.cpp" line="1171"/>
        <source></source>
        <translation> (range </translation>
    </message>
    <message id=" を使えません: ">
        <location filename="../quality_window.cpp" line="1044"/>
        <source></source>
        <translation> cannot be used: </translation>
    </message>
    <message id="、しきい値 ">
        <location filename="../quality_window.cpp" line="1094"/>
        <source></source>
        <translation>, threshold </translation>
    </message>
    <message id="、距離 ">
        <location filename="../quality_window.cpp" line="1095"/>
        <source></source>
        <translation>, distance </translation>
    </message>
    <message id="。K 蛍光 X 線の逃げは扱いません (組成が不明)">
        <location filename="../quality_window.cpp" line="1096"/>
        <source></source>
        <translation>. Escape of K fluorescence not treated (composition unknown)</translation>
    </message>
    <message id="。K 蛍光 X 線の逃げを差し引きます">
        <location filename="../quality_window.cpp" line="1096"/>
        <source></source>
        <translation>. Escaping K fluorescence is subtracted</translation>
    </message>
    <message id="」の材質ファイルがありません。">
        <location filename="../quality_window.cpp" line="1038"/>
        <source></source>
        <translation>” has no material file.</translation>
    </message>
    <message id="しきい値">
        <location filename="../quality_window.cpp" line="419"/>
        <source></source>
        <translation>Threshold</translation>
    </message>
    <message id="しきい値には 0 以上の数 (keV) を入力するか、空欄にして下さい。">
        <location filename="../quality_window.cpp" line="1033"/>
        <source></source>
        <translation>Enter a threshold of 0 or more (keV), or leave it empty.</translation>
    </message>
    <message id="シードには 0 ～ %1 の整数を入力して下さい。">
        <location filename="../quality_window.cpp" line="1115"/>
        <source></source>
        <translation>Enter a whole number from 0 to %1 as the seed.</translation>
    </message>
    <message id="モデル間の差 (標本に含まれない系統的な幅):">
        <location filename="../quality_window.cpp" line="1163"/>
        <source></source>
        <translation>Spread between the models (systematic, not sampled):</translation>
    </message>
    <message id="不確かさ (標準不確かさから標本を計算)">
        <location filename="../quality_window.cpp" line="434"/>
        <source></source>
        <translation>Uncertainty (sampled from standard uncertainties)</translation>
    </message>
    <message id="不確かさ">
        <location filename="../quality_window.cpp" line="531"/>
        <source></source>
        <translation>Uncertainty</translation>
    </message>
    <message id="不確かさを計算できません。">
        <location filename="../quality_window.cpp" line="1102"/>
        <source></source>
        <translation>The uncertainty cannot be computed.</translation>
    </message>
    <message id="平均 ± 標準偏差、[95 % 区間]、モデル間の差は標本に含まれない系統的な幅">
        <location filename="../quality_window.cpp" line="471"/>
        <source></source>
        <translation>Mean ± standard deviation, [95 % interval]; the spread between the models is a systematic width not in the samples</translation>
    </message>
    <message id="検出器">
        <location filename="../quality_window.cpp" line="527"/>
        <source></source>
        <translation>Detector</translation>
    </message>
    <message id="検出器の厚さには正の数 (mm) を入力して下さい。">
        <location filename="../quality_window.cpp" line="1031"/>
        <source></source>
        <translation>Enter a positive detector thickness (mm).</translation>
    </message>
    <message id="検出器の応答">
        <location filename="../quality_window.cpp" line="400"/>
        <source></source>
        <translation>Detector response</translation>
    </message>
    <message id="検出器の応答を計算できません: ">
        <location filename="../quality_window.cpp" line="1080"/>
        <source></source>
        <translation>The detector response cannot be computed: </translation>
    </message>
    <message id="検出器の応答を計算できません。">
        <location filename="../quality_window.cpp" line="1022"/>
        <source></source>
        <translation>The detector response cannot be computed.</translation>
    </message>
    <message id="検出器の材質 (材質ファイルの名前も入力できます)">
        <location filename="../quality_window.cpp" line="407"/>
        <source></source>
        <translation>Detector material (a material file name may be typed too)</translation>
    </message>
    <message id="検出器の材質「">
        <location filename="../quality_window.cpp" line="1038"/>
        <source></source>
        <translation>The detector material “</translation>
    </message>
    <message id="検出器の材質を選ぶか、材質ファイルの名前を入力して下さい。">
        <location filename="../quality_window.cpp" line="1029"/>
        <source></source>
        <translation>Choose a detector material or type the name of a material file.</translation>
    </message>
    <message id="検出器の材質ファイル ">
        <location filename="../quality_window.cpp" line="1044"/>
        <location filename="../quality_window.cpp" line="1047"/>
        <source></source>
        <translation>The detector material file </translation>
    </message>
    <message id="標本 %1、シード %2、範囲外で引き直し %3">
        <location filename="../quality_window.cpp" line="1146"/>
        <source></source>
        <translation>Samples %1, seed %2, redrawn out of range %3</translation>
    </message>
    <message id="標本数には 2 ～ %1 の整数を入力して下さい。">
        <location filename="../quality_window.cpp" line="1111"/>
        <source></source>
        <translation>Enter a whole number of samples from 2 to %1.</translation>
    </message>
    <message id="標準不確かさ (正規分布)、0 で変えません">
        <location filename="../quality_window.cpp" line="463"/>
        <source></source>
        <translation>Standard uncertainty (normal distribution); 0 leaves it fixed</translation>
    </message>
    <message id="標準不確かさには 0 以上の数を入力して下さい。">
        <location filename="../quality_window.cpp" line="1107"/>
        <source></source>
        <translation>Enter standard uncertainties of 0 or more.</translation>
    </message>
    <message id="標準線質・ろ過">
        <location filename="../quality_window.cpp" line="522"/>
        <source></source>
        <translation>Qualities, fit</translation>
    </message>
    <message id="計数のしきい値 (空欄ならしきい値なし)">
        <location filename="../quality_window.cpp" line="412"/>
        <source></source>
        <translation>Counting threshold (empty: none)</translation>
    </message>
    <message id="計算">
        <location filename="../quality_window.cpp" line="413"/>
        <location filename="../quality_window.cpp" line="464"/>
        <source></source>
        <translation>Compute</translation>
    </message>
    <message id="計算したスペクトルがありません。">
        <location filename="../quality_window.cpp" line="1069"/>
        <source></source>
        <translation>No spectrum has been computed.</translation>
    </message>
    <message id="計算したスペクトルがありません。先に「Graph Draw」で計算して下さい。">
        <location filename="../quality_window.cpp" line="1119"/>
        <source></source>
        <translation>No spectrum has been computed. Compute one with “Graph Draw” first.</translation>
    </message>
    <message id="keV/(mAs·mm²)">
        <location filename="../quality_window.cpp" line="250"/>
        <source></source>
        <translation>keV/(mAs·mm²)</translation>
    </message>
    <message id="アルミ当量">
        <location filename="../quality_window.cpp" line="447"/>
        <source></source>
        <translation>Al equivalent</translation>
    </message>
    <message id="シード">
        <location filename="../quality_window.cpp" line="450"/>
        <source></source>
        <translation>Seed</translation>
    </message>
    <message id="光子/(mAs·mm²)">
        <location filename="../quality_window.cpp" line="251"/>
        <source></source>
        <translation>1/(mAs·mm²)</translation>
    </message>
    <message id="吸収エネルギー">
        <location filename="../quality_window.cpp" line="250"/>
        <source></source>
        <translation>Absorbed energy</translation>
    </message>
    <message id="吸収エネルギーの割合">
        <location filename="../quality_window.cpp" line="249"/>
        <source></source>
        <translation>Absorbed share</translation>
    </message>
    <message id="検出光子数">
        <location filename="../quality_window.cpp" line="251"/>
        <source></source>
        <translation>Detected photons</translation>
    </message>
    <message id="標本数">
        <location filename="../quality_window.cpp" line="449"/>
        <source></source>
        <translation>Samples</translation>
    </message>
    <message id="管電圧">
        <location filename="../quality_window.cpp" line="446"/>
        <source></source>
        <translation>Tube voltage</translation>
    </message>
    <message id="角度">
        <location filename="../quality_window.cpp" line="448"/>
        <source></source>
        <translation>Angle</translation>
    </message>
    <message id="量子検出効率">
        <location filename="../quality_window.cpp" line="248"/>
        <source></source>
        <translation>QDE</translation>
    </message>
    <message id="測定スペクトル (energy_keV,value の CSV)">
        <location filename="../quality_window.cpp" line="475"/>
        <source></source>
        <translation>Measured spectrum (CSV of energy_keV,value)</translation>
    </message>
    <message id="参照">
        <location filename="../quality_window.cpp" line="481"/>
        <source></source>
        <translation>Browse</translation>
    </message>
    <message id="読み込んで重ねる">
        <location filename="../quality_window.cpp" line="482"/>
        <source></source>
        <translation>Read and overlay</translation>
    </message>
    <message id="測定スペクトルの線質を示し、グラフに赤紫の曲線で重ねます (ピークを 1 として)">
        <location filename="../quality_window.cpp" line="483"/>
        <source></source>
        <translation>Shows the measured spectrum’s figures and draws it over the graph in magenta (its peak as 1)</translation>
    </message>
    <message id="測定スペクトル">
        <location filename="../quality_window.cpp" line="498"/>
        <location filename="../quality_window.cpp" line="535"/>
        <source></source>
        <translation>Measured</translation>
    </message>
    <message id="CSV (*.csv *.txt);;すべて (*)">
        <location filename="../quality_window.cpp" line="498"/>
        <source></source>
        <translation>CSV (*.csv *.txt);;All (*)</translation>
    </message>
    <message id="測定スペクトルを使えません。">
        <location filename="../quality_window.cpp" line="1179"/>
        <source></source>
        <translation>The measured spectrum cannot be used.</translation>
    </message>
    <message id="ファイルを選んで下さい。">
        <location filename="../quality_window.cpp" line="1182"/>
        <source></source>
        <translation>Choose a file.</translation>
    </message>
    <message id="%1 行目: ">
        <location filename="../quality_window.cpp" line="1191"/>
        <source></source>
        <translation>Line %1: </translation>
    </message>
    <message id="グラフには重ねません (計算した曲線がないか、照射線量の表示です)">
        <location filename="../quality_window.cpp" line="1212"/>
        <source></source>
        <translation>Not drawn over the graph (no curve computed, or the exposure is shown)</translation>
    </message>
    <message id="透過ターゲット">
        <location filename="../entry_review.cpp" line="1"/>
        <source></source>
        <translation>Transmission target</translation>
    </message>
    <message id=" kV は透過ターゲットの上限の ">
        <location filename="../entry_review.cpp" line="1"/>
        <source></source>
        <translation> kV is above the transmission target's highest, </translation>
    </message>
    <message id=" kV は透過ターゲットの下限の ">
        <location filename="../entry_review.cpp" line="1"/>
        <source></source>
        <translation> kV is at or below the transmission target's lowest, </translation>
    </message>
    <message id="透過ターゲットの窓 (%1 %2 mm) は、%3 kV の電子の飛程 %4 mm より薄いため、電子が窓を抜けてしまいます。窓を %4 mm 以上にするか、管電圧を下げて下さい。">
        <location filename="../entry_review.cpp" line="1"/>
        <source></source>
        <translation>The transmission target's window (%1 %2 mm) is thinner than the range of %3 kV electrons in it, %4 mm: electrons would leave the window. Make the window at least %4 mm, or lower the tube voltage.</translation>
    </message>
    <message id="透過ターゲットは計算できません: ">
        <location filename="../entry_review.cpp" line="1"/>
        <source></source>
        <translation>The transmission target cannot be computed: </translation>
    </message>
    <message id="反射ターゲット">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Reflection target</translation>
    </message>
    <message id="W 透過ターゲット: 層 %1 µm、窓 %2 %3 mm">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>W transmission target: layer %1 µm, window %2 %3 mm</translation>
    </message>
    <message id="ターゲットの種類">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Target kind</translation>
    </message>
    <message id="反射ターゲット (ターゲット角度)">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Reflection target (at the target angle)</translation>
    </message>
    <message id="透過ターゲット (窓の上のタングステン層)">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Transmission target (a tungsten layer on the window)</translation>
    </message>
    <message id="タングステン層の厚さ (%1 ～ %2 µm)">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Thickness of the tungsten layer (%1 to %2 µm)</translation>
    </message>
    <message id="層を載せた窓の材質、ビームはこの窓を通って出ます">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Material of the window under the layer; the beam leaves through it</translation>
    </message>
    <message id="窓の厚さ: 管電圧での電子の飛程以上">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Window thickness: at least the electrons' range at the tube voltage</translation>
    </message>
    <message id="タングステン層">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Tungsten layer</translation>
    </message>
    <message id="窓の材質">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Window material</translation>
    </message>
    <message id="窓の厚さ">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Window thickness</translation>
    </message>
    <message id="キャンセル">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>Cancel</translation>
    </message>
    <message id="「%1」の「%2」は使えません。0 より大きい数を %3 で入力して下さい。">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>"%2" cannot be used for "%1". Enter a number above 0 in %3.</translation>
    </message>
    <message id="「タングステン層」の %1 µm は範囲外です。%2 ～ %3 µm の厚さを入力して下さい。">
        <location filename="../transmission_dialog.cpp" line="1"/>
        <source></source>
        <translation>The tungsten layer of %1 µm is out of range. Enter a thickness of %2 to %3 µm.</translation>
    </message>
    <message id="透過">
        <location filename="../main_window.cpp" line="1"/>
        <source></source>
        <translation>Trans.</translation>
    </message>
    <message id="ターゲットの種類: ">
        <location filename="../main_window.cpp" line="1"/>
        <source></source>
        <translation>Target kind: </translation>
    </message>
    <message id="透過ターゲットにはターゲット角度がありません (ビームは窓を通って電子の方向に出ます)">
        <location filename="../main_window.cpp" line="1"/>
        <source></source>
        <translation>A transmission target has no target angle (the beam leaves through the window along the electrons' direction)</translation>
    </message>
    <message id="透過ターゲットは計算できません。層の厚さ、窓の厚さと管電圧を確かめて下さい (窓は電子の飛程以上の厚さが必要です)。">
        <location filename="../failure_texts.cpp" line="1"/>
        <source></source>
        <translation>The transmission target cannot be computed. Check the layer and window thicknesses and the tube voltage (the window must be at least the electrons' range thick).</translation>
    </message>
    <message id="標準線質は反射ターゲットの線質です。透過ターゲットでは設定できません。">
        <location filename="../quality_window.cpp" line="1"/>
        <source></source>
        <translation>A standard quality's tube is a reflection target: it cannot be set with a transmission target.</translation>
    </message>
</context>
</TS>
