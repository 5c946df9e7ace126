// SPDX-License-Identifier: MIT
#pragma once

#include "settings/AppContext.h"

// Sets the updating flag for its lifetime, so handlers that look at it leave programmatic
// control changes alone. The previous value comes back, so a caller's own updating
// section is not cut short.
class UpdatingScope {
public:
    explicit UpdatingScope(AppContext& app) : m_app(app), m_was(app.updating) { m_app.updating = true; }
    ~UpdatingScope() { m_app.updating = m_was; }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;

private:
    AppContext& m_app;
    bool m_was;
};
