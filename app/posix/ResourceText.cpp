// The program's built-in string table: string 101 only.
#include "app/ResourceText.h"

std::string LoadResourceText(unsigned int id) {
    if (id == IDS_ABOUTBOX) return "Fernpost のﾊﾞｰｼﾞｮﾝ情報(&A)...";
    return {};
}
