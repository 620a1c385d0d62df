#include "list_file/property_names.h"

namespace mokuji::list_file {

void FillPropertyNames(PropertyNameTable& prop_name) {
    // Entries 28 and 30 hold half-width blanks, 30 also half-width brackets:
    // the names must match what users type into the list file exactly.
    prop_name = {"",
                 "タイトル",
                 "サブタイトル",
                 "作成者",
                 "キーワード",
                 "コメント",
                 "テンプレート",
                 "更新者",
                 "改訂番号",
                 "アプリケーション名",
                 "印刷日時",
                 "作成日時",
                 "更新日時",
                 "編集時間",
                 "ページ数",
                 "単語数",
                 "文字数",
                 "セキュリティ",
                 "分類",
                 "形式",
                 "管理者",
                 "会社名",
                 "バイト数",
                 "行数",
                 "段落数",
                 "スライドの数",
                 "メモの数",
                 "非表示スライドの数",
                 "マルチメディア クリップの数",
                 "ハイパーリンクの基点",
                 "文字数 (スペースを含む)"};
}

int PropertyIndexOf(const PropertyNameTable& prop_name, std::string_view columnName) {
    if (!columnName.starts_with(kReservedPrefix)) return 0;
    std::string_view rest = columnName.substr(kReservedPrefix.size());
    for (int k = 1; k < static_cast<int>(prop_name.size()); ++k) {
        if (rest == prop_name[k]) return k;
    }
    return 0;
}

}  // namespace mokuji::list_file
