#include <array>
#include <cstdint>
#include <string_view>

#include "dialogs/common_dialog.h"
#include "ui/text.h"

namespace mokuji::dialogs {

namespace {

struct ErrorText {
    std::int32_t number;
    ui::Key text;
};

constexpr std::string_view kRetDefFailure =
    "PDReturnDefault フラグが設定されていますが、hDevMode フィールドまたは hDevNames フィールドが "
    "0 ではありません。";
constexpr std::string_view kLoadResFailure = "関数が指定したリソースをロードできません。";

// The table's numbers are the error numbers of the classic common dialog
// control, 0x7FFF minus the platform's extended error code taken as 16 bits
// (so 0x8000 stands for the code 0xFFFF). That relation is what lets a
// stored extended error code find its row.
constexpr std::array<ErrorText, 26> kErrorTexts{{
    {0x4FFC, "メンバ lpstrFile が指すバッファが小さすぎます。"},
    {0x4FFD, "ファイル名が無効です。"},
    {0x4FFE, "メモリ不足のために、リスト ボックスをサブクラス化できません。"},
    {0x5FFE, "フォントが存在しません。"},
    {0x6FF4,
     "WIN.INI ファイル内の [devices] "
     "セクションに、必要なプリンタについてのエントリがありません。"},
    {0x6FF5, "PrintDlg 関数が情報コンテキストを作成できません。"},
    {0x6FF6, "DevMode データ構造と DevNames データ構造のデータが異なるプリンタを指しています。"},
    {0x6FF7, "通常使うプリンタが設定されていません。"},
    {0x6FF8, "プリンタ ドライバが見つかりません。"},
    {0x6FF9, "PrintDlg 関数を初期化できません。"},
    {0x6FFA, "プリンタ ドライバが DevMode データ構造を初期化できません。"},
    {0x6FFB, "PrintDlg 関数が、指定したプリンタ ドライバをロードできません。"},
    {0x6FFC, kRetDefFailure},
    {0x6FFD, "CommonDialog 関数が WIN.INI の [devices] セクションの文字列を解析できません。"},
    {0x6FFE, "必要なリソースを読み込めません。"},
    {0x6FFF, kRetDefFailure},
    {0x7FEF, "Microsoft Windows のヘルプを呼び出せません。"},
    {0x7FF0, "FileName プロパティまたは Filter プロパティにメモリを割り当てられません。"},
    {0x7FF3, "[キャンセル] ボタンが選択されました。"},
    {0x7FF5, "関数が、ハンドルに関連付けられたメモリをロックできません。"},
    {0x7FF6, "関数が、内部のデータ構造にメモリを割り当てられません。"},
    {0x7FF7, "関数が指定したリソースをロックできません。"},
    {0x7FF8, kLoadResFailure},
    {0x7FF9, kLoadResFailure},
    {0x7FFD, "関数を初期化できません。"},
    {0x8000, "関数がダイアログ ボックスをロードできません。"},
}};

constexpr std::string_view kUnknownError = "未知のｴﾗｰです。";

}  // namespace

std::string cCommonDlg::ErrDescription() const {
    // Codes outside 16 bits have no row; within them the control's number
    // wraps the same way its 16-bit constant did.
    if (ErrNumber_ < 0 || ErrNumber_ > 0xFFFF) return ui::Text(kUnknownError);
    std::int32_t number = (0x7FFF - ErrNumber_) & 0xFFFF;
    for (const ErrorText& row : kErrorTexts) {
        if (row.number == number) return ui::Text(row.text);
    }
    return ui::Text(kUnknownError);
}

}  // namespace mokuji::dialogs
