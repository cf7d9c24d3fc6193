#include "tests/mail/check_harness.h"

#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>

namespace checktest {

void RecordingHost::checkStarted() {
    record("started");
}

void RecordingHost::showChecking() {
    record("show checking");
}

void RecordingHost::showIdle() {
    record("show idle");
}

void RecordingHost::setStatusText(const char* text) {
    record(text == nullptr ? "status (title)" : std::string("status ") + text);
}

void RecordingHost::clearStartedByTimer() {
    record("clear started by timer");
}

void RecordingHost::handOverList(const mail::MailEntryList& list) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (failNextHandOver) {
            failNextHandOver = false;
            throw std::bad_alloc();
        }
        lists.push_back(list);
    }
    record("hand over " + std::to_string(list.size()));
}

void RecordingHost::noteUntrustedCertificate(const mail::UntrustedCertificate& certificate) {
    record("untrusted " + std::to_string(static_cast<int>(certificate.problem)) + " " + certificate.fingerprint + " " +
           certificate.server + ":" + std::to_string(certificate.port));
}

void RecordingHost::tokensRenewed(const std::string& accessToken,
                                  long long expiresAt,
                                  const std::string& refreshToken) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        renewedAccess = accessToken;
        renewedExpiresAt = expiresAt;
        renewedRefresh = refreshToken;
    }
    // The log names the event, never a token.
    record(refreshToken.empty() ? "tokens renewed" : "tokens renewed, refresh token replaced");
}

void RecordingHost::reportDeletionRefused() {
    record("deletion refused");
}

void RecordingHost::noMail() {
    record("no mail");
}

void RecordingHost::mailWaiting(int count) {
    record("mail waiting " + std::to_string(count));
}

void RecordingHost::checkFailed(int errorCode) {
    record("failed " + std::to_string(errorCode));
}

void RecordingHost::checkEnded() {
    record("ended");
}

void RecordingHost::record(const std::string& call) {
    std::lock_guard<std::mutex> lock(mutex);
    log.push_back(call);
}

std::vector<std::string> RecordingHost::calls() {
    std::lock_guard<std::mutex> lock(mutex);
    return log;
}

std::vector<std::string> RecordingHost::callsWithoutPolls() {
    std::vector<std::string> result;
    for (const auto& call : calls()) {
        if (call != "poll") {
            result.push_back(call);
        }
    }
    return result;
}

std::vector<mail::MailEntryList> RecordingHost::handedOver() {
    std::lock_guard<std::mutex> lock(mutex);
    return lists;
}

CheckWorker::CheckWorker(net::Pop3Session& session, settings::Settings& settings, RecordingHost& host)
    : check(session, host, [this] { stopPoll(); }), settings(settings), host(host) {
}

CheckWorker::~CheckWorker() {
    Stop(0, true);
}

void CheckWorker::Run() {
    check.run();
}

void CheckWorker::OnThreadEnd() {
    ++threadEnds;
    check.finish();
}

void CheckWorker::stopPoll() {
    if (++polls == stopAtPoll) {
        worker::thread_queue::post(worker::thread_queue::currentThreadId(),
                                   worker::ThreadMessage{worker::kThreadQuit, 0, 0});
    }
    host.record("poll");
    worker::ThreadMessage message;
    PollStop(message);
}

bool isResult(const std::string& call) {
    return call == "no mail" || call.rfind("mail waiting ", 0) == 0 || call.rfind("failed ", 0) == 0;
}

std::vector<std::string> startCalls() {
    return {"started", "show checking"};
}

std::vector<std::string> endCalls() {
    return {"ended"};
}

std::vector<std::string> failureCalls(int errorCode) {
    std::vector<std::string> calls = {"clear started by timer",
                                      "show idle",
                                      "status (title)",
                                      "poll",
                                      "hand over 0",
                                      "failed " + std::to_string(errorCode)};
    for (const auto& call : endCalls()) {
        calls.push_back(call);
    }
    return calls;
}

void runCheck(CheckWorker& worker, const mail::MailEntryList& previous) {
    // The list stands for one that the last check of this same mailbox made: entries written by the test name no
    // mailbox, and a fake server that stands in for the one before it listens on a port of its own.
    mail::MailEntryList listed = previous;
    const auto here = std::make_shared<const mail::MailboxId>(
        mail::MailboxId{worker.settings.server, worker.settings.pop3Port, worker.settings.user, 0, {}});
    for (mail::MailEntry& entry : listed) {
        entry.mailbox = here;
    }
    runCheckAsListed(worker, listed);
}

void runCheckAsListed(CheckWorker& worker, const mail::MailEntryList& previous) {
    int endsBefore = worker.threadEnds;
    mail::CheckSettings taken = settings::takeCheckSettings(worker.settings);
    if (worker.adjust) {
        worker.adjust(taken);
    }
    worker.check.prepare(previous, std::move(taken));
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.Wait(worker::kInfinite));
    EXPECT_EQ(worker.threadEnds, endsBefore + 1) << "the end of check runs exactly once";
}

std::string topReply(int text) {
    const std::string n = std::to_string(text);
    return "+OK\r\nSubject: subject " + n + "\r\nFrom: sender " + n + "\r\n\r\nbody " + n + "\r\n.\r\n";
}

void expectEntries(const mail::MailEntryList& actual, const std::vector<mail::MailEntry>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    auto it = actual.begin();
    for (std::size_t i = 0; i < expected.size(); ++i, ++it) {
        SCOPED_TRACE("entry " + std::to_string(i + 1));
        EXPECT_EQ(it->from, expected[i].from);
        EXPECT_EQ(it->subject, expected[i].subject);
        EXPECT_EQ(it->firstLines, expected[i].firstLines);
        EXPECT_EQ(it->size, expected[i].size);
        EXPECT_EQ(it->deleteMark, expected[i].deleteMark);
    }
}

mail::MailEntry entry(const std::string& from,
                      const std::string& subject,
                      const std::string& firstLines,
                      std::int32_t size,
                      bool deleteMark) {
    mail::MailEntry result;
    result.from = from;
    result.subject = subject;
    result.firstLines = firstLines;
    result.size = size;
    result.deleteMark = deleteMark;
    return result;
}

void DovecotCheckTest::SetUp() {
    bool ok = false;
    peer = testenv::pop3Peer(&ok);
    if (!ok) {
        // Fatal, so that no test body (nor a derived SetUp) goes on without the peer and its mailbox.
        GTEST_FAIL() << "these tests need the test environment's Dovecot";
    }
    mailbox = std::make_unique<testenv::Mailbox>(peer);
    settings.server = peer.host;
    settings.pop3Port = peer.port;
    settings.user = peer.user;
    settings.pass = peer.pass;
    settings.headCount = 2;
}

std::vector<std::string> commandsOf(const std::vector<testenv::Exchange>& script, bool greeted) {
    std::vector<std::string> result;
    if (greeted) {
        result.push_back("CAPA");
    }
    for (const testenv::Exchange& exchange : script) {
        result.push_back(exchange.command);
    }
    return result;
}

}  // namespace checktest
