#pragma once

#include <pthread.h>

#include <string>

namespace kr {

// Names the calling thread, as the system lists it (15 characters kept), so
// that every thread of ours can be told apart from the libraries' own.
inline void nameCurrentThread(const char* name) {
  pthread_setname_np(pthread_self(), std::string(name).substr(0, 15).c_str());
}

} // namespace kr
