#include "health_words.h"

#include <cstdio>

namespace {

// The counts by the names the S.M.A.R.T. viewer's users know them by.
const char* CountName(std::uint8_t id)
{
    switch (id) {
    case 0: return "メディアエラー";
    case 5: return "代替処理済みのセクタ";
    case 187: return "訂正できなかったエラー";
    case 188: return "コマンドのタイムアウト";
    case 197: return "代替処理待ちのセクタ";
    case 198: return "回復できないセクタ";
    case 199: return "転送 (CRC) エラー";
    default: return "カウント";
    }
}

std::string Format(const char* format, unsigned long long a, unsigned long long b = 0, unsigned long long c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

}  // namespace

const char* HealthWord(std::uint8_t health)
{
    switch (health) {
    case 1: return "正常";
    case 2: return "注意";
    case 3: return "危険";
    default: return "不明";
    }
}

std::string HealthReasonWords(std::uint8_t kind, std::uint8_t attributeId, std::uint64_t from, std::uint64_t to,
                              std::uint32_t limit)
{
    switch (kind) {
    case 1:  // an attribute at or below its threshold
        return Format("属性 %llu の値 %llu がしきい値 %llu 以下", attributeId, to, limit);
    case 2:  // RETURN STATUS: failing
        return "ドライブ自身が故障の恐れを報告";
    case 3:  // a count above zero
        return std::string(CountName(attributeId)) + Format(" %llu 個", to);
    case 4:  // a count that rose
        return std::string(CountName(attributeId)) + Format("が %llu から %llu に増加", from, to);
    case 5:
        return Format("重大な警告 0x%02llx", to);
    case 6:
        return Format("寿命の %llu%% を使用", to);
    case 7:
        return Format("予備領域 %llu%% (しきい値 %llu%%)", to, limit);
    default:
        return std::string();
    }
}
