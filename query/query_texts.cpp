#include "query_texts.h"

namespace {

constexpr TextRow kRows[] = {
    {"使い方: tempquery [オプション] ホスト...\n"
     "各ホストの KELVIX にドライブを問い合わせ、ドライブごとに 1 行を表示します。\n"
     "  ホスト           ホスト名または IPv4 アドレス (リゾルバーが返せば IPv6 も);\n"
     "                   host:port はそのポートで、192.168.1.0/28 は範囲の各アドレス\n"
     "                   (最大 1024 個) を問い合わせます\n"
     "                   - は標準入力からホストを 1 行に 1 つ読みます\n"
     "  -f, --file F     ファイル F からホストを 1 行に 1 つ読みます (# 以降はコメント)\n"
     "  -p, --port N     UDP ポート (既定 10008、または KELVIX_QUERY_PORT)\n"
     "  -t, --timeout S  各応答を待つ秒数 (既定 2、0 は無制限)\n"
     "  -r, --tries N    あきらめるまでに問い合わせる回数 (既定 3)\n"
     "  -P, --parallel N 同時に問い合わせるホストの数 (既定 64、最大 256、1 は順番に)\n"
     "  -T, --total S    全体の秒数。過ぎるとどのホストも待ちません\n"
     "                   (既定 0: 無制限)\n"
     "  -l, --long       各行の末尾に健康状態 (good など)、asleep (スリープ中)、\n"
     "                   not_answering (応答なし) を JSON と同じ語で付けます\n"
     "      --json       ホストごとに JSON オブジェクトを 1 つ\n"
     "      --check      全ホストについて監視システム向けの状態を 1 行 (終了コード 0 OK、\n"
     "                   1 WARNING、2 CRITICAL、3 UNKNOWN)\n"
     "      --down-critical  --check と共に: 応答しないホストを CRITICAL にします\n"
     "      --summary    高温、不健康、読めないドライブだけを 1 行ずつ (問題がなければ\n"
     "                   終了コード 0、1 行でも表示すれば 1)\n"
     "  -w, --warning N  --check か --summary と共に: N 度を超えるドライブは警告\n"
     "  -c, --critical N --check か --summary と共に: N 度を超えるドライブは危険\n"
     "  -h, --help       この説明\n",
     "usage: tempquery [options] host...\n"
     "Asks each host's KELVIX for its drives and prints one line per drive.\n"
     "  host             a host name or an IPv4 address (IPv6 where the resolver gives one);\n"
     "                   host:port asks on that port, 192.168.1.0/28 each address of\n"
     "                   the range (at most 1024)\n"
     "                   - reads hosts from standard input, one per line\n"
     "  -f, --file F     reads hosts from the file F, one per line (# starts a comment)\n"
     "  -p, --port N     UDP port (default 10008, or KELVIX_QUERY_PORT)\n"
     "  -t, --timeout S  seconds to wait for each answer (default 2; 0 waits without limit)\n"
     "  -r, --tries N    how many times to ask before giving up (default 3)\n"
     "  -P, --parallel N hosts asked at once (default 64, at most 256; 1 asks in turn)\n"
     "  -T, --total S    seconds for the whole run, after which no host is waited for\n"
     "                   (default 0: no limit)\n"
     "  -l, --long       ends each line in the drive's health (good, caution, bad,\n"
     "                   unknown), then asleep and not_answering where they hold\n"
     "      --json       one JSON object per host\n"
     "      --check      one status line for monitoring systems (exit 0 OK, 1 WARNING,\n"
     "                   2 CRITICAL, 3 UNKNOWN) over every host\n"
     "      --down-critical  with --check: a host that does not answer is CRITICAL\n"
     "      --summary    one line per drive that is hot, unhealthy or unread, nothing\n"
     "                   else (exit 0 when all is well, 1 when a line was printed)\n"
     "  -w, --warning N  with --check or --summary: a drive hotter than N degrees C warns\n"
     "  -c, --critical N with --check or --summary: a drive hotter than N is critical\n"
     "  -h, --help       this text\n"},
    {" (オプションは tempquery --help で表示されます)", " (tempquery --help shows the options)"},
};
static_assert(sizeof kRows / sizeof kRows[0] == static_cast<std::size_t>(QueryText::Count),
              "one row for every tempquery text");

}  // namespace

const char* Text(QueryText id)
{
    const auto index = static_cast<std::size_t>(id);
    return index < static_cast<std::size_t>(QueryText::Count) ? PickText(kRows[index]) : "";
}

const TextRow* QueryTextRows()
{
    return kRows;
}
