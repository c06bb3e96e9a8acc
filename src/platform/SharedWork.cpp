#include "platform/SharedWork.h"

#include "platform/ThreadName.h"

#include <system_error>
#include <thread>
#include <vector>

namespace kr {

void shareAmongThreads(int threads, const char* name, const std::function<void()>& work) {
  std::vector<std::thread> helpers;
  if (threads > 1)
    helpers.reserve(std::size_t(threads - 1));
  for (int t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back([&work, name] {
        nameCurrentThread(name);
        work();
      });
    } catch (const std::system_error&) {
      break; // no more threads to be had: the ones running share the rest
    }
  }
  work();
  for (std::thread& helper : helpers)
    helper.join();
}

} // namespace kr
