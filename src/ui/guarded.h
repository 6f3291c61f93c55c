#pragma once
// Every event handler runs inside guarded(): a failure it does not check itself ends the handler and
// reaches the application-wide error report; the program goes on.
#include "ui/failure.h"
#include "ui/platform.h"

#include <exception>
#include <utility>

namespace ui {

template <typename Handler> void guarded(Platform& platform, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const Failure& failure) {
        platform.reportError(withFinalPeriod(failure.message()));
    } catch (const std::exception& error) {
        platform.reportError(withFinalPeriod(QString::fromLocal8Bit(error.what())));
    }
}

} // namespace ui
