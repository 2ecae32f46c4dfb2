#pragma once
// The tests' one way into an App's profile store: they set a state up in it
// and read the result back from it.
#include "app/app.h"

namespace orv::test {

inline ProfileStore &StoreOf(App &app) { return app.store; }
inline const ProfileStore &StoreOf(const App &app) { return app.store; }

} // namespace orv::test
