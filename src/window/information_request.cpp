#include "window/information_request.h"

#include "ui/text.h"
#include "window/information_texts.h"
#include "window/startup_messages.h"

namespace mokuji::window {

std::string InformationAnswer(InformationRequest request, const std::string& programName) {
    if (request == InformationRequest::Version) {
        // In the form the window's version box shows, so the two agree.
        return programName + " " + VersionNumberText(OwnVersion()) +
               "\r\nCopyright (C) the mokuji project\r\n";
    }
#ifdef _WIN32
    const std::string self = ".\\";
    const std::string opener = ui::Text("Windows がブックに関連付けたプログラム");
#else
    const std::string self = "./";
    const std::string opener =
        ui::Text("xdg-open（環境変数 MOKUJI_OPENER に指定があればそのプログラム）");
#endif
    // As the file names of the system are told apart.
#ifdef _WIN32
    const std::string letterCase = ui::Text("区別しません");
    const std::string draftsLeftOut = ui::Text("--exclude 下書き*");
#else
    const std::string letterCase = ui::Text("区別します");
    // Quoted, or the shell would put the names it matches in its place.
    const std::string draftsLeftOut = ui::Text("--exclude '下書き*'");
#endif
    // One entry of the catalogue an option, so that an option changed
    // leaves the English of the others standing.
    return UsageText(programName) + "\r\n" +
           ui::Text(
               "パスを付けずに起動するとウィンドウが開き、フォルダやブックをドロップして作成しま"
               "す。\r\n"
               "作成した目次ファイルは {1} で開きます。\r\n",
               {opener}) +
           "\r\n" + ui::Text("オプション（パスの前にも後にも書けます）:\r\n") +
           ui::Text(
               "  -h, --help        この説明を表示して終了します（ほかに何を指定しても）。\r\n") +
           ui::Text("  -V, --version     バージョンを表示して終了します。\r\n") +
           ui::Text(
               "  --extensions 一覧  集めるブックの拡張子をカンマで区切って指定します（例：\r\n"
               "                    xls,xlsx,xlsm）。--extensions=一覧 "
               "とも書けます。一度だけ指定\r\n"
               "                    できます。設定ファイルの extensions より優先します。\r\n") +
           ui::Text(
               "  -r, --recursive   サブフォルダ（隠しフォルダを除く）のブックも集めます。\r\n"
               "                    目次にはフォルダからの相対パス（例：営業部/回答.xls）で\r\n"
               "                    載せます。設定ファイルの recursive=yes と同じです。\r\n") +
           ui::Text(
               "  --no-recursive    サブフォルダを探しません（設定ファイルより優先します）。\r\n") +
           ui::Text(
               "  --list 形式       目次ファイルの形式を xls（00_目次.xls）か xlsx\r\n"
               "                    （00_目次.xlsx）で指定します。--list=形式 とも書けます。\r\n"
               "                    設定ファイルの list より優先します。指定しなければ、\r\n"
               "                    フォルダに 00_目次.xlsx だけがあるときにそれを更新し、\r\n"
               "                    それ以外は 00_目次.xls を作成または更新します。\r\n") +
           ui::Text("  --include パターン 相対パスがパターンに合うブックだけを集めます。\r\n") +
           ui::Text(
               "  --exclude パターン 相対パスがパターンに合うブックを集めません（--include\r\n"
               "                    より優先します）。どちらも --include=パターン のようにも\r\n"
               "                    書け、何度でも指定でき、設定ファイルの include、exclude\r\n"
               "                    の行に加わります。パターンの * は / を含まない任意の\r\n"
               "                    文字列、** は / も含む任意の文字列、? は1文字、[...] は\r\n"
               "                    その中の1文字です。/ のないパターンはフォルダ名とファイル\r\n"
               "                    名のそれぞれに合わせます（例：{1}）。\r\n"
               "                    英字の大文字と小文字は{2}。\r\n",
               {draftsLeftOut, letterCase}) +
           ui::Text(
               "  --csv ファイル    目次ファイルを作らず、目次に載せる行を CSV（UTF-8、\r\n"
               "                    RFC 4180）でファイルに書き出します。- なら標準出力に\r\n"
               "                    書きます。フォルダには何も書き込まず、何も開きません。\r\n"
               "                    1行目は列名、No. の列はありません。\r\n") +
           ui::Text(
               "  --jsonl ファイル  同じ行を JSON "
               "Lines（1行に1つのオブジェクト）で書き出します。\r\n"
               "                    数値は数値、日付は 2005-03-14（時刻があれば\r\n"
               "                    2005-03-14T10:30:00）、空のセルは null です。\r\n"
               "                    --csv=ファイル、--jsonl=ファイル とも書けます。\r\n") +
           ui::Text(
               "  --bom             --csv のファイルの先頭に BOM を付けます（EXCEL "
               "で開くとき）。\r\n") +
           ui::Text(
               "  --verbose         標準エラー出力がファイルやパイプのときも、進み具合を\r\n"
               "                    「caption: 」で始まる行に書きます。\r\n") +
           ui::Text("  --                これより後はオプションではなくパスです。\r\n") +
           ui::Text(
               "- で始まる名前のファイルやフォルダは {1}--help のように、または -- の後に指定し"
               "ます。\r\n",
               {self}) +
           ui::Text(
               "標準エラー出力がファイルやパイプのときは、読めなかったブックとその理由、\r\n"
               "最後に書き込んだ行数と目次ファイルのパスを書きます。\r\n") +
           "\r\n" + ui::Text("終了ステータス:\r\n") +
           ui::Text(
               "  0   目次ファイル（--csv、--jsonl ではそのファイル）を書き込みました\r\n"
               "      （読めなかったブックがあっても）\r\n") +
           ui::Text("  1   フォルダにブックがありません\r\n") +
           ui::Text(
               "  2   目次ファイル（--csv、--jsonl ではそのファイル）を保存できませんでした\r\n") +
           ui::Text(
               "  3   "
               "目次ファイルまたはひな形のブックを読めなかったため、目次ファイルはそのままです"
               "\r\n") +
           ui::Text("  4   目次ファイルを保存しましたが、一部のブックの行が欠けています\r\n") +
           ui::Text(
               "  5   "
               "目次ファイルがほかのプログラムで開かれているため、目次ファイルはそのままです\r\n") +
           ui::Text(
               "  64  パスが見つからないか、パスまたはオプションの指定が正しくありません\r\n"
               "      "
               "（目次ファイルを開くプログラムとしてこのプログラム自身が選ばれていたときも）\r\n") +
           ui::Text("  70  予期しないエラーで中断しました（そのエラーを表示します）\r\n");
}

}  // namespace mokuji::window
