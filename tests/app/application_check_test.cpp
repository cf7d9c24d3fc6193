// Whole checks through the Application: against the real test server, and against a scripted server that
// stops answering.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/error_texts.h"
#include "app/list_view.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"
#include "settings/password_scramble.h"
#include "tests/app/application_fixture.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/mailbox.h"
#include "tests/support/pop3_relay.h"
#include "tests/support/test_env.h"

namespace {

using uitest::ApplicationTest;

const char kPasswordCaption[] = "パスワードの入力　（Quorvane）";

class ApplicationCheckTest : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        peer = testenv::pop3Peer();
    }

    void TearDown() override {
        ApplicationTest::TearDown();
        // Leave the shared mailbox as the harness made it.
        testenv::Mailbox mailbox(peer);
        std::vector<std::string> samples;
        for (const auto& sample : mailbox.samples()) {
            samples.push_back(sample.second);
        }
        mailbox.reset(samples);
    }

    void useMessages(const std::vector<const char*>& names) {
        testenv::Mailbox mailbox(peer);
        std::vector<std::string> messages;
        for (const char* name : names) {
            messages.push_back(mailbox.sample(name));
        }
        mailbox.reset(messages);
    }

    void useFakeServer(const testenv::FakePop3Server& server) {
        folder.setIni("SERVER", "127.0.0.1");
        folder.setIni("POP3_PORT", std::to_string(server.port()));
        folder.setIni("USER", "neko");
        folder.setIni("PASS", settings::encodePass("secret"));
    }

    testenv::Pop3Peer peer;
};

TEST_F(ApplicationCheckTest, CheckByHandFillsAndRaisesTheListWindow) {
    useMessages({"01-plain-ascii", "02-japanese", "05-dot-line"});
    useRealServer();
    start();

    command(IDM_CHECK_NOW);
    EXPECT_EQ("チェック中 - Quorvane", uitest::windowText(mainWindow()));
    ASSERT_TRUE(waitForCheckEnd());

    EXPECT_EQ("3通のメールが来ました - Quorvane", uitest::windowText(mainWindow()));
    EXPECT_EQ(app::Application::Look::MailWaiting, look());
    EXPECT_EQ((std::vector<std::string>{"Lunch on Friday", "会議のお知らせ", "Dots"}), subjects());
    EXPECT_EQ("3", stateLine("list.rows"));
    EXPECT_TRUE(IsWindowVisible(listWindow()));
    EXPECT_EQ("enabled,default", menuState(IDM_CHECK_NOW)) << "the end of check restores the menu";
    EXPECT_EQ("grayed", menuState(IDM_STOP_CHECK));
    EXPECT_EQ("enabled", menuState(IDM_SETTINGS));
}

TEST_F(ApplicationCheckTest, ConfirmedDeletionDeletesExactlyTheTickedMessage) {
    useMessages({"01-plain-ascii", "02-japanese", "05-dot-line"});
    useRealServer();
    start();
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    ASSERT_EQ(3u, subjects().size());

    testenv::Mailbox mailbox(peer);
    auto before = mailbox.messages();
    app::list_view::setCheckState(listView(), 1, app::list_view::kTicked);
    {
        uitest::DialogAnswerer answer(IDYES);
        SendMessageA(listWindow(), WM_COMMAND, IDM_DELETE_CHECKED, 0);
    }
    // The window closes, reports the deletion, and the main window starts a check that keeps the list.
    ASSERT_TRUE(uitest::pumpUntil([&] { return checkRunning(); }));
    EXPECT_EQ("削除＆チェック中 - Quorvane", uitest::windowText(mainWindow()));
    ASSERT_TRUE(waitForCheckEnd());

    auto after = mailbox.messages();
    ASSERT_EQ(2u, after.size());
    EXPECT_EQ(before[0], after[0]);
    EXPECT_EQ(before[2], after[1]);
    EXPECT_EQ((std::vector<std::string>{"Lunch on Friday", "Dots"}), subjects());
    EXPECT_EQ("2通のメールが来ました - Quorvane", uitest::windowText(mainWindow()))
        << "the count is of the mails still waiting, not STAT's from before the deletion";
}

// A check by hand empties the list before it starts, yet what the last check saw is kept aside: the second
// check fetches no message again (counted by a relay) and lists the same mails, none of them new.
TEST_F(ApplicationCheckTest, ACheckByHandAfterAnotherFetchesOnlyNewMail) {
    useMessages({"01-plain-ascii", "02-japanese", "05-dot-line"});
    testenv::Pop3Relay relay(peer.port, false);
    useRealServer();
    folder.setIni("POP3_PORT", std::to_string(relay.port()));
    start();
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    EXPECT_EQ(3, relay.count("TOP"));
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(rowInBold(row)) << "new mail, row " << row;
    }

    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    EXPECT_EQ(3, relay.count("TOP")) << "no TOP for mail already seen";
    EXPECT_EQ((std::vector<std::string>{"Lunch on Friday", "会議のお知らせ", "Dots"}), subjects());
    EXPECT_EQ("3通のメールが来ました - Quorvane", uitest::windowText(mainWindow()));
    for (int row = 0; row < 3; ++row) {
        EXPECT_FALSE(rowInBold(row)) << "mail seen before, row " << row;
    }
}

TEST_F(ApplicationCheckTest, TimerCheckPreparesTheListWindowWithoutShowingIt) {
    useMessages({"01-plain-ascii"});
    useRealServer();
    start();
    SendMessageA(mainWindow(), WM_TIMER, 10, 0);
    ASSERT_TRUE(waitForCheckEnd());
    EXPECT_EQ("1通のメールが来ました - Quorvane", uitest::windowText(mainWindow()));
    ASSERT_NE(nullptr, listWindow());
    EXPECT_FALSE(IsWindowVisible(listWindow()));

    command(app::kCmdRaiseList);
    EXPECT_TRUE(IsWindowVisible(listWindow()));
}

TEST_F(ApplicationCheckTest, EmptyMailboxShowsNoMailAndClosesTheListWindow) {
    useMessages({"01-plain-ascii"});
    useRealServer();
    start();
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    ASSERT_NE(nullptr, listWindow());

    useMessages({});
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    EXPECT_EQ(nullptr, listWindow());
    EXPECT_EQ(app::Application::Look::Idle, look());
}

TEST_F(ApplicationCheckTest, WrongPasswordShowsTheCodeFourMessage) {
    useMessages({"01-plain-ascii"});
    useRealServer();
    folder.setIni("PASS", settings::encodePass("not the password"));
    start();
    uitest::DialogAnswerer answer(IDOK);
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    ASSERT_EQ(1u, answer.seen().size());
    EXPECT_EQ("Quorvane", answer.seen()[0].caption);
    EXPECT_EQ(app::errorMessage(mail::kErrPass), answer.seen()[0].text);
    EXPECT_EQ("Quorvane", uitest::windowText(mainWindow()));
    EXPECT_EQ(app::Application::Look::Idle, look());
}

TEST_F(ApplicationCheckTest, CancelledPasswordPromptSkipsOnlyThisCheck) {
    useMessages({"01-plain-ascii"});
    useRealServer();
    folder.setIni("PASS", "");
    start();

    uitest::DialogAnswerer answer(IDCANCEL);
    command(IDM_CHECK_NOW);
    ASSERT_EQ(1u, answer.seen().size());
    EXPECT_EQ(kPasswordCaption, answer.seen()[0].caption);
    EXPECT_FALSE(checkRunning());
    EXPECT_TRUE(application->IsEnded()) << "no check started";
    EXPECT_EQ("Quorvane", uitest::windowText(mainWindow()));

    answer.answerWith(IDOK);  // confirmed empty: skipped as well
    command(IDM_CHECK_NOW);
    EXPECT_EQ(2u, answer.seen().size());
    EXPECT_FALSE(checkRunning());

    std::string password = peer.pass;
    answer.answerWith(IDOK, [password](HWND dialog) { SetDlgItemTextA(dialog, 1010, password.c_str()); });
    command(IDM_CHECK_NOW);
    ASSERT_EQ(3u, answer.seen().size()) << "the next check asks again";
    ASSERT_TRUE(waitForCheckEnd());
    EXPECT_EQ("1通のメールが来ました - Quorvane", uitest::windowText(mainWindow()));
    // A typed password serves one check: the next one asks again, and the file never gets it.
    answer.answerWith(IDCANCEL);
    command(IDM_CHECK_NOW);
    ASSERT_EQ(4u, answer.seen().size());
    EXPECT_EQ(kPasswordCaption, answer.seen()[3].caption);
    EXPECT_EQ("", folder.ini("PASS"));
}

TEST_F(ApplicationCheckTest, HungCheckGraysTheMenuAndStopsWithoutAMessage) {
    testenv::FakePop3Server server("+OK ready\r\n", {{"USER neko", "", testenv::After::Hang}});
    useFakeServer(server);
    start();
    uitest::DialogAnswerer answer(IDOK);
    command(IDM_CHECK_NOW);
    server.waitUntilHanging();
    ASSERT_TRUE(uitest::pumpUntil([&] { return look() == app::Application::Look::Checking; }));

    EXPECT_EQ("チェック中 - Quorvane", uitest::windowText(mainWindow()));
    EXPECT_EQ("grayed,default", menuState(IDM_CHECK_NOW));
    EXPECT_EQ("grayed", menuState(IDM_SETTINGS));
    EXPECT_EQ("enabled", menuState(IDM_STOP_CHECK));

    command(IDM_STOP_CHECK);
    ASSERT_TRUE(waitForCheckEnd());
    EXPECT_TRUE(answer.seen().empty()) << "a stopped check shows no error";
    EXPECT_EQ("Quorvane", uitest::windowText(mainWindow()));
    EXPECT_EQ(app::Application::Look::Idle, look());
    EXPECT_EQ("enabled,default", menuState(IDM_CHECK_NOW));
    EXPECT_EQ("enabled", menuState(IDM_SETTINGS));
    EXPECT_EQ("grayed", menuState(IDM_STOP_CHECK));
}

TEST_F(ApplicationCheckTest, DeletionConfirmedDuringACheckIsCancelledAndForgotten) {
    const std::vector<ServedMail> mailbox = {{"kept", "neko", 10}, {"kept", "neko", 10}};
    testenv::FakePop3Server server("+OK ready\r\n", mailboxSession(mailbox));
    server.thenServe({{"USER neko", "", testenv::After::Hang}});
    server.thenServe(mailboxSession(mailbox));
    useFakeServer(server);
    start();
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    command(IDM_CHECK_NOW, app::kKeepListMarker);
    server.waitUntilHanging();

    {
        uitest::DialogAnswerer answer(IDOK);
        command(app::kCmdListClosed, 0);
        EXPECT_TRUE(answer.seen().empty()) << "a plain close during a check does nothing";
    }
    EXPECT_EQ("2", stateLine("list.rows"));

    confirmDeletion(0);
    uitest::DialogAnswerer answer(IDOK);
    ASSERT_TRUE(uitest::pumpUntil([&] { return !answer.seen().empty(); }));
    EXPECT_EQ("Quorvane", answer.seen()[0].caption);
    EXPECT_EQ("現在チェック中なので現在の削除は、キャンセルされます", answer.seen()[0].text);
    EXPECT_TRUE(checkRunning()) << "no second check";

    command(IDM_STOP_CHECK);
    ASSERT_TRUE(waitForCheckEnd());
    // No later check may carry it out, not even one that keeps the list.
    command(IDM_CHECK_NOW, app::kKeepListMarker);
    ASSERT_TRUE(waitForCheckEnd());
    const auto commands = server.commands();
    EXPECT_EQ(0, std::count(commands.begin(), commands.end(), "DELE 1"));
    EXPECT_EQ(1u, answer.seen().size());
}

TEST_F(ApplicationCheckTest, ARefusedDeletionKeepsItsRowAndSaysSo) {
    const std::vector<testenv::Exchange> listing = {
        {"USER neko", "+OK\r\n"},
        {"PASS secret", "+OK\r\n"},
        {"STAT", "+OK 1 50\r\n"},
        {"TOP 1 9", "+OK\r\nFrom: Hanako\r\nSubject: Photos\r\n\r\nHere.\r\n.\r\n"},
        {"LIST", "+OK\r\n1 50\r\n.\r\n"}};
    std::vector<testenv::Exchange> first = listing;
    first.push_back({"QUIT", "+OK\r\n", testenv::After::Close});
    std::vector<testenv::Exchange> second = listing;
    second.push_back({"DELE 1", "-ERR locked\r\n"});
    second.push_back({"QUIT", "+OK\r\n", testenv::After::Close});
    testenv::FakePop3Server server("+OK ready\r\n", first);
    server.thenServe(second);
    useFakeServer(server);
    start();
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    ASSERT_EQ((std::vector<std::string>{"Photos"}), subjects());

    confirmDeletion(0);  // the window closes and asks for a check that carries out the deletion
    uitest::DialogAnswerer answer(IDOK);
    uitest::drainMessages();
    ASSERT_TRUE(waitForCheckEnd());
    ASSERT_TRUE(uitest::pumpUntil([&] { return !answer.seen().empty(); }));

    EXPECT_EQ("Quorvane", answer.seen()[0].caption);
    EXPECT_EQ("チェックしたメールのうち、消せなかったメールがあるにゃ\n消せなかったメールはサーバに残っています",
              answer.seen()[0].text);
    EXPECT_EQ((std::vector<std::string>{"Photos"}), subjects()) << "the mail is still on the server";
    const auto commands = server.commands();
    EXPECT_EQ(1, std::count(commands.begin(), commands.end(), "DELE 1"));
    EXPECT_EQ(commands.back(), "QUIT");
}

// Several mailboxes in one round: one with mail, one that refuses the password, one without a user (never
// checked) and one without a password, whose question names it. The box names its mailbox on a line of its own;
// the title counts the mail of all. A confirmed deletion then connects only the mailbox of the ticked mail.
TEST_F(ApplicationCheckTest, SeveralMailboxesAreCheckedSideBySideAndDeletionReachesOnlyTheTickedOnesServer) {
    const std::vector<ServedMail> mails = {{"first", "neko", 10}, {"second", "neko", 20}};
    testenv::FakePop3Server home("+OK ready\r\n", mailboxSession(mails));
    home.thenServe(mailboxSession(mails, {{"DELE 2", "+OK\r\n"}}));
    testenv::FakePop3Server work("+OK ready\r\n",
                                 {{"USER neko", "+OK\r\n"}, {"PASS secret", "-ERR no\r\n", testenv::After::Close}});
    testenv::FakePop3Server spare("+OK ready\r\n", {});
    useFakeServer(home);
    folder.setIni("Name", "いえ");
    const auto account = [&](const char* section, const char* name, const testenv::FakePop3Server& server) {
        folder.setIni(section, "SERVER", "127.0.0.1");
        folder.setIni(section, "POP3_PORT", std::to_string(server.port()));
        folder.setIni(section, "USER", "neko");
        folder.setIni(section, "PASS", settings::encodePass("secret"));
        folder.setIni(section, "Name", name);
    };
    account("Account2", "しごと", work);
    account("Account3", "ないしょ", spare);
    folder.setIni("Account3", "USER", "");
    account("Account4", "よび", spare);
    folder.setIni("Account4", "PASS", "");
    start();

    uitest::DialogAnswerer answer(IDOK);  // the password question confirmed empty: that check is skipped
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    ASSERT_TRUE(uitest::pumpUntil([&] { return answer.seen().size() >= 2; }));
    ASSERT_EQ(2u, answer.seen().size());
    EXPECT_EQ("パスワードの入力　（よび）", answer.seen()[0].caption);
    EXPECT_EQ("Quorvane", answer.seen()[1].caption);
    EXPECT_EQ(std::string("しごと\n") + app::errorMessage(mail::kErrPass), answer.seen()[1].text);
    EXPECT_EQ("2通のメールが来ました - Quorvane", uitest::windowText(mainWindow()));
    EXPECT_EQ(app::Application::Look::MailWaiting, look());
    // The account column first, then the four of a single mailbox.
    const auto rows = [&] {
        std::vector<std::string> shown;
        for (int row = 0; row < app::list_view::rowCount(listView()); ++row) {
            shown.push_back(app::list_view::cellText(listView(), row, 0) + "|" +
                            app::list_view::cellText(listView(), row, 1));
        }
        return shown;
    };
    ASSERT_EQ((std::vector<std::string>{"いえ|first", "いえ|second"}), rows());

    confirmDeletion(1);
    uitest::drainMessages();
    ASSERT_TRUE(waitForCheckEnd());
    const auto commands = home.commands();
    EXPECT_EQ(1, std::count(commands.begin(), commands.end(), "DELE 2"));
    EXPECT_EQ(2u, answer.seen().size()) << "no other mailbox was connected";
    EXPECT_EQ((std::vector<std::string>{"いえ|first"}), rows());
}

// A deletion across two mailboxes where one fails: the other's ticked mail goes, the failing one's rows stay
// ticked and its box names it.
TEST_F(ApplicationCheckTest, AFailingMailboxKeepsItsTickedRowsWhileTheOtherDeletes) {
    const std::vector<ServedMail> mails = {{"same", "neko", 10}};
    testenv::FakePop3Server home("+OK ready\r\n", mailboxSession(mails));
    home.thenServe(mailboxSession(mails, {{"DELE 1", "+OK\r\n"}}));
    testenv::FakePop3Server work("+OK ready\r\n", mailboxSession(mails));
    work.thenServe({{"USER neko", "+OK\r\n"}, {"PASS secret", "-ERR locked\r\n", testenv::After::Close}});
    useFakeServer(home);
    folder.setIni("Account2", "SERVER", "127.0.0.1");
    folder.setIni("Account2", "POP3_PORT", std::to_string(work.port()));
    folder.setIni("Account2", "USER", "neko");
    folder.setIni("Account2", "PASS", settings::encodePass("secret"));
    folder.setIni("Account2", "Name", "しごと");
    start();
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    ASSERT_EQ(2u, subjects().size());

    app::list_view::setCheckState(listView(), 0, app::list_view::kTicked);
    confirmDeletion(1);
    uitest::DialogAnswerer answer(IDOK);
    uitest::drainMessages();
    ASSERT_TRUE(waitForCheckEnd());
    ASSERT_TRUE(uitest::pumpUntil([&] { return !answer.seen().empty() && listView() != nullptr; }));
    EXPECT_EQ(std::string("しごと\n") + app::errorMessage(mail::kErrPass), answer.seen()[0].text);
    const auto homeCommands = home.commands();
    EXPECT_EQ(1, std::count(homeCommands.begin(), homeCommands.end(), "DELE 1"));
    ASSERT_EQ(1, app::list_view::rowCount(listView()));
    EXPECT_EQ("しごと", app::list_view::cellText(listView(), 0, 0));
    EXPECT_EQ(app::list_view::kTicked, app::list_view::checkState(listView(), 0));
}

}  // namespace
