#pragma once

// KR_ADDRESS_SANITIZER is 1 where this code is built with AddressSanitizer:
// g++ says so with __SANITIZE_ADDRESS__, clang (before 15) only through
// __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define KR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KR_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef KR_ADDRESS_SANITIZER
#define KR_ADDRESS_SANITIZER 0
#endif
