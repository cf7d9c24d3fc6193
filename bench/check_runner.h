#pragma once

#include <string>
#include <utility>

#include "worker/worker_thread.h"
#include "mail/check_host.h"
#include "mail/mail_check.h"
#include "net/pop3_session.h"
#include "settings/settings.h"
#include "tests/support/silent_check_host.h"

// Runs whole mail checks the way the application does: one Pop3Session for every check, each check on a new
// run of a worker thread, the result reported to a host that only keeps it.
namespace bench {

class ResultHost : public testenv::SilentCheckHost {
public:
    void handOverList(const mail::MailEntryList& list) override {
        listed = list.size();
    }
    void result(int kind, long value) override {
        last = {kind, value};
    }

    std::pair<int, long> last{0, 0};
    std::size_t listed = 0;
};

class CheckRunner : public worker::WorkerThread {
public:
    explicit CheckRunner(settings::Settings settings);
    ~CheckRunner() override;

    // One check, from start to end of check; the result it told (testenv::CheckResult) and its value.
    std::pair<int, long> runOnce();
    std::size_t listed() const {
        return host.listed;
    }

protected:
    void Run() override;
    void OnThreadEnd() override;

private:
    settings::Settings settings;
    ResultHost host;
    net::Pop3Session session{net::kAfInet};
    mail::MailCheck check;
};

// The POP3 test peer from QV_POP3_HOST, QV_POP3_PORT, QV_POP3_USER and QV_POP3_PASS; false when one is missing.
bool peerSettings(settings::Settings& settings);

}  // namespace bench
