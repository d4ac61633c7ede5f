#include "mail/mail_runs.h"

MailRuns::MailRuns(SocketControl& socket, WaitClock& clock, Platform& platform, Global& global,
                   MessageTable& table, RunObserver& observer)
    : learning_(global),
      channel_(socket, clock, platform, observer), context_{channel_, clock,    global,     table,
                                                            platform, observer, autoCheck_, gate_},
      retrieval_(context_, learning_), processing_(context_, learning_), quickCheck_(context_),
      largeMail_(context_), automatic_(context_, autoCheck_, retrieval_, processing_) {}
