#pragma once
// The tests' one way into an App's profile store: they set a state up in it
// and read the result back from it.
#include "app/app.h"

namespace orv::test {

struct StoreAccess {
    static ProfileStore &of(ProfileSession &s) { return s.store; }
};

inline ProfileStore &StoreOf(App &app) { return StoreAccess::of(app); }
inline const ProfileStore &StoreOf(const App &app) { return app.profile(); }

} // namespace orv::test
