#include "app/startup_messages.h"

#include "app/run_messages.h"

#include "engine/list_generation_driver.h"
#include "engine/list_layout.h"

namespace mokuji::app {

std::string NoWorkbooksMessage(const std::string& folder) {
    return "以下のフォルダにはEXCELのシートがありません。\r\n\r\n" + folder;
}

std::string PathNotFoundMessage(const std::string& given, const std::string& resolved) {
    std::string text =
        "指定されたファイルまたはフォルダが見つかりません。\r\n\r\n" + given + "\r\n";
    if (resolved != given) text += "（" + resolved + "）\r\n";
    return text;
}

std::string BadArgumentMessage(const std::string& given) {
    return "指定された引数はファイルまたはフォルダのパスではありません。\r\n\r\n" + given + "\r\n";
}

std::string ReadFailureMessage(const gather::ReadFailure& failure) {
    std::string found = FoundContentText(failure.content);
    return "以下のブックを読み込めなかったため、目次ファイルを作成・更新しませんでした。\r\n\r\n" +
           failure.path + "（" + OpenFailureText(failure.cause) + "）" +
           (found.empty() ? "" : "（" + found + "）") + "\r\n" + failure.reason + "\r\n";
}

std::string PassedOverTemplatesMessage(const std::vector<gather::ReadFailure>& failures) {
    std::string text = "以下のブックは読み込めなかったため、列の定義には使いませんでした。\r\n\r\n";
    for (const gather::ReadFailure& failure : failures) {
        text += failure.path + "（" + OpenFailureText(failure.cause) + "）\r\n";
    }
    return text;
}

std::string OpenedWithItselfMessage(const std::string& listFile) {
    return "目次ファイルを開くプログラムとして、このプログラム自身が選ばれています。\r\n"
           "目次ファイルはそのままにしました。EXCELのブック（.xls）を開く既定のプログラムには、"
           "表計算のプログラムを選んでください。\r\n"
           "\r\n" +
           listFile;
}

std::string UsageText(const std::string& programName) {
    return "使い方: " + programName +
           " パス\r\n"
           "\r\n"
           "パスのフォルダ（ファイルならそれを含むフォルダ）にあるEXCELのブックを集め、\r\n"
           "そのフォルダの目次ファイル " +
           std::string(engine::kListFileName) +
           " を作成または更新して開きます。\r\n"
           "パスにはフォルダ、目次ファイル、またはほかのブックを一つだけ指定します。\r\n"
           "集めるのは拡張子が xls, xlsx, xlsm のブックです。パスの前に --extensions xls と\r\n"
           "書くと、その拡張子のブックだけを集めます。\r\n";
}

}  // namespace mokuji::app
