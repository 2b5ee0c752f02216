#pragma once

#include <functional>

class QWidget;

namespace TestSupport {
// Runs `handle` on the next modal window as soon as it is shown (polls every
// 10 ms), so that tests can answer dialogs that run their own event loop.
void onNextModal(const std::function<void(QWidget*)>& handle);
} // namespace TestSupport
