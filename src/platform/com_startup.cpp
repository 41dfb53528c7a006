#include "platform/com_startup.h"

#include "platform/platform.h"

namespace zorvan {

void ComStartup::begin(Platform& platform) {
  end();
  if (!platform.comInitialize()) return;
  platform_ = &platform;
  thread_ = platform.currentThreadId();
}

void ComStartup::end() {
  Platform* platform = platform_;
  platform_ = nullptr;
  if (platform != nullptr && platform->currentThreadId() == thread_) platform->comUninitialize();
}

}  // namespace zorvan
