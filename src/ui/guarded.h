#pragma once
// Every event handler runs inside guarded(): a failure it does not check itself ends the handler and
// reaches the application-wide error report; the program goes on.
#include "base/failure.h"
#include "ui/platform.h"

#include <exception>
#include <utility>

namespace ui {

template <typename Handler> void guarded(Platform& platform, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const base::Cancelled&) {
        // Called off by the user: nothing to report.
    } catch (const base::Failure& failure) {
        platform.reportError(base::withFinalPeriod(failure.message()));
    } catch (const std::exception& error) {
        platform.reportError(base::withFinalPeriod(QString::fromLocal8Bit(error.what())));
    }
}

// Runs `body`, then `finish` on every way out. A failure of `finish` is reported at once (it never
// escapes, so it cannot replace or hide the body's); a failure of `body` continues to the caller after
// `finish` has run.
template <typename Body, typename Finish>
void withFinishingSteps(Platform& platform, Body&& body, Finish&& finish) {
    std::exception_ptr failure;
    try {
        std::forward<Body>(body)();
    } catch (...) {
        failure = std::current_exception();
    }
    guarded(platform, std::forward<Finish>(finish));
    if (failure) std::rethrow_exception(failure);
}

} // namespace ui
