#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "mail/check_host.h"
#include "mail/mail_check.h"
#include "mail/mail_entry.h"
#include "net/pop3_session.h"
#include "settings/settings.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/mailbox.h"
#include "tests/support/test_env.h"
#include "worker/worker_thread.h"

// Runs mail checks the way the application does, on a real worker thread, with a host that records every
// call the check makes, in order.
namespace checktest {

class RecordingHost : public mail::CheckHost {
public:
    void checkStarted() override;
    void showChecking() override;
    void showIdle() override;
    void setStatusText(const char* text) override;
    void clearStartedByTimer() override;
    void handOverList(const mail::MailEntryList& list) override;
    void noteUntrustedCertificate(const mail::UntrustedCertificate& certificate) override;
    void reportDeletionRefused() override;
    void tokensRenewed(const std::string& accessToken, long long expiresAt, const std::string& refreshToken) override;
    void noMail() override;
    void mailWaiting(int count) override;
    void checkFailed(int errorCode) override;
    void checkEnded() override;

    void record(const std::string& call);
    // Every call so far, e.g. "started", "status (title)", "hand over 2", "mail waiting 3", "poll",
    // "untrusted 1 <fingerprint> 127.0.0.4:995".
    std::vector<std::string> calls();
    std::vector<std::string> callsWithoutPolls();
    // The lists handed over, in order.
    std::vector<mail::MailEntryList> handedOver();

    // What the last tokensRenewed gave.
    std::string renewedAccess, renewedRefresh;
    long long renewedExpiresAt = 0;

    // Makes the next hand-over throw std::bad_alloc, as a failed copy of the list would.
    bool failNextHandOver = false;

private:
    std::mutex mutex;
    std::vector<std::string> log;
    std::vector<mail::MailEntryList> lists;
};

// The application's part in a check: the worker thread whose Run is the check and whose end is the
// check's end, with its stop poll.
class CheckWorker : public worker::WorkerThread {
public:
    CheckWorker(net::Pop3Session& session, settings::Settings& settings, RecordingHost& host);
    ~CheckWorker() override;

    using WorkerThread::PollStop;

    mail::MailCheck check;
    settings::Settings& settings;
    // Applied to the check's settings as they are taken, for what the settings record does not hold.
    std::function<void(mail::CheckSettings&)> adjust;
    // > 0: the quit message is posted to the worker's own queue right before this stop poll (1 = the first).
    int stopAtPoll = 0;
    std::atomic<int> polls{0};
    std::atomic<int> threadEnds{0};

protected:
    void Run() override;
    void OnThreadEnd() override;

private:
    void stopPoll();

    RecordingHost& host;
};

// Whether a recorded call is a check's result: "no mail", "mail waiting <count>" or "failed <code>".
bool isResult(const std::string& call);

// The calls that start every check and those that end every check.
std::vector<std::string> startCalls();
std::vector<std::string> endCalls();
// The failure path for an error code, up to the end of the check.
std::vector<std::string> failureCalls(int errorCode);

// The commands a fake server records for its script: every session begins with CAPA (which the scripts leave
// out), unless no greeting was given.
std::vector<std::string> commandsOf(const std::vector<testenv::Exchange>& script, bool greeted = true);

// Prepares the check with `previous`, runs it on the worker and waits for its end. The entries are taken as listed
// by a check of the worker's mailbox; runCheckAsListed takes them as they are.
void runCheck(CheckWorker& worker, const mail::MailEntryList& previous = {});
void runCheckAsListed(CheckWorker& worker, const mail::MailEntryList& previous);

// The reply to TOP of a message whose texts carry the number: "subject <n>", "sender <n>", "body <n>".
std::string topReply(int text);

// Compares every field of every entry, delete marks included.
void expectEntries(const mail::MailEntryList& actual, const std::vector<mail::MailEntry>& expected);

// The calls a check makes on its host, in order, and two such lists one after the other.
using Calls = std::vector<std::string>;

inline Calls operator+(Calls left, const Calls& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

// An entry as a check builds it.
mail::MailEntry entry(const std::string& from,
                      const std::string& subject,
                      const std::string& firstLines,
                      std::int32_t size,
                      bool deleteMark = false);

// Checks against the real Dovecot of the test environment: its peer, its maildir, and settings that log in to it
// with USER/PASS and two first lines. Without the environment SetUp fails fatally; derived fixtures call this SetUp
// first and stop when it failed.
class DovecotCheckTest : public ::testing::Test {
protected:
    void SetUp() override;

    testenv::Pop3Peer peer;
    std::unique_ptr<testenv::Mailbox> mailbox;
    settings::Settings settings;
};

}  // namespace checktest
