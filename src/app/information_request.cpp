#include "app/information_request.h"

#include "app/startup_messages.h"

namespace mokuji::app {

std::optional<InformationRequest> InformationRequestOf(const std::string& arguments) {
    if (arguments == "--help") return InformationRequest::Usage;
    if (arguments == "--version") return InformationRequest::Version;
    return std::nullopt;
}

std::string InformationAnswer(InformationRequest request, const std::string& programName) {
    if (request == InformationRequest::Version) {
        return programName + " " + std::to_string(MOKUJI_VERSION_MAJOR) + "." +
               std::to_string(MOKUJI_VERSION_MINOR) + "." + std::to_string(MOKUJI_VERSION_PATCH) +
               "\r\nCopyright (C) the mokuji project\r\n";
    }
#ifdef _WIN32
    const std::string self = ".\\";
    const std::string opener = "Windows がブックに関連付けたプログラム";
#else
    const std::string self = "./";
    const std::string opener = "xdg-open（環境変数 MOKUJI_OPENER に指定があればそのプログラム）";
#endif
    return UsageText(programName) +
           "\r\n"
           "パスを付けずに起動するとウィンドウが開き、フォルダやブックをドロップして作成します。\r"
           "\n"
           "作成した目次ファイルは " +
           opener +
           " で開きます。\r\n"
           "\r\n"
           "オプション（それだけを指定したときに限ります。その名前のファイルは " +
           self +
           "--help のように指定します）:\r\n"
           "  --help     この説明を表示して終了します。\r\n"
           "  --version  バージョンを表示して終了します。\r\n"
           "\r\n"
           "終了ステータス:\r\n"
           "  0   目次ファイルを書き込みました（読めなかったブックがあっても）\r\n"
           "  1   フォルダにブックがありません\r\n"
           "  2   目次ファイルを保存できませんでした\r\n"
           "  3   "
           "目次ファイルまたはひな形のブックを読めなかったため、目次ファイルはそのままです\r\n"
           "  4   目次ファイルを保存しましたが、一部のブックの行が欠けています\r\n"
           "  5   目次ファイルがほかのプログラムで開かれているため、目次ファイルはそのままです\r\n"
           "  64  パスが見つからないか、パスの指定が正しくありません（目次ファイルを開く\r\n"
           "      プログラムとしてこのプログラム自身が選ばれていたときも）\r\n";
}

}  // namespace mokuji::app
