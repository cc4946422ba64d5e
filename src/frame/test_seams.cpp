#include "frame/test_seams.h"

namespace vok::testing {
namespace {
// Per thread, so that tests running threads of their own do not disturb each other.
thread_local BoxResponder responder = nullptr;
}  // namespace

BoxResponder boxResponder() { return responder; }
void setBoxResponder(BoxResponder r) { responder = r; }

}  // namespace vok::testing
