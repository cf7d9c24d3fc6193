#pragma once

#include "mail/check_host.h"
#include "mail/check_settings.h"
#include "mail/mail_check.h"
#include "mail/mail_entry.h"
#include "net/pop3_session.h"
#include "worker/worker_thread.h"

namespace mail {

// One mailbox's checks on a thread of their own: its POP3 session, its check (with its own memory of known mail,
// shared with no other mailbox, even one of the same server and user) and the worker thread that runs it. The
// owner prepares and starts it on the user-interface thread; the check tells `host` what happens.
class MailboxWorker : public worker::WorkerThread {
public:
    explicit MailboxWorker(CheckHost& host);
    // Stops a running check and waits for it: Run uses the members.
    ~MailboxWorker() override;

    MailboxWorker(const MailboxWorker&) = delete;
    MailboxWorker& operator=(const MailboxWorker&) = delete;

    // Owner, before Start: the previous list of this mailbox (its marks say what to delete) and the settings.
    void prepare(const MailEntryList& previous, CheckSettings settings);
    // Owner: asks a running check to end; the socket is closed so that no wait for the server holds it up.
    void stop();

private:
    void Run() override;
    void OnThreadEnd() override;

    net::Pop3Session session;
    MailCheck check;
};

}  // namespace mail
