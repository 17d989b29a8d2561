#include "tests/support/ScriptedResponder.h"

#include <QCoreApplication>
#include <QTimer>

#include <utility>

namespace sonvale::test {

void ScriptedResponder::present(const TQKitAlertRequest& request, Completion done)
{
    requests_.append(request);
    if (request.modal) {
        done(answerFor(request));
        return;
    }
    if (holding_) {
        held_.append({request, std::move(done)});
        return;
    }
    const TQKitAlertAnswer answer = answerFor(request);
    QTimer::singleShot(0, QCoreApplication::instance(), [done = std::move(done), answer] { done(answer); });
}

QStringList ScriptedResponder::titles() const
{
    QStringList titles;
    for (const TQKitAlertRequest& request : requests_)
        titles.append(request.title);
    return titles;
}

void ScriptedResponder::releaseHeld()
{
    holding_ = false;
    const auto held = std::exchange(held_, {});
    for (const auto& [request, done] : held)
        done(answerFor(request));
}

void ScriptedResponder::reset()
{
    releaseHeld();
    requests_.clear();
    titleAnswers_.clear();
    rule_ = nullptr;
}

TQKitAlertAnswer ScriptedResponder::answerFor(const TQKitAlertRequest& request) const
{
    // A refused default button leaves the box open, and the script is asked again, as a person
    // would try again; a script that keeps insisting gives up with Escape.
    constexpr int kAttempts = 10;
    const int defaultCode = request.buttons.isEmpty() ? 0 : request.buttons.first().code;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const TQKitAlertAnswer answer = scriptedAnswer(request);
        if (answer.button != defaultCode || !request.acceptsDefaultButton || request.acceptsDefaultButton())
            return answer;
    }
    return TQKitAlertAnswer{request.escapeCode(), false};
}

TQKitAlertAnswer ScriptedResponder::scriptedAnswer(const TQKitAlertRequest& request) const
{
    if (const auto found = titleAnswers_.constFind(request.title); found != titleAnswers_.cend())
        return *found;
    if (rule_)
        return rule_(request);
    return TQKitAlertAnswer{request.buttons.isEmpty() ? 0 : request.buttons.first().code, false};
}

} // namespace sonvale::test
