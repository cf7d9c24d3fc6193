#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/lock.h"
#include "mail/check_host.h"
#include "mail/check_settings.h"
#include "mail/known_mail.h"
#include "mail/mail_entry.h"
#include "mail/pipeline_window.h"
#include "mail/top_reply_reader.h"
#include "net/sasl_exchange.h"
#include "net/tls_channel.h"

namespace net {
class Pop3Session;
}

namespace mail {

// One visit to the POP3 server: ask for its extensions with CAPA, log in, count the messages with STAT, read
// each one's header and first lines with TOP and the sizes with LIST, delete the messages the user marked in
// the previous list that are still the same messages, then report one result and say QUIT.
//
// A server that offers UIDL gets one UIDL after STAT: messages the last check saw keep their summaries (no
// TOP), and marked entries are deleted by their id. A server that offers PIPELINING gets what does not depend on
// the reply before it in one write: USER with PASS; STAT, UIDL and LIST; every TOP; its DELE commands go in bounded
// windows. QUIT waits for the TOP replies, since a multipart mail whose text starts late is asked for again. Without
// either, the conversation is the plain one, one command at a time.
//
// How the owner drives it (the application is both the window and the worker thread):
//   user-interface thread, right before WorkerThread::Start:  prepare(mailList, settings)
//   worker, WorkerThread::Run:                                 run()
//   worker, WorkerThread::OnThreadEnd:                         finish()
//   user-interface thread, handling the result the check told: apply the list handed over through
//   CheckHost::handOverList (a ListHandOver does it) before anything else reads the mail list.
// The check never touches the owner's mail list itself.
class MailCheck {
public:
    // `stopPoll` is the worker's stop poll (WorkerThread::PollStop): it ends the run when the owner asked.
    MailCheck(net::Pop3Session& session, CheckHost& host, std::function<void()> stopPoll);

    MailCheck(const MailCheck&) = delete;
    MailCheck& operator=(const MailCheck&) = delete;

    // User-interface thread, before each start: copies the previous list (with its delete marks as they
    // stand now) and takes the settings for the next run (their password is wiped once used). A run that was not
    // prepared deletes nothing.
    void prepare(const MailEntryList& mailList, CheckSettings settings);

    // Worker: the check. Its outcome is one result told to the host, or none when it was stopped.
    void run();

    // Worker: the end of every check, whatever its outcome: closes the socket and tells the host.
    void finish();

private:
    struct Plan : CheckSettings {
        MailEntryList previous;
    };

    using UniqueIds = std::optional<std::vector<std::string>>;

    // The POP3 extensions a check uses, as the server's CAPA reply lists them.
    struct ServerExtensions {
        bool uidl = false;              // UIDL: a unique id per message that stays the same across sessions
        bool pipelining = false;        // PIPELINING: commands may be sent without waiting for each reply
        std::vector<std::string> sasl;  // the SASL mechanisms offered
    };

    Plan takePlan();
    void converse(Plan& plan);
    ServerExtensions askExtensions();
    void openConnection(const Plan& plan);
    void requireTrusted(const Plan& plan, const net::TlsResult& tls);
    // One function per way of logging in. With PIPELINING the status commands may go out before the login's last
    // reply is read: true when they did.
    bool logIn(Plan& plan, const ServerExtensions& extensions, const std::string& status);
    void logInWithApop(const Plan& plan);
    void logInWithUserAndPass(const Plan& plan);
    void logInWithUserAndPassAtOnce(const Plan& plan, const std::string& status);
    void logInWithSasl(Plan& plan, net::SaslMechanism mechanism);
    void logInWithToken(Plan& plan, net::SaslMechanism mechanism);
    void renewAccessToken(Plan& plan);
    [[noreturn]] void raiseStep(int code);
    // The UIDL list (the command already sent when `sentAhead`).
    UniqueIds readUniqueIds(int count, bool sentAhead);
    // The reply to a LIST sent ahead: the sizes of the first messages in turn (all 0 when it was refused).
    std::vector<std::int32_t> readSizesAhead(int count);
    MailEntryList readMessages(int count, int headCount, const UniqueIds& ids, bool pipelining);
    // TOP for each message number, all sent ahead when the server allows; store gets each summary with its index.
    void fetchMessages(const std::vector<int>& numbers,
                       int headCount,
                       bool pipelining,
                       const std::function<void(std::size_t, MailEntry&&)>& store);
    MailEntry readMessage(int messageNumber, int headCount);
    // One TOP command for the message and its reply, read to the end; or the reply to a TOP already sent.
    TopReplyReader readTop(int messageNumber, long long lines, int headCount);
    TopReplyReader readTopReply(const char* reply, int headCount);
    void readSizes(MailEntryList& fresh);
    // Each false when a marked mail that may still be on the server was not deleted.
    bool deleteMarked(const MailEntryList& previous, MailEntryList& fresh);
    bool deleteById(const MailEntryList& previous,
                    MailEntryList& fresh,
                    const std::vector<std::string>& ids,
                    bool pipelining);
    // A DELE got a reply that is neither "+OK" nor "-ERR": the session ends without QUIT.
    void abandonDeletions();
    void fail(int errorCode);

    net::Pop3Session& session;
    CheckHost& host;
    std::function<void()> stopPoll;

    base::Lock planMutex;  // prepare runs on the user-interface thread, takePlan on the worker
    Plan plan;

    KnownMail known;  // worker only: what the last check of this mailbox saw
    PipelineLimits limits;
};

}  // namespace mail
