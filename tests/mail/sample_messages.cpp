#include "tests/mail/sample_messages.h"

#include <fstream>
#include <iterator>

#include "tests/support/test_env.h"

namespace samples {

const std::vector<ShownMessage>& shownMessages() {
    static const std::vector<ShownMessage> kMessages = {
        {"07-utf8-base64-emoji", "株式会社ネコ商店 <shop@example.jp>", "ご注文ありがとうございます〓",
         "山田様 この度はご注文いただき誠にありがとうございます。 ", false},
        {"08-utf8-quoted-printable", "佐藤 花子 <hanako.sato@example.jp>", "今日のおすすめ〓とコーヒー",
         "お世話になっております。 本日のおすすめ〓をお送りします。 ", false},
        {"09-utf8-split-word", "billing@example.jp", "請求書の送付について",
         "今月分の請求書を添付いたします。 ご確認ください。 ", false},
        {"10-raw-shift-jis", "経理部 <keiri@example.co.jp>", "見積もりの件（再送）",
         "見積書を再送いたします。 よろしくお願いいたします。 ", false},
        {"11-raw-iso-2022-jp", "鈴木一郎 <ichiro@example.jp>", "ｶﾀｶﾅ混じりの件名です",
         "㈱ネコ商事より①番目のご案内です。 ", false},
        {"12-euc-jp-body", "田中美咲 <misaki@example.jp>", "忘年会の出欠確認", "皆様 今年の忘年会は十二月二十日です。 ",
         false},
        {"13-newsletter-alternative", "ネコ通信 <news@example.jp>", "【ネコ通信】冬のあったかグッズ特集",
         "ネコ通信 2026年12月号 今月の特集：冬のあったかグッズです。 ", false},
        {"14-html-only-base64", "ネコ商店 <sale@example.jp>", "年末セールのお知らせ",
         "年末セール 開催中！ 全品%オフ&送料無料 <12月31日まで> ", false},
        {"15-nested-attachment-first", "高橋健太 <kenta@example.jp>", "資料を送ります",
         "会議の資料を添付します。 ご確認ください。 ", true},
        {"16-windows-1252-quotes", "Zo〓 Smith <zoe@example.com>", "“Smart quotes” and ‘apostrophes’",
         "It’s a “test” × 2. ", false},
        {"17-koi8-r", "Иван Петров <ivan@example.ru>", "Привет из Москвы", "Добрый день! ", false},
        {"18-chinese-korean", "陳大文 <chan@example.tw>", "会〓通知：明天下午三点", "〓〓〓〓〓. 會議 〓〓〓〓〓. OK ",
         false},
        {"19-forwarded-as-attachment", "山本大輔 <daisuke@example.jp>", "Fwd: 来月の予定",
         "来月の予定をお知らせします。 説明会は午後二時からです。 ", true},
        {"20-enclosed-message-alone", "archive@example.jp", "Archived message",
         "社内報十二月号をお届けします。 今月は忘年会の特集です。 ", true},
        {"21-delivery-report", "Mail Delivery System <MAILER-DAEMON@example.jp>", "Undelivered Mail Returned to Sender",
         "お見積もりをお送りします。 ", true},
        {"22-type-without-subtype", "Борис <boris@example.ru>", "Отчёт за неделю", "Добрый вечер! Отчёт во вложении. ",
         false},
        {"23-text-log-part", "cron@example.jp", "Nightly backup log",
         "02:00 backup started 02:14 backup finished: 3.2 GB ", false},
        {"24-raw-latin-1-header", "J〓rgen M〓ller <juergen@example.de>", "Gr〓〓e ￡ 5",
         "Viele Gr〓〓e aus Berlin, ￡ 5 und § 3. ", false},
        // Written as CP932's full-width look-alikes, whose codes the wave dash and its relatives share.
        {"25-wave-dash-utf-8", "森 ゆい <yui@example.jp>", "週末の予定 ― weekend",
         "3月～5月は休みです。 ￠と￡と￢、∥と－1。 ", false},
        {"26-html-capital-entities", "ネコ工房 <kobo@example.jp>", "新作のご案内", "新作 <冬> & \"春\" ", false},
        {"27-gb18030-four-byte", "王小明 <wang@example.cn>", "ｶﾀﾛｸﾞ・目〓", "ｶﾀﾛｸﾞ・日本 ", false},
    };
    return kMessages;
}

std::string messageFile(const char* name) {
    const std::string path = testenv::hostPath(std::string(QV_MESSAGES_DIR "/") + name + ".eml");
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace samples
