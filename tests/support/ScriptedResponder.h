#pragma once

#include "platform/tqkit-ui/TQKitAlertResponder.h"

#include <QHash>
#include <QList>

#include <functional>

namespace sonvale::test {

// Answers alerts, questions and boxes in tests, in place of a person. Every request is recorded
// (kind, window, title, message, buttons, flags, check box, modal or not) and answered by rule:
// first an answer given for its title, else the general rule, else its default (first) button with
// the check box unchecked. A default button that the request refuses leaves the box open and the
// rule is asked again. Modal requests are answered before present() returns; the others on the
// next event-loop turn, as a real sheet would be, or, while answers are held, when released. No
// nested event loop ever waits. Main thread only (where requests are presented).
class ScriptedResponder final : public TQKitAlertResponder {
public:
    using Rule = std::function<TQKitAlertAnswer(const TQKitAlertRequest&)>;

    void present(const TQKitAlertRequest& request, Completion done) override;

    // Requests presented since the last reset, oldest first.
    const QList<TQKitAlertRequest>& requests() const { return requests_; }
    QStringList titles() const;

    // Requests titled `title` get `answer`.
    void answerTitle(const QString& title, TQKitAlertAnswer answer) { titleAnswers_.insert(title, answer); }
    // Requests without an answer of their title get what `rule` returns.
    void setRule(Rule rule) { rule_ = std::move(rule); }

    // While held, requests that are not modal wait; releaseHeld() answers them in order.
    void holdAnswers(bool hold) { holding_ = hold; }
    void releaseHeld();
    int heldCount() const { return static_cast<int>(held_.size()); }

    // Forgets requests, rules and held requests (held ones are answered first).
    void reset();

private:
    TQKitAlertAnswer answerFor(const TQKitAlertRequest& request) const;
    TQKitAlertAnswer scriptedAnswer(const TQKitAlertRequest& request) const;

    QList<TQKitAlertRequest> requests_;
    QHash<QString, TQKitAlertAnswer> titleAnswers_;
    Rule rule_;
    bool holding_ = false;
    QList<std::pair<TQKitAlertRequest, Completion>> held_;
};

} // namespace sonvale::test
