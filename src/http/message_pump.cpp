#include "http/message_pump.h"

namespace vexaro {

void ProcessPendingMessages() {}

}  // namespace vexaro
